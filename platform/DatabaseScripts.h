#pragma once

#include <QHash>
#include <QString>

// The SQL scripts built into the program from db/: the schema, the procedures and the demo data
// of both databases, for the embedded files and for a server alike.
namespace DatabaseScripts {

// Text of a script (for example "schema.sql" or "postgres/functions.sql"); throws Error when missing.
QString text(const QString &name);

// A script holds the statements of both databases; a line "-- @database NAME" starts the part of
// NAME. Lines before the first such line belong to INVENTORY. Keys are lower case.
QHash<QString, QString> splitByDatabase(const QString &script);

// The part of a script that belongs to one database ("inventory" or "password").
QString part(const QString &name, const QString &database);

} // namespace DatabaseScripts
