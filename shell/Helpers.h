#pragma once

#include <QString>
#include <QVariant>

// Error number base of application errors; RaiseError adds the given number to it.
constexpr qint32 vbObjectError = -2147221504;

QString ItemIdFromBarcode(const QString &code);

// The default when the value is null (a database NULL or an empty QVariant), else the value.
QVariant NullToDefault(const QVariant &value, const QVariant &defaultValue);

// Throws Error(number + vbObjectError, source, ErrorText(number)). A number below -262144
// overflows the addition and throws an overflow error instead (number 6, "Overflow").
[[noreturn]] void RaiseError(qint32 number, const QString &source);

// The message text for an error number; the application ships none, so every number gives
// "An unknown error has occurred!".
QString ErrorText(qint32 number);

// Runs body; any failure is re-raised as error 9999 with the given source. For the records'
// property procedures and methods.
template <typename F>
auto Reraise(const QString &source, F &&body) -> decltype(body())
{
    try {
        return body();
    } catch (...) {
        RaiseError(9999, source);
    }
}
