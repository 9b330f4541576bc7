#include "editor/KitExpansion.h"

#include "editor/DetailGrid.h"
#include "editor/frmKitEntry.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/FlexGrid.h"
#include "shell/NumberText.h"
#include "shell/Session.h"

#include <QLineEdit>

#include <cmath>
#include <limits>

namespace {

const QString KitTestQuery = QStringLiteral("Select B.ItemID as Code from Inventory..tbInvKit A ")
                             + QStringLiteral("Left Outer Join Inventory..tbInvMaster B On A.KitID = B.KitID ")
                             + QStringLiteral("Where not Active = 'I' and B.ItemID = '");
const QString AllComponentsQuery = QStringLiteral("Inventory..sp_Inv_KitofItems ");
const QString OneComponentQuery = QStringLiteral("Inventory..sp_Inv_KitofItems_PerItem ");
const QString KitQuestion = QStringLiteral("Item is a Kit. Do you want to add items located in the Kit?");

QString CellText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return GeneralNumber(value.toDouble());
    return value.toString();
}

} // namespace

KitExpansion::KitExpansion(QWidget &window, QLineEdit &code, FlexGrid &grid, DetailGrid &lines)
    : m_window(window), m_code(code), m_grid(grid), m_lines(lines)
{
}

bool KitExpansion::IsKit(const QString &code) const
{
    Recordset kit;
    kit.cursorLocation = CursorLocation::Client;
    kit.Open(KitTestQuery + SqlText(code) + QLatin1Char('\''), CurrentConnection());
    const bool found = kit.RecordCount() > 0;
    const QString kitCode = found ? kit.Fields(QStringLiteral("Code")).toString() : QString();
    kit.Close();
    return found && kitCode == code;
}

void KitExpansion::Offer(const QString &kitCode)
{
    if (MsgBox(KitQuestion, MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Message")) != MsgAnswer::Yes)
        return;

    QString componentId;
    {
        frmKitEntry picker(&m_window);
        picker.setItemID(kitCode);
        picker.exec();
        componentId = picker.ItemID();
    }
    Expand(m_code.text(), frmKitEntry::AllItems(), componentId);
}

QString KitExpansion::KitNumber(const QString &code)
{
    const QString text = code.trimmed();
    if (!IsNumeric(text))
        throw Error(13, QStringLiteral("KitExpansion"), QStringLiteral("Type mismatch"));
    const double value = RoundHalfEven(ToNumber(text));
    if (!std::isfinite(value) || value < double(std::numeric_limits<qint32>::min())
        || value > double(std::numeric_limits<qint32>::max()))
        throw Error(6, QStringLiteral("KitExpansion"), QStringLiteral("Overflow"));
    return QString::number(qint64(value));
}

void KitExpansion::Expand(const QString &kitCode, bool allItems, const QString &componentId)
{
    const QString kit = KitNumber(kitCode);
    QString sql;
    if (allItems) {
        sql = AllComponentsQuery + kit;
    } else {
        // The component's code is joined without quotes, so it may only be a plain item number.
        if (!IsDigitsOnly(componentId))
            throw Error(13, QStringLiteral("KitExpansion"), QStringLiteral("Type mismatch"));
        sql = OneComponentQuery + kit + QLatin1Char(',') + componentId;
    }

    Recordset components;
    components.cursorLocation = CursorLocation::Client;
    components.Open(sql, CurrentConnection());
    if (components.RecordCount() == 0)
        return;

    FlexGrid *grid = &m_grid;
    grid->setCols(8);
    grid->setRows(2);
    for (int col = 0; col < grid->Cols(); ++col)
        grid->setTextMatrix(1, col, QString());

    static const char *const columns[] = {"ItemID", "ItemName", "Qty", "UnitCost", "Amount", "RetailType"};
    for (components.MoveFirst(); !components.Eof(); components.MoveNext()) {
        const int row = grid->Rows() - 1;
        for (int col = 0; col < 6; ++col)
            grid->setTextMatrix(row, col, CellText(components.Fields(QLatin1String(columns[col]))));
        grid->setRows(grid->Rows() + 1);
    }
    components.Close();

    grid->RemoveItem(grid->Rows() - 1);
    grid->setRow(1);
    grid->setCol(1);

    m_lines.LoadGridRow();
    m_lines.ComputeGrandTotal();
    m_lines.ShowLineCounter();
}
