#pragma once

#include "platform/tsql/DistinctFirst.h"

#include <QString>

// What the server's schema declares of its columns, as the set-up script built into the program
// creates them (read once by tsql/SchemaFacts). Names in any letter case.
namespace ServerSchema {

// Whether the table's column is citext (case-insensitive text).
bool isCitext(const QString &table, const QString &column);

// Whether the table's column alone is its primary key or unique.
bool isUniqueKey(const QString &table, const QString &column);

// How the server runs a SELECT DISTINCT that looks something up per row (see DistinctFirst): the
// first fold by the exact text of the citext columns (hashing and comparing plain text costs a
// fraction of citext's lower-casing of every value), and the lookups as joins the server can hash.
const DistinctFirst::Options &distinctFirstOptions();

} // namespace ServerSchema
