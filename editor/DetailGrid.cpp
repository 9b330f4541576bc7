#include "editor/DetailGrid.h"

#include "editor/EntryNumbers.h"
#include "editor/ItemFacts.h"
#include "platform/Messages.h"
#include "widgets/Application.h"
#include "shell/NumberText.h"
#include "shell/Session.h"
#include "ui_frmMain.h"

#include <cmath>
#include <iterator>

namespace {

const QString NewRequestFormat =
    QStringLiteral("Code |< Product Name & Description | Quantity | Unit Cost| Total Cost| Retail?| Remarks|");
const int ColumnWidths[] = {800, 5000, 1000, 1000, 1000, 700, 0};
const QString TotalFormat = QStringLiteral("###,###,##0.0000");
const QString CostFormat = QStringLiteral("########0.0000");
const QString MessageTitle = QStringLiteral("MESSAGE");

// Rows beyond which the grid scrolls so that the blank row at the end stays visible.
constexpr int VisibleRows = 7;

void Inform(const QString &text, const QString &title = MessageTitle)
{
    MsgBox(text, MsgButtons::OK, MsgIcon::Information, title);
}

bool CanTakeFocus(QWidget *widget)
{
    return widget->isEnabled() && widget->isVisible();
}

} // namespace

DetailGrid::DetailGrid(Ui::frmMain &ui, ItemFacts &facts) : m_ui(ui), m_facts(facts)
{
    connectControls();
}

DetailGrid::~DetailGrid() = default;

void DetailGrid::connectControls()
{
    Ui::frmMain &ui = m_ui;
    connect(ui.cmdOK, &QPushButton::clicked, this, GuardedSlot([this] { cmdOK_Click(); }));
    connect(ui.cmdAdd, &QPushButton::clicked, this, GuardedSlot([this] { cmdAdd_Click(); }));
    connect(ui.cmdDelete, &QPushButton::clicked, this, GuardedSlot([this] { cmdDelete_Click(); }));

    FlexGrid *grid = ui.grdDetails;
    connect(grid, &FlexGrid::DblClick, this, GuardedSlot([this] { grdDetails_DblClick(); }));
    connect(grid, &FlexGrid::KeyPress, this, [this](int &keyAscii) {
        Guarded([this, &keyAscii] { grdDetails_KeyPress(keyAscii); });
    });
    connect(grid, &FlexGrid::RowColChange, this, GuardedSlot([this] { grdDetails_RowColChange(); }));
}

void DetailGrid::ResetForNewRequest()
{
    FlexGrid *grid = m_ui.grdDetails;
    grid->setDataSource(nullptr);
    grid->Clear();
    grid->setRows(2);
    grid->setFormatString(NewRequestFormat);
    for (int col = 0; col < int(std::size(ColumnWidths)); ++col)
        grid->setColWidth(col, ColumnWidths[col]);
}

