#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

#include <libpq-fe.h>

#include <memory>

// What the program does with libpq itself, beside Qt's driver: the checks that bind passwords, the
// administrator's work, and what only the native connection tells.

using PgConnection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using PgResult = std::unique_ptr<PGresult, decltype(&PQclear)>;

// A connection of its own to the server as the log-on dialog's "Server" box names it, its notices
// unshown. Throws Error (from the source given) when the server cannot be reached or refuses it.
PgConnection connectDirectly(const QString &serverName, const QString &source);

// Runs one statement with its values bound as texts: libpq sends them apart from the statement's
// text, so no value (a password, say) ever becomes part of a statement the server logs.
PgResult execBound(PGconn *connection, const char *sql, const QStringList &values);

// The result's rows, each value as text; a null is a null QString.
QVector<QStringList> resultRows(const PGresult *result);

// libpq's connection under an open Qt PostgreSQL connection; null when it is not open.
PGconn *nativeHandle(const QSqlDatabase &db);
