#include "editor/EntryNumbers.h"

#include "shell/NumberText.h"

#include <cmath>

namespace {

// The largest amount a currency column holds; anything larger cannot be stored with the request.
constexpr double LargestAmount = 922337203685477.0;

} // namespace

double EntryValue(const QString &text)
{
    return IsNumeric(text) ? ToNumber(text) : Val(text);
}

bool IsEntryNumber(const QString &text)
{
    if (!IsNumeric(text))
        return false;
    const double value = ToNumber(text);
    return std::isfinite(value) && std::fabs(value) <= LargestAmount;
}
