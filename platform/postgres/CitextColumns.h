#pragma once

#include "platform/DistinctFirst.h"

#include <QString>

// The columns the server's schema declares citext (case-insensitive text), as the set-up script
// built into the program creates them. A workstation only works with a server of the schema
// version it was built for, so the script tells the server's columns.
namespace CitextColumns {

// Whether the table's column (names in any letter case) is citext.
bool contains(const QString &table, const QString &column);

// A SELECT DISTINCT's first fold by the exact text of the citext columns (see DistinctFirst):
// hashing and comparing plain text costs a fraction of citext's lower-casing of every value.
DistinctFirst::ExactTextFold exactTextFold();

} // namespace CitextColumns
