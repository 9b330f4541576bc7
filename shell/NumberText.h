#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <cstdint>

// Numbers as the entry boxes and grid cells hold them: text. Written and read with a decimal
// point and comma grouping whatever the workstation's regional settings.

// The longest leading part of the text that forms a number (blanks skipped, the rest ignored):
// "12abc" reads 12, "1,250.00" reads 1, "" reads 0.
double Val(const QString &text);

// Whether the text is a number: blanks around it, a sign, a decimal point, thousands separators
// ("1,250.00") and an exponent are accepted; the empty text is not numeric.
bool IsNumeric(const QString &text);

// Whether the text is one or more of the digits 0 to 9 and nothing else: a document number, an item
// number joined into a statement unquoted.
bool IsDigitsOnly(const QString &text);

// The value of a numeric text (thousands separators allowed); 0 when not numeric.
double ToNumber(const QString &text);

// Formats with a pattern of '#', '0', ',' and '.': "########0.0000", "#########0",
// "###,###,##0.0000", "#####0", "######0", "##0.00", "#######0.0000". Rounds halves away from
// zero; a negative value gets a leading minus sign.
QString Format(double value, const QString &pattern);

// Shortest ordinary decimal text of the value (no grouping, no trailing zeros): 12, 12.5, 0.25.
QString GeneralNumber(double value);

// A whole number written with a sign position: " 4", " 0", "-1".
QString SignedText(qint64 value);

double RoundHalfAwayFromZero(double value);
double RoundHalfEven(double value);

// Fixed point with four decimals held in a signed 64-bit integer.
class Currency
{
public:
    constexpr Currency() = default;
    static Currency fromDouble(double value); // rounds to four decimals, halves to even
    static constexpr Currency fromRaw(std::int64_t scaled) { Currency c; c.m_scaled = scaled; return c; }
    double toDouble() const { return double(m_scaled) / 10000.0; }
    std::int64_t raw() const { return m_scaled; }
    friend constexpr bool operator==(Currency a, Currency b) { return a.m_scaled == b.m_scaled; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.m_scaled <=> b.m_scaled; }

private:
    std::int64_t m_scaled = 0;
};

// Whether a value (a database field) holds a number rather than a text.
bool IsNumberValue(const QVariant &value);

// Month-first date and time: "12/07/2026 03:05:09 PM".
QString DateTimeText(const QDateTime &value);
// Reads a month-first date-time text (the form above, or a date alone); invalid when not one.
QDateTime ParseDateTimeText(const QString &text);
