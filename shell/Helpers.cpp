#include "shell/Helpers.h"

#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Error.h"
#include "shell/Session.h"

#include <limits>

QString ItemIdFromBarcode(const QString &code)
{
    QString result = code;
    if (code.isEmpty())
        return result;
    Recordset rs;
    rs.cursorLocation = CursorLocation::Client;
    rs.Open(QStringLiteral("Select ItemID from INVENTORY..tbInvMaster Where Barcode = '") + SqlText(code)
                + QStringLiteral("'"),
            CurrentConnection(), CursorType::Dynamic, LockType::Optimistic);
    if (rs.RecordCount() > 0)
        result = rs.Fields(QStringLiteral("ItemID")).toString();
    if (rs.IsOpen())
        rs.Close();
    return result;
}

QVariant NullToDefault(const QVariant &value, const QVariant &defaultValue)
{
    if (!value.isValid() || value.isNull())
        return defaultValue;
    return value;
}

void RaiseError(qint32 number, const QString &source)
{
    const QString description = ErrorText(number);
    const qint64 sum = qint64(number) + qint64(vbObjectError);
    if (sum < std::numeric_limits<qint32>::min() || sum > std::numeric_limits<qint32>::max())
        throw Error(6, source, QStringLiteral("Overflow"));
    throw Error(qint32(sum), source, description);
}

QString ErrorText(qint32 number)
{
    // The application ships no message table, so every lookup falls back to this text.
    return QStringLiteral("An unknown error has occurred!");
}
