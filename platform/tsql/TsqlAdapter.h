#pragma once

#include <QString>
#include <QVariantList>

// Translates the client's T-SQL into SQLite (or PostgreSQL, below) text. Only tokens are rewritten; string
// literals and bracketed names are never changed inside (except month-first date literals, below).
//
// - db..object: INVENTORY..x (any case) becomes x in the main database, Password..x becomes
//   Password.x; INVENTORY.dbo.x likewise. Names without a database stay.
// - "Insert t" gains "Into", "Delete t" gains "From" (at the start of the statement).
// - "Select [Distinct] Top n ..." loses "Top n" and gains "LIMIT n" at the end of that select,
//   also inside a subquery.
// - "+" joins texts when one operand of a chain of "+" is a string literal or a text function
//   (SubString, Replace, Upper, Lower, LTrim, RTrim, Convert to a character type); the whole
//   chain then becomes "||". Otherwise "+" stays arithmetic, so max(...) + 1 remains a number.
// - IsNull -> ifnull, SubString -> substr, Len(x) -> length(rtrim(x)) (trailing blanks do not
//   count, as on SQL Server); Convert(Integer, x) -> CAST(x AS
//   INTEGER), Convert(VarChar(n), x) -> convert_varchar(x, n); GetDate() and PatIndex are
//   database functions (SqliteDialect).
// - [name] -> "name"; N'text' -> 'text'.
// - A string literal compared with = <> < > <= >= carries COLLATE MSSQL, so that a comparison,
//   also with an expression (isnull(x,'') = ''), ignores case and trailing blanks as on SQL Server.
//   "col = 'abc'" in a condition also gets the NOCASE range of the values equal to it, so the
//   column's index (the columns are declared NOCASE, readable by any SQLite tool) serves it.
// - A literal of the exact form 'MM/dd/yyyy hh:mm:ss AM' becomes 'yyyy-MM-dd HH:mm:ss', the form
//   the database keeps dates in, where it is compared with a date column (=, <, Between) or is the
//   value an Insert or Update writes into one; the schema's DATETIME columns are the date columns.
//   Everywhere else (a justification, a name, a search text) it reaches the database as built.
// - A statement that starts with a name that is not a SQL keyword is a stored-procedure call:
//   [Exec] db..proc arg, arg ... with quoted texts, numbers or bare words as arguments. The
//   arguments are returned as values to bind, never joined into SQL.
struct AdaptedStatement
{
    QString sql;       // the SQLite statement; empty for a procedure call
    QString procedure; // the called procedure's name (without database), else empty
    QVariantList arguments;

    bool isProcedureCall() const { return !procedure.isEmpty(); }
};

// The database a statement is translated for. On PostgreSQL the differences are:
// - db..object becomes schema.object (INVENTORY..x is inventory.x, Password..x is password.x);
// - [name] becomes name when it is a plain identifier (PostgreSQL keeps the case of quoted names);
// - IsNull -> coalesce, SubString stays, Convert to a number casts to INTEGER or DOUBLE PRECISION,
//   to a date to TIMESTAMP;
// - Like -> ILIKE, or a case-insensitive regular expression (~*) for a pattern with [a-c] sets or
//   a backslash;
// - a compared literal, or one listed in "In (...)", loses its trailing blanks and carries no
//   collation (the columns are citext and the server stores texts without trailing blanks); no
//   index ranges are added.
enum class SqlDialect { Sqlite, Postgres };

namespace TsqlAdapter {

// Throws Error for a procedure call whose arguments are not literals. Results are cached. The
// passes are the dialect's lists (tsql/SqlitePasses, tsql/PostgresPasses).
AdaptedStatement adapt(const QString &tsql, SqlDialect dialect = SqlDialect::Sqlite);

// Whether statements are also given the forms that only make them faster (index ranges, the
// DISTINCT fold, bound and held inserts, locks for lock-only updates): on, unless the environment
// sets INVENTORY_REQUEST_SPEED_PASSES=off. For the process; tests switch them off to compare rows.
void setSpeedPasses(bool on);
bool speedPasses();

// 'yyyy-MM-dd HH:mm:ss' for a month-first date with time and AM/PM, else an empty text.
QString isoFromMonthFirst(const QString &text);

// The text as SQL Server compares it: without its trailing blanks (other white space stays).
QString withoutTrailingBlanks(QString text);

} // namespace TsqlAdapter
