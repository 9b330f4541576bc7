#pragma once

#include <QString>
#include <QVariantList>

// Translates the client's T-SQL into SQLite (or PostgreSQL) text. Only tokens are rewritten; string
// literals and bracketed names are never changed inside (except month-first date literals). The
// rules are small passes (tsql/Passes.h), each with an example, run in the order each engine's list
// gives (tsql/SqlitePasses, tsql/PostgresPasses): those that make a statement mean what it means on
// SQL Server, then those that only make it faster.
//
// A statement that starts with a name that is not a SQL keyword is a stored-procedure call:
// [Exec] db..proc arg, arg ... with quoted texts, numbers or bare words as arguments. The
// arguments are returned as values to bind, never joined into SQL.
struct AdaptedStatement
{
    QString sql;       // the SQLite statement; empty for a procedure call
    QString procedure; // the called procedure's name (without database), else empty
    QVariantList arguments;

    bool isProcedureCall() const { return !procedure.isEmpty(); }
};

// The database a statement is translated for; its differences are the tables of its pass list.
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
