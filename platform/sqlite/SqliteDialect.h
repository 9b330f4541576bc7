#pragma once

#include <QString>

class QSqlDatabase;
struct sqlite3;

// SQL Server behaviour that the embedded SQLite files need, registered on an open connection:
// - the collation MSSQL (letter case ignored, trailing blanks ignored), which the schema declares
//   on its text columns;
// - the functions getdate() (local time as 'yyyy-MM-dd HH:mm:ss'), patindex(pattern, text),
//   convert_varchar(value, length);
// - LIKE as SQL Server matches: letter case ignored (beyond ASCII too), [abc] and [a-z] sets.
// Every connection that opens the databases must register it before touching a table.
// Throws Error when the connection is not an open SQLite connection.
void registerSqlServerDialect(QSqlDatabase &db);

// The native handle of an open Qt SQLite connection; throws Error when there is none.
sqlite3 *sqliteHandle(const QSqlDatabase &db);

// The collation's comparison, for tests and for code that sorts as the database does.
int compareMssql(const QString &a, const QString &b);

// SQL Server's PATINDEX: 1-based position of the first match of a LIKE pattern ('%' any run,
// '_' any one character, [abc] a set) in the text, 0 when none; letter case ignored.
int patIndex(const QString &pattern, const QString &text);
