#pragma once

// Forms of write statements that the embedded files answer in a cheaper way with the same effect.

#include "platform/tsql/LockOnlyUpdate.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

// An INSERT of one row whose values are all literals, as a statement with a parameter in place of
// each literal and the values to bind. A save writes every line of a request with its own Insert
// text; the lines differ only in their values, so they share one prepared statement instead of
// each being compiled.
//
// The parameters give exactly the values SQLite gives the literals: a text literal binds its text,
// an integer literal that fits 64 bits binds that integer, any other number literal binds its text
// under CAST(? AS REAL), which converts with the same routine as the literal; a leading minus and
// NULL stay in the statement. Any other form (several rows, a SELECT, an expression, OR REPLACE,
// a parameter or a second statement) gives nothing, and the statement runs as it was given.
struct LiteralInsert
{
    QString shape;             // the statement with ?1, ?2, ... in place of its literals
    QVector<QVariant> values;  // QString or qint64, in parameter order

    static std::optional<LiteralInsert> parse(const QString &sqliteSql);
};
