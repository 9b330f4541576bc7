#pragma once

#include <QString>

// A number typed in an entry box or held in a grid cell. Numeric texts (thousands separators
// allowed) are read at their full value; any other text reads its leading number, as Val does.
double EntryValue(const QString &text);

// Whether an entry text is a number the request can hold: numeric, finite and no larger than
// the largest amount a currency column stores.
bool IsEntryNumber(const QString &text);
