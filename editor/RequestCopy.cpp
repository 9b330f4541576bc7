#include "editor/RequestCopy.h"

#include "editor/ProposedLines.h"
#include "editor/RequestLookups.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/WaitCursor.h"
#include "records/OfferedStock.h"
#include "shell/Helpers.h"
#include "shell/Session.h"
#include "ui_frmMain.h"

#include <QHash>

namespace {

struct StoredLine
{
    QString itemId, description;
    double quantity = 0;
    bool retail = false;
};

std::vector<StoredLine> ReadLines(const QString &documentNumber)
{
    Recordset rs;
    rs.cursorLocation = CursorLocation::Client;
    rs.Open(QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest '") + SqlText(documentNumber) +
                QStringLiteral("'"),
            CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);
    std::vector<StoredLine> lines;
    for (; !rs.Eof(); rs.MoveNext()) {
        StoredLine line;
        line.itemId = NullToDefault(rs.Fields(QStringLiteral("ItemID")), QString()).toString();
        line.description =
            NullToDefault(rs.Fields(QStringLiteral("Description")), QString()).toString().trimmed();
        line.quantity = NullToDefault(rs.Fields(QStringLiteral("Quantity")), 0).toDouble();
        line.retail =
            NullToDefault(rs.Fields(QStringLiteral("ForRetail")), QString()).toString() != QLatin1String("N");
        lines.push_back(line);
    }
    rs.Close();
    return lines;
}

} // namespace

RequestCopy::RequestCopy(Ui::frmMain &ui, DetailGrid &lines) : m_ui(ui), m_lines(lines) {}

RequestCopy::~RequestCopy() = default;

void RequestCopy::copySelectedRequest(const std::function<void()> &startNewRequest)
{
    Ui::frmMain &ui = m_ui;
    const QString documentNumber = ListedDocumentNumber(*ui.grdListing).trimmed();
    if (documentNumber.isEmpty())
        return;
    if (!UserHasLocationAccess(gCurrentUser->EmployeeCode(), ListedTargetLocationId(*ui.grdListing))) {
        MsgBox(QStringLiteral("User not Authorized for this Location."), MsgButtons::OK,
               MsgIcon::Information);
        return;
    }

    WaitCursor wait;
    // Read before New changes anything: a failure leaves the window as it was.
    const std::vector<StoredLine> stored = ReadLines(documentNumber);

    // New keeps the selected request's department and location.
    startNewRequest();
    const QString department = ui.cboTargetLocation->Tag().trimmed();
    const QString location = ui.cboLocation->Tag().trimmed();
    if (department.isEmpty() || location.isEmpty())
        return;

    QHash<QString, OfferedItem> offered;
    for (OfferedItem &item :
         ReadOfferedStock(CurrentConnection(), department, location, ui.txtDocNum->text(), documentNumber))
        offered.insert(item.itemId.toUpper(), std::move(item));

    const LineRules rules = LineRules::current(ui);
    std::vector<ProposedLine> lines;
    QStringList leftOut;
    for (const StoredLine &line : stored) {
        const auto item = offered.constFind(line.itemId.trimmed().toUpper());
        std::optional<ProposedLine> made;
        if (item != offered.constEnd())
            made = rules.make(item.value(), line.quantity, line.retail);
        if (made)
            lines.push_back(*made);
        else
            leftOut << QString(line.itemId + QLatin1Char(' ') + line.description).trimmed();
    }

    AddToRequest(ui, m_lines, lines);

    if (!leftOut.isEmpty())
        MsgBox(QStringLiteral("These items are no longer offered for this pair of locations, or the location "
                              "holds none to give, and were left out:\n") +
                   leftOut.join(QLatin1Char('\n')),
               MsgButtons::OK, MsgIcon::Information, QStringLiteral("MESSAGE"));
}
