#pragma once

#include "platform/tsql/Dialect.h"
#include "platform/tsql/DistinctFirst.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct AdaptedStatement;

// The server's SQL: PostgreSQL with the client's tables as citext columns in the schemas
// "inventory" and "password". The translation passes in their order, and the forms the
// connection runs in place of a statement's text.
namespace PostgresPasses {

const Dialect &dialect();
// The passes that make a statement mean what it means on SQL Server.
const Passes &correct();
// The passes that only make it faster; off when TsqlAdapter::speedPasses() is.
const Passes &fast();

// Faster ways to run a translated statement, in the order the connection tries them; each gives
// nothing when the speed passes are off or the statement has another form.
// 1. In a transaction, an insert of values that returns nothing is held and sent with the next
//    ones in one round trip: its text as it goes into the batch.
QByteArray heldInsert(const AdaptedStatement &adapted);
// 2. In a transaction, an update that sets every column to itself only locks rows: it reads them
//    FOR NO KEY UPDATE instead, unless a trigger watches the table (target, as the statement
//    writes it), which the connection asks the server.
struct RowLock
{
    QString target;
    QString sql; // the locking read
};
std::optional<RowLock> rowLock(const QString &sql);
// 3. Outside a transaction, a SELECT DISTINCT that looks something up per row, with the rows folded
//    first and the lookups as joins; the statement runs as given when the server refuses this form.
QString foldedDistinct(const QString &sql);

// How the server runs such a SELECT DISTINCT: the first fold by the exact text of the citext
// columns (hashing and comparing plain text costs a fraction of citext's lower-casing of every
// value), and the lookups as joins the server can hash.
const DistinctFirst::Options &distinctFirstOptions();

} // namespace PostgresPasses
