#include "records/RecordValues.h"

#include "platform/Database.h"
#include "platform/Error.h"

#include <cmath>
#include <limits>

namespace {

const QString conversionSource = QStringLiteral("records");

[[noreturn]] void invalidUseOfNull()
{
    throw Error(94, conversionSource, QStringLiteral("Invalid use of Null"));
}

[[noreturn]] void typeMismatch()
{
    throw Error(13, conversionSource, QStringLiteral("Type mismatch"));
}

[[noreturn]] void overflow()
{
    throw Error(6, conversionSource, QStringLiteral("Overflow"));
}

void requireValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        invalidUseOfNull();
}

double numberOf(const QVariant &value)
{
    requireValue(value);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    case QMetaType::QString: {
        const QString text = value.toString();
        if (!IsNumeric(text))
            typeMismatch();
        return ToNumber(text);
    }
    default: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            typeMismatch();
        return number;
    }
    }
}

} // namespace

QString ValueText(const QVariant &value)
{
    requireValue(value);
    if (value.typeId() == QMetaType::Double) {
        const double number = value.toDouble();
        return GeneralNumber(number);
    }
    if (value.typeId() == QMetaType::QDateTime)
        return DateTimeText(value.toDateTime());
    return value.toString();
}

QString TextOrEmpty(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    return ValueText(value);
}

qint16 ToInteger(double value)
{
    if (!std::isfinite(value))
        overflow();
    const double whole = RoundHalfEven(value);
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
        overflow();
    return qint16(whole);
}

qint16 ValueInteger(const QVariant &value)
{
    return ToInteger(numberOf(value));
}

double ValueDouble(const QVariant &value)
{
    return numberOf(value);
}

Currency ValueCurrency(const QVariant &value)
{
    const double number = numberOf(value);
    if (!std::isfinite(number) || std::fabs(number) > 922337203685477.0)
        overflow();
    return Currency::fromDouble(number);
}

bool ValueBoolean(const QVariant &value)
{
    requireValue(value);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return numberOf(value) != 0.0;
}

QDateTime ValueDate(const QVariant &value)
{
    requireValue(value);
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        QDateTime parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!parsed.isValid())
            parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!parsed.isValid())
            parsed = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
        if (!parsed.isValid())
            parsed = ParseDateTimeText(text);
        if (!parsed.isValid())
            typeMismatch();
        return parsed;
    }
    typeMismatch();
}

QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

Connection &RequireConnection(Connection *connection)
{
    if (!connection)
        throw Error(91, conversionSource, QStringLiteral("Object variable or With block variable not set"));
    return *connection;
}
