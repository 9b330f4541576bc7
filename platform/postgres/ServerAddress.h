#pragma once

#include <QSqlDatabase>
#include <QString>

// Where a PostgreSQL server is: the text of the log-on dialog's "Server" box, in any form libpq
// takes ("host=... port=... dbname=...", a postgresql:// URI, "service=..."); what it leaves
// out comes from the PG* variables, pg_service.conf and ~/.pgpass as for every PostgreSQL tool.
namespace ServerAddress {

// Seconds a connection attempt may take unless the address, the service it names or
// PGCONNECT_TIMEOUT says otherwise.
constexpr int ConnectTimeoutSeconds = 5;

// Adds and opens a Qt PostgreSQL connection of that name. Throws Error with a clear description
// when the address cannot be read, the server cannot be reached or refuses the log-in, or the
// connection crosses the network unencrypted though the address does not say sslmode=disable;
// the Qt connection is then removed again.
QSqlDatabase open(const QString &serverName, const QString &connectionName);

// One sentence on how an open connection is protected: TLS (with its protocol and cipher), a
// Unix socket on this computer, or unencrypted as the address asked.
QString encryption(const QSqlDatabase &db);

// The same address as a libpq connection string.
QString connectionString(const QString &serverName);

// The address as typed without any password it holds ("password=..." or a URI's "user:secret@"
// and "?password="), for what is kept or shown: the settings, messages. ~/.pgpass is the place
// for a password.
QString withoutPassword(const QString &serverName);

} // namespace ServerAddress
