#pragma once

// An update that only locks rows, recognised by both backends' connections.

#include <QString>

#include <optional>

// An UPDATE that sets every column it names to itself ("Set Status = Status"), which changes no
// value: a program sends it to lock rows before reading them. Recognised on the statement as the
// backend runs it; any other statement (an expression, another column, FROM, RETURNING) gives
// nothing.
struct LockOnlyUpdate
{
    QString table;       // the table's name, without its schema or quotes
    QString target;      // the table as the statement writes it ("inventory.tbX", "[tbX]")
    QString condition;   // what follows the SET list (the WHERE clause or nothing), without a final ';'

    static std::optional<LockOnlyUpdate> parse(const QString &sql);
};

// The table of such an update; empty for any other statement.
QString unchangingUpdateTable(const QString &sql);
