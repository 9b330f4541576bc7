#pragma once

#include "shell/NumberText.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>

class Connection;

// Conversions of column values into the records' member types. A null value cannot be converted
// (the caller applies its default first where the column has one) and fails, as does a value
// that does not fit the type; every failure is thrown as Error.

QString ValueText(const QVariant &value);
qint16 ValueInteger(const QVariant &value);
double ValueDouble(const QVariant &value);
Currency ValueCurrency(const QVariant &value);
bool ValueBoolean(const QVariant &value);
QDateTime ValueDate(const QVariant &value);

// Text of the value, "" when it is null.
QString TextOrEmpty(const QVariant &value);

// The text without leading and trailing blanks (only blanks: other white space is kept).
QString TrimBlanks(const QString &text);

// The connection, or an Error when none was given.
Connection &RequireConnection(Connection *connection);

// Brings a number to the nearest whole number, halves to even, as a 16-bit integer; fails with
// "Overflow" outside its range.
qint16 ToInteger(double value);

// The value given to a 16-bit Integer property. Any number converts to it as the caller passes
// it, rounded as ToInteger does; a value outside -32768..32767 fails there with "Overflow" (6),
// before the property changes, instead of wrapping around.
class IntegerArgument
{
public:
    // Implicit on purpose: callers pass plain numbers, as to any numeric parameter.
    IntegerArgument(double value) : m_value(ToInteger(value)) {}
    operator qint16() const { return m_value; }

private:
    qint16 m_value;
};

// The related record held in `held`: created, given the connection and loaded by `load` on the first
// read (a load that finds no row leaves it reset), then returned as it is on every later read.
template <typename Record, typename Load>
std::shared_ptr<Record> LoadOnFirstRead(std::shared_ptr<Record> &held, Connection *connection, Load load)
{
    if (!held) {
        auto record = std::make_shared<Record>();
        record->setActiveConnection(connection);
        load(*record);
        held = std::move(record);
    }
    return held;
}
