#pragma once

#include <QSet>
#include <QString>

// What the statement passes and the connections need to know of the tables, read once from the
// schema scripts built into the program: the embedded files' script (schema.sql) and the server's
// (postgres/schema.sql). A workstation only works with databases of the schema version it was
// built for, so the scripts tell the columns. Names in any letter case.
namespace SchemaFacts {

// The names of the columns the embedded files' tables declare DATETIME, in lower case.
const QSet<QString> &dateColumns();

// The column's name as the schema spells it, for a name in lower case; empty when no table has it.
QString spelling(const QString &lowerCaseColumn);

// Whether the server's table declares the column citext (case-insensitive text).
bool isCitext(const QString &table, const QString &column);

// Whether the server's table declares the column alone its primary key or unique.
bool isUniqueKey(const QString &table, const QString &column);

} // namespace SchemaFacts
