#include "shell/NumberText.h"

#include "platform/Error.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qint32 OverflowNumber = 6;

[[noreturn]] void ThrowOverflow(const QString &source)
{
    throw Error(OverflowNumber, source, QStringLiteral("Overflow"));
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsExponentMark(QChar c)
{
    return c == u'e' || c == u'E' || c == u'd' || c == u'D';
}

// Converts a plain ASCII number ("-12.5e3") without regard to the workstation's locale.
double ParseAscii(const QByteArray &number, bool *ok)
{
    if (number.isEmpty()) {
        *ok = false;
        return 0;
    }
    return QLocale::c().toDouble(QString::fromLatin1(number), ok);
}

// A value as decimal digits: value = 0.digits × 10^pointPosition, digits without leading zeros
// (empty for zero), at most 15 significant digits as the client's number texts carry.
struct DecimalDigits
{
    bool negative = false;
    QByteArray digits;
    int pointPosition = 0;
};

DecimalDigits ToDecimalDigits(double value, int significant = 15)
{
    DecimalDigits d;
    d.negative = std::signbit(value);
    if (value == 0)
        return d;
    const QByteArray text = QByteArray::number(std::fabs(value), 'e', significant - 1);
    const int e = int(text.indexOf('e'));
    QByteArray mantissa = text.left(e);
    mantissa.remove(1, 1); // the decimal point
    d.digits = mantissa;
    d.pointPosition = text.mid(e + 1).toInt() + 1;
    while (d.digits.endsWith('0'))
        d.digits.chop(1);
    return d;
}

// Rounds to `decimals` places after the point, halves away from zero, on the decimal digits.
void RoundDigits(DecimalDigits &d, int decimals)
{
    const int keep = d.pointPosition + decimals;
    if (keep >= d.digits.size())
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool roundUp = d.digits.at(keep) >= '5';
    d.digits.truncate(keep);
    if (roundUp) {
        int i = int(d.digits.size()) - 1;
        while (i >= 0 && d.digits.at(i) == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.prepend('1');
            ++d.pointPosition;
        } else {
            d.digits[i] = char(d.digits.at(i) + 1);
        }
    }
    while (d.digits.endsWith('0'))
        d.digits.chop(1);
}

QString GroupThousands(const QString &digits)
{
    QString grouped;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped += u',';
        grouped += digits.at(i);
    }
    return grouped;
}

} // namespace

