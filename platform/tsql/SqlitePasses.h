#pragma once

#include "platform/tsql/Dialect.h"
#include "platform/tsql/LiteralInsert.h"

#include <QString>

#include <optional>

// The embedded files' SQL: SQLite with the client's functions, Like and MSSQL collation
// (sqlite/SqliteDialect). The translation passes in their order, and the forms the connection
// runs in place of a statement's text.
namespace SqlitePasses {

const Dialect &dialect();
// The passes that make a statement mean what it means on SQL Server.
const Passes &correct();
// The passes that only make it faster; off when TsqlAdapter::speedPasses() is.
const Passes &fast();

// Faster ways to run a translated statement, in the order the connection tries them; each gives
// nothing when the speed passes are off or the statement has another form.
// 1. An insert of literal values: its shape compiled once, the values bound.
std::optional<LiteralInsert> boundInsert(const QString &sql);
// 2. A SELECT DISTINCT that looks something up per row, with the rows folded first; run in its
//    place when SQLite compiles it.
QString foldedDistinct(const QString &sql);
// 3. In a transaction that holds the write lock of the whole database, an update that sets
//    columns to themselves changes nothing another connection could see: it is not run, unless a
//    trigger of the table it names would see it.
QString lockOnlyUpdateTable(const QString &sql);

} // namespace SqlitePasses
