#include "editor/RequestLookups.h"

#include "platform/Database.h"
#include "widgets/FlexGrid.h"
#include "shell/Session.h"

bool UserHasLocationAccess(const QString &userId, const QString &locationId)
{
    Recordset rs;
    rs.Open(QStringLiteral("Select * from inventory..tbinvuserlocation where userid = '") + SqlText(userId)
                + QStringLiteral("' and Locationid = '") + SqlText(locationId.trimmed()) + QStringLiteral("'"),
            CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);
    const bool assigned = rs.RecordCount() > 0;
    rs.Close();
    return assigned;
}

QString NextDocumentNumber()
{
    QString result = QStringLiteral("1");
    Recordset rs;
    rs.Open(QStringLiteral("Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From "
                           "INVENTORY..tbInvWithdrawRequest"),
            CurrentConnection(), CursorType::Dynamic, LockType::Optimistic);
    if (rs.RecordCount() > 0) {
        const QVariant docNum = rs.Fields(QStringLiteral("DocNum"));
        if (!docNum.isNull())
            result = docNum.toString();
    }
    rs.Close();
    return result;
}

bool DocumentNumberExists(const QString &documentNumber)
{
    Recordset rs;
    rs.Open(QStringLiteral("Select DocumentNumber from Inventory..tbinvWithdrawRequest where DocumentNumber = '")
                + SqlText(documentNumber.trimmed()) + QStringLiteral("'"),
            CurrentConnection(), CursorType::Dynamic, LockType::Optimistic);
    const bool exists = rs.RecordCount() > 0;
    rs.Close();
    return exists;
}

QString ListedDocumentNumber(const FlexGrid &listing)
{
    const int row = listing.Row();
    if (row < 1 || row >= listing.Rows())
        return QString();
    return listing.TextMatrix(row, 0);
}

QString ListedTargetLocationId(const FlexGrid &listing)
{
    const int row = listing.Row();
    // The sixth, hidden column carries the requesting department's id.
    if (row < 1 || row >= listing.Rows() || listing.Cols() < 6)
        return QString();
    return listing.TextMatrix(row, 5);
}