double Val(const QString &text)
{
    // Blanks anywhere are skipped, as the entry boxes' reading has always done ("1 000" reads 1000).
    QByteArray number;
    int i = 0;
    const int n = int(text.size());
    auto skipBlanks = [&] {
        while (i < n && IsBlank(text.at(i)))
            ++i;
    };
    skipBlanks();
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        number += char(text.at(i).unicode());
        ++i;
    }
    bool mantissaDigits = false;
    bool point = false;
    for (skipBlanks(); i < n; skipBlanks()) {
        const QChar c = text.at(i);
        if (IsDigit(c)) {
            number += char(c.unicode());
            mantissaDigits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (!mantissaDigits)
        return 0;
    if (i < n && IsExponentMark(text.at(i))) {
        int j = i + 1;
        QByteArray exponent = "e";
        auto skip = [&] {
            while (j < n && IsBlank(text.at(j)))
                ++j;
        };
        skip();
        if (j < n && (text.at(j) == u'-' || text.at(j) == u'+')) {
            exponent += char(text.at(j).unicode());
            ++j;
        }
        bool exponentDigits = false;
        for (skip(); j < n && IsDigit(text.at(j)); skip()) {
            exponent += char(text.at(j).unicode());
            exponentDigits = true;
            ++j;
        }
        if (exponentDigits)
            number += exponent;
    }
    if (number.endsWith('.'))
        number.chop(1);
    bool ok = false;
    const double value = ParseAscii(number, &ok);
    if (!std::isfinite(value))
        ThrowOverflow(QStringLiteral("Val"));
    if (!ok && std::fabs(value) > 1)
        ThrowOverflow(QStringLiteral("Val"));
    return ok ? value : 0.0;
}

namespace {

// Parses a numeric text: blanks around it, a leading sign, digits with thousands separators,
// a decimal point, an exponent. Returns false when the text is not such a number or when its
// value does not fit a double.
bool ParseNumeric(const QString &text, double *value)
{
    const QString t = text.trimmed();
    const int n = int(t.size());
    int i = 0;
    QByteArray number;
    if (i < n && (t.at(i) == u'-' || t.at(i) == u'+'))
        number += char(t.at(i++).unicode());
    while (i < n && IsBlank(t.at(i)))
        ++i;
    bool digits = false;
    while (i < n && (IsDigit(t.at(i)) || (digits && t.at(i) == u','))) {
        if (t.at(i) != u',') {
            number += char(t.at(i).unicode());
            digits = true;
        }
        ++i;
    }
    if (i < n && t.at(i) == u'.') {
        number += '.';
        ++i;
        while (i < n && IsDigit(t.at(i))) {
            number += char(t.at(i).unicode());
            digits = true;
            ++i;
        }
    }
    if (!digits)
        return false;
    if (i < n && IsExponentMark(t.at(i))) {
        number += 'e';
        ++i;
        if (i < n && (t.at(i) == u'-' || t.at(i) == u'+'))
            number += char(t.at(i++).unicode());
        bool exponentDigits = false;
        while (i < n && IsDigit(t.at(i))) {
            number += char(t.at(i++).unicode());
            exponentDigits = true;
        }
        if (!exponentDigits)
            return false;
    }
    if (i != n)
        return false;
    if (number.endsWith('.'))
        number.chop(1);
    bool ok = false;
    const double v = ParseAscii(number, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

} // namespace

bool IsDigitsOnly(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool IsNumeric(const QString &text)
{
    double value = 0;
    return ParseNumeric(text, &value);
}

double ToNumber(const QString &text)
{
    double value = 0;
    return ParseNumeric(text, &value) ? value : 0.0;
}

QString Format(double value, const QString &pattern)
{
    if (!std::isfinite(value))
        ThrowOverflow(QStringLiteral("Format"));
    const qsizetype pointAt = pattern.indexOf(u'.');
    const QString integerPattern = pointAt < 0 ? pattern : pattern.left(pointAt);
    const QString decimalPattern = pointAt < 0 ? QString() : pattern.mid(pointAt + 1);
    const bool grouping = integerPattern.contains(u',');
    const int minIntegerDigits = int(integerPattern.count(u'0'));
    const int requiredDecimals = int(decimalPattern.count(u'0'));
    const int decimals = requiredDecimals + int(decimalPattern.count(u'#'));

    DecimalDigits d = ToDecimalDigits(value);
    RoundDigits(d, decimals);

    QString integerDigits;
    QString decimalDigits;
    for (int pos = 0; pos < d.pointPosition; ++pos)
        integerDigits += QChar::fromLatin1(pos < d.digits.size() ? d.digits.at(pos) : '0');
    for (int place = 1; place <= decimals; ++place) {
        const int pos = d.pointPosition + place - 1;
        decimalDigits += QChar::fromLatin1(pos >= 0 && pos < d.digits.size() ? d.digits.at(pos) : '0');
    }
    while (decimalDigits.size() > requiredDecimals && decimalDigits.endsWith(u'0'))
        decimalDigits.chop(1);
    while (integerDigits.size() < minIntegerDigits)
        integerDigits.prepend(u'0');
    if (grouping)
        integerDigits = GroupThousands(integerDigits);

    QString result;
    // A value that rounds to zero is written without a sign.
    if (d.negative && !d.digits.isEmpty())
        result += u'-';
    result += integerDigits;
    if (pointAt >= 0)
        result += u'.' + decimalDigits;
    return result;
}

// Quantities and costs carry at most four decimals: such a value, the double nearest to a decimal
// of at most 15 significant digits, reads back as that decimal at 15 digits, so its text is made
// from the scaled integer directly. Empty for any other value.
QString FourDecimalsText(double value)
{
    constexpr double Scale = 10000;
    const double scaled = std::round(value * Scale);
    if (!(std::fabs(scaled) < 1e15) || scaled / Scale != value)
        return QString();
    const qint64 units = qint64(std::fabs(scaled));
    if (units == 0)
        return QStringLiteral("0");
    QString text = QString::number(units / 10000);
    if (const qint64 fraction = units % 10000) {
        QString decimals = QString::number(fraction).rightJustified(4, u'0');
        while (decimals.endsWith(u'0'))
            decimals.chop(1);
        text += u'.' + decimals;
    }
    return value < 0 ? u'-' + text : text;
}

QString GeneralNumber(double value)
{
    if (!std::isfinite(value))
        ThrowOverflow(QStringLiteral("GeneralNumber"));
    if (QString text = FourDecimalsText(value); !text.isNull())
        return text;
    DecimalDigits d = ToDecimalDigits(value);
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    const QString sign = d.negative ? QStringLiteral("-") : QString();
    const int exponent = d.pointPosition - 1; // of the first digit
    const QString digits = QString::fromLatin1(d.digits);
    if (exponent >= 15 || exponent < -4) {
        QString mantissa = digits.left(1);
        if (digits.size() > 1)
            mantissa += u'.' + digits.mid(1);
        const QString exponentText = QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QChar(u'0'));
        return sign + mantissa + u'E' + (exponent < 0 ? u'-' : u'+') + exponentText;
    }
    if (exponent < 0)
        return sign + QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    if (digits.size() <= d.pointPosition)
        return sign + digits + QString(d.pointPosition - digits.size(), u'0');
    return sign + digits.left(d.pointPosition) + u'.' + digits.mid(d.pointPosition);
}

QString SignedText(qint64 value)
{
    if (value < 0)
        return QString::number(value);
    return u' ' + QString::number(value);
}

double RoundHalfAwayFromZero(double value)
{
    return std::round(value);
}

double RoundHalfEven(double value)
{
    const double rounded = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5)
        return 2.0 * std::round(value / 2.0);
    return rounded;
}

Currency Currency::fromDouble(double value)
{
    // Scaled at 15 significant digits first, so that 0.00015 is two ten-thousandths and not
    // the binary neighbour just below it.
    const double scaled = RoundHalfEven(QByteArray::number(value * 10000.0, 'e', 14).toDouble());
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(scaled) || scaled >= limit || scaled < -limit)
        ThrowOverflow(QStringLiteral("Currency"));
    return fromRaw(std::int64_t(scaled));
}

namespace {
const QString DateTimePattern = QStringLiteral("MM/dd/yyyy hh:mm:ss AP");
}

QString DateTimeText(const QDateTime &value)
{
    return QLocale::c().toString(value, DateTimePattern);
}

QDateTime ParseDateTimeText(const QString &text)
{
    const QString t = text.simplified();
    const QLocale c = QLocale::c();
    static const char *const dateTimeForms[] = {"M/d/yyyy h:mm:ss AP", "M/d/yyyy h:mm AP", "M/d/yyyy H:mm:ss",
                                                "M/d/yyyy H:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                                                "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss.zzz"};
    for (const char *form : dateTimeForms) {
        const QDateTime dt = c.toDateTime(t, QString::fromLatin1(form));
        if (dt.isValid())
            return dt;
    }
    static const char *const dateForms[] = {"M/d/yyyy", "yyyy-MM-dd"};
    for (const char *form : dateForms) {
        const QDate date = c.toDate(t, QString::fromLatin1(form));
        if (date.isValid())
            return QDateTime(date, QTime(0, 0));
    }
    return QDateTime();
}

bool IsNumberValue(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}