void DetailGrid::cmdOK_Click()
{
    Ui::frmMain &ui = m_ui;
    ui.txtTotalCounter->setVisible(true);

    if (ui.txtProdCode->text().trimmed().isEmpty()) {
        Inform(QStringLiteral("Invalid product code..."));
        ui.txtProdCode->setFocus(Qt::OtherFocusReason);
        return;
    }

    const QString quantityText = ui.txtWithdraw->text();
    if (!IsEntryNumber(quantityText)) {
        Inform(QStringLiteral("Invalid quantity..."));
        ui.txtWithdraw->setFocus(Qt::OtherFocusReason);
        return;
    }
    const double quantity = EntryValue(quantityText);
    const double onHand = EntryValue(ui.txtOnhand->text());

    if (IsSwitchOn(QStringLiteral("5")) && onHand < quantity) {
        Inform(QStringLiteral("Quantity must be less than or equal to Current Stock..."));
        ui.txtWithdraw->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (quantity == 0) {
        Inform(QStringLiteral("Please enter a value for Quantity."));
        ui.txtWithdraw->setFocus(Qt::OtherFocusReason);
        return;
    }

    const QString costText = ui.txtUnitCost->text();
    if (!IsEntryNumber(costText) || EntryValue(costText) < 0) {
        Inform(QStringLiteral("Invalid unit cost..."));
        ui.txtUnitCost->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (quantity < 0) {
        Inform(QStringLiteral("Quantity must not be lesser than zero."), QStringLiteral("HEY!"));
        ui.txtWithdraw->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (gAllowWDZeroOnHand && onHand <= 0) {
        MsgBox(QStringLiteral("Zero Item Onhand"), MsgButtons::OK, MsgIcon::Critical, QStringLiteral("HEY!"));
        MsgBox(QStringLiteral("Enter another item"), MsgButtons::OK, MsgIcon::Information, QStringLiteral("OK"));
        ui.txtProdCode->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (gClientName == QLatin1String("ZELTRA") && onHand < quantity)
        MsgBox(QStringLiteral("The requested quantity is greater than the current stock"), MsgButtons::OK,
               MsgIcon::Critical, QStringLiteral("HEY!"));

    FlexGrid *grid = ui.grdDetails;
    const int row = grid->Row();
    grid->setTextMatrix(row, 0, ui.txtProdCode->text());
    grid->setTextMatrix(row, 1, ui.txtProdName->text());
    grid->setTextMatrix(row, 2, ui.txtWithdraw->text());
    grid->setTextMatrix(row, 3, ui.txtUnitCost->text());
    grid->setTextMatrix(row, 4, ui.txtTotalCost->text());
    grid->setTextMatrix(row, 5, ui.optConsumed_0->isChecked() ? QStringLiteral("Y") : QStringLiteral("N"));
    grid->setTextMatrix(row, 6, ui.chkAdS->isChecked() ? QStringLiteral("Y") : QStringLiteral("N"));

    if (row == grid->Rows() - 1) {
        grid->setRows(grid->Rows() + 1);
        grid->setRow(grid->Rows() - 1);
        keepLastRowInView();
        LoadGridRow();
        if (CanTakeFocus(ui.txtProdCode))
            ui.txtProdCode->setFocus(Qt::OtherFocusReason);
    } else {
        grid->setFocus(Qt::OtherFocusReason);
    }

    ui.cmdOK->setEnabled(false);
    ComputeGrandTotal();
    ShowLineCounter();
}

void DetailGrid::keepLastRowInView()
{
    FlexGrid *grid = m_ui.grdDetails;
    if (grid->Row() > VisibleRows)
        grid->setTopRow(grid->Rows() - VisibleRows);
}

void DetailGrid::cmdAdd_Click()
{
    Ui::frmMain &ui = m_ui;
    FlexGrid *grid = ui.grdDetails;
    grid->setRow(grid->Rows() - 1);
    keepLastRowInView();
    grdDetails_DblClick();
    if (CanTakeFocus(ui.txtProdCode))
        ui.txtProdCode->setFocus(Qt::OtherFocusReason);
}

void DetailGrid::cmdDelete_Click()
{
    // The grid's "." key deletes a line too; a request shown for viewing keeps its lines.
    if (m_viewingOnly)
        return;
    FlexGrid *grid = m_ui.grdDetails;
    if (grid->Row() >= 1 && grid->Row() < grid->Rows() - 1)
        grid->RemoveItem(grid->Row());
    grid->setFocus(Qt::OtherFocusReason);
    LoadGridRow();
    ComputeGrandTotal();
    ShowLineCounter();
}

void DetailGrid::grdDetails_DblClick()
{
    LoadGridRow();
    m_ui.txtProdCode->setFocus(Qt::OtherFocusReason);
    ShowLineCounter();
}

void DetailGrid::grdDetails_KeyPress(int &keyAscii)
{
    if (keyAscii == 13) {
        keyAscii = 0;
        grdDetails_DblClick();
    } else if (keyAscii == '.') {
        keyAscii = 0;
        cmdDelete_Click();
    }
}

void DetailGrid::grdDetails_RowColChange()
{
    LoadGridRow();
    ShowLineCounter();
}

void DetailGrid::LoadGridRow()
{
    Ui::frmMain &ui = m_ui;
    FlexGrid *grid = ui.grdDetails;
    const int row = grid->Row();
    const auto cell = [grid, row](int col) {
        return row >= 1 && row < grid->Rows() && col < grid->Cols() ? grid->TextMatrix(row, col) : QString();
    };

    ui.txtProdCode->setText(cell(0));
    ui.txtProdName->setText(cell(1));
    ui.txtWithdraw->setText(cell(2));
    ui.txtUnitCost->setText(cell(3));
    ui.txtTotalCost->setText(cell(4));

    if (cell(5) != QLatin1String("N") && ui.optConsumed_0->isEnabled())
        ui.optConsumed_0->setChecked(true);
    else
        ui.optConsumed_1->setChecked(true);
    ui.chkAdS->setChecked(cell(6) == QLatin1String("Y"));

    m_facts.ShowItemDetails();
}

void DetailGrid::ComputeGrandTotal()
{
    FlexGrid *grid = m_ui.grdDetails;
    double total = 0;
    for (int row = 1; row < grid->Rows(); ++row) {
        if (grid->Cols() <= 4 || !IsNumeric(grid->TextMatrix(row, 4))
            || !std::isfinite(ToNumber(grid->TextMatrix(row, 4))))
            continue;
        // Rewritten without thousands separators so that the whole amount is read back.
        grid->setTextMatrix(row, 4, Format(ToNumber(grid->TextMatrix(row, 4)), CostFormat));
        total += Val(grid->TextMatrix(row, 4));
    }
    m_ui.txtTotalCounter->setText(Format(total, TotalFormat));
}

void DetailGrid::ShowLineCounter()
{
    FlexGrid *grid = m_ui.grdDetails;
    m_ui.txtLineCounter->setText(SignedText(grid->Row()) + QLatin1Char('/') + SignedText(grid->Rows() - 1));
}
