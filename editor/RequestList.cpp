#include "editor/RequestList.h"

#include "editor/DetailGrid.h"
#include "editor/RequestLookups.h"
#include "editor/StoredRequest.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/Application.h"
#include "widgets/FlexGrid.h"
#include "widgets/WaitCursor.h"
#include "reports/core/PrintReport.h"
#include "reports/core/ReportFiles.h"
#include "reports/frmReportViewer.h"
#include "shell/Helpers.h"
#include "shell/NumberText.h"
#include "shell/Session.h"

#include "ui_frmMain.h"

namespace {

const QString kListFormat =
    QStringLiteral("Doc #     |Request From                |To                           |Date             |Requested By");
const QString kDetailFormat =
    QStringLiteral("Code |< Product Name & Description | Quantity | Unit Cost| Total Cost| Retail?|");
constexpr int kListWidths[] = {1200, 2000, 2000, 1700, 2200, 0};
constexpr int kDetailWidths[] = {800, 5000, 1000, 1000, 1000, 700, 0};

void showNotAuthorized()
{
    MsgBox(QStringLiteral("User not Authorized for this Location."), MsgButtons::OK, MsgIcon::Information);
}

QString fieldText(const Recordset &rs, const QString &name)
{
    return NullToDefault(rs.Fields(name), QString()).toString();
}

// The position of a field of the recordset's rows; throws as Fields does when there is none.
int fieldIndex(const Recordset &rs, const QString &name)
{
    const int index = rs.table() ? rs.table()->columnIndex(name) : -1;
    if (index < 0)
        rs.Fields(name); // the recordset's own error for a missing field
    return index;
}

// Quantities and costs come back as numbers; they are shown in plain decimal form.
QString numberText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return GeneralNumber(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace

RequestList::RequestList(Ui::frmMain &ui, DetailGrid &lines) : m_ui(ui), m_lines(lines)
{

    for (QRadioButton *option : {ui.optOptions_0, ui.optOptions_1})
        connect(option, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                Guarded([this] { optOptions_Click(); });
        });
    connect(ui.chkverified, &QCheckBox::toggled, this, GuardedSlot([this] { chkverified_Click(); }));
    connect(ui.grdListing, &FlexGrid::DblClick, this, GuardedSlot([this] { grdListing_DblClick(); }));
    connect(ui.cmdView, &QPushButton::clicked, this, GuardedSlot([this] { View(); }));
}

RequestList::~RequestList() = default;

QString RequestList::listStatement() const
{
    Ui::frmMain &ui = m_ui;
    QString sql = QStringLiteral("Select distinct A.DocumentNumber , B.Location ,")
        + QStringLiteral(" C.Location ,A.TransDate ,")
        + QStringLiteral(" (Select Top 1 LastName + ', ' + FirstName From Password..tbPasswordMain Where "
                         "EmployeeID = A.UserID),A.targetlocationid ")
        + QStringLiteral(" from INVENTORY..tbinvwithdrawrequest A ")
        + QStringLiteral(" Left Outer Join INVENTORY..tbinvlocation B")
        + QStringLiteral(" On A.TargetLocationID = B.LocationID")
        + QStringLiteral(" Left Outer Join INVENTORY..tbinvLocation C")
        + QStringLiteral(" On A.LocationId = C.LocationID")
        + QStringLiteral(" Left Outer Join INVENTORY..tbinvUserLocation D")
        + QStringLiteral(" On A.LocationID = D.LocationID")
        + QStringLiteral(" Where D.UserID = '") + SqlText(gCurrentUser->EmployeeCode()) + QStringLiteral("' and ");
    sql += ui.optOptions_0->isChecked() ? QStringLiteral(" isnull(A.Status,'') = '' ")
                                        : QStringLiteral(" A.Status = 'P' ");
    sql += ui.chkverified->isChecked() ? QStringLiteral(" and isnull(verifiedby,'')<> '' Order By Transdate")
                                       : QStringLiteral(" and isnull(verifiedby,'') = '' Order By Transdate");
    return sql;
}

void RequestList::RefreshRequestList()
{
    FlexGrid *grid = m_ui.grdListing;
    WaitCursor wait;
    // The selected request stays selected when the list is read again: opening a request reads the
    // list once more on the way, and the request opened must be the one the user chose.
    const QString selected = selectedDocumentNumber().trimmed();
    try {
        auto rs = std::make_shared<Recordset>();
        rs->cursorLocation = CursorLocation::Client;
        rs->Open(listStatement(), CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);
        const bool any = rs->RecordCount() > 0;
        grid->setEnabled(any);
        // The same requests as shown (the list is read again after every load, for one): the grid,
        // its selection and its scroll position stay as they are, and nothing is drawn again.
        if (any && grid->FormatString() == kListFormat && grid->Cols() == 6 && grid->showsRowsAsRead(*rs->table()))
            return;
        if (any) {
            grid->setDataSource(rs);
        } else {
            grid->setDataSource(nullptr);
            grid->Clear();
        }
        // The header names five columns; the sixth, hidden, carries the requesting department's
        // id that the access checks read, so it is kept and the widths are set after the header.
        grid->setFormatString(kListFormat);
        if (any) {
            grid->setCols(6);
            for (int col = 0; col < 6; ++col)
                grid->setColWidth(col, kListWidths[col]);
            for (int row = 1; row < grid->Rows() && !selected.isEmpty(); ++row) {
                if (grid->TextMatrix(row, 0).trimmed() == selected) {
                    grid->setRow(row);
                    break;
                }
            }
        }
    } catch (const std::exception &e) {
        MsgBox(QString::fromUtf8(e.what()));
    }
}

QString RequestList::selectedDocumentNumber() const
{
    return ListedDocumentNumber(*m_ui.grdListing);
}

QString RequestList::selectedTargetLocationId() const
{
    return ListedTargetLocationId(*m_ui.grdListing);
}

void RequestList::LoadRequest(bool selectedRequest)
{
    Ui::frmMain &ui = m_ui;
    FlexGrid *grid = ui.grdDetails;

    // The stored rows are read before the lines: should another workstation write in between, the
    // window holds the older state and a save is refused rather than let through.
    const StoredRequest stored =
        selectedRequest ? StoredRequest::read(*CurrentConnection(), selectedDocumentNumber()) : StoredRequest();
    const QString sql = selectedRequest
        ? QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest '") + SqlText(selectedDocumentNumber())
            + QStringLiteral("'")
        : QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest 'NEW'");
    Recordset rs;
    rs.cursorLocation = CursorLocation::Client;
    rs.Open(sql, CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);

    if (rs.RecordCount() > 0) {
        ui.cboLocation->setTag(fieldText(rs, QStringLiteral("LocationID")));
        ui.cboLocation->setText(fieldText(rs, QStringLiteral("Location")));
        ui.cboTargetLocation->setTag(fieldText(rs, QStringLiteral("TargetLocationID")));
        ui.cboTargetLocation->setText(fieldText(rs, QStringLiteral("TLocation")));
        ui.txtDocNum->setText(fieldText(rs, QStringLiteral("DocumentNumber")));
        if (stored.exists())
            showStoredHeader(stored);

        grid->setDataSource(nullptr);
        grid->setRows(rs.RecordCount() + 2);
        grid->setCols(7);
        // The fields are found by name once (a missing one fails here as it would on every line).
        const int itemId = fieldIndex(rs, QStringLiteral("ItemID"));
        const int description = fieldIndex(rs, QStringLiteral("Description"));
        const int quantityField = fieldIndex(rs, QStringLiteral("Quantity"));
        const int unitCostField = fieldIndex(rs, QStringLiteral("UnitCost"));
        const int forRetail = fieldIndex(rs, QStringLiteral("ForRetail"));
        const int isAds = fieldIndex(rs, QStringLiteral("isADS"));
        const auto text = [&rs](int field) { return NullToDefault(rs.Fields(field), QString()).toString(); };
        for (int row = 1; !rs.Eof(); rs.MoveNext(), ++row) {
            const QVariant quantity = NullToDefault(rs.Fields(quantityField), 0);
            const QVariant unitCost = NullToDefault(rs.Fields(unitCostField), 0);
            grid->setTextMatrix(row, 0, text(itemId));
            grid->setTextMatrix(row, 1, text(description));
            grid->setTextMatrix(row, 2, numberText(quantity));
            grid->setTextMatrix(row, 3, numberText(unitCost));
            grid->setTextMatrix(row, 4, GeneralNumber(quantity.toDouble() * unitCost.toDouble()));
            grid->setTextMatrix(row, 5, text(forRetail));
            grid->setTextMatrix(row, 6, VariantToBoolean(rs.Fields(isAds)) ? QStringLiteral("Y") : QStringLiteral("N"));
        }
        m_lines.LoadGridRow();
    } else {
        grid->setDataSource(nullptr);
        grid->Clear();
        grid->setCols(7);
        grid->setRows(2);
        grid->setRow(1);
    }

    grid->setFormatString(kDetailFormat);
    for (int col = 0; col < 7; ++col)
        grid->setColWidth(col, kDetailWidths[col]);
    m_lines.ShowLineCounter();
    requestLoaded(stored);
}

// The justification and date shown are the stored ones, so saving again without a change writes
// back what was stored rather than what the window held before.
void RequestList::showStoredHeader(const StoredRequest &stored)
{
    Ui::frmMain &ui = m_ui;
    ui.txtRemarks->setText(stored.remarks());
    const QDateTime date = stored.transDate();
    if (!date.isValid())
        return;
    // A request saved at another workstation after this session started keeps its own date.
    if (date > ui.txtTransDate->maximumDateTime())
        ui.txtTransDate->setMaximumDateTime(date);
    ui.txtTransDate->setDateTime(date);
}

// Prints the request through the report engine and shows the viewer.
void RequestList::printWithViewer(bool shortForm, const QStringList &values)
{
    PrintReport(reportDefinitionPath(shortForm ? QStringLiteral("DepartmentRequest_Short.rpt")
                                               : QStringLiteral("DepartmentRequest.rpt")),
                QVariantList(values.cbegin(), values.cend()));
    ShowReportViewer(false, QStringLiteral("Inventory Master File"));
}

QStringList RequestList::reportValues(bool shortForm, const QString &documentNumber)
{
    if (shortForm)
        return {documentNumber};
    return {gCompany, gAddress1, documentNumber};
}

void RequestList::View()
{
    Ui::frmMain &ui = m_ui;
    const QString documentNumber = ui.SSTab1->currentIndex() == 1 ? ui.txtDocNum->text().trimmed()
                                                                   : selectedDocumentNumber().trimmed();
    WaitCursor wait;
    const bool shortForm = ui.chkPrint->isChecked();
    m_printHook(shortForm, reportValues(shortForm, documentNumber));
}

void RequestList::optOptions_Click()
{
    Ui::frmMain &ui = m_ui;
    if (ui.optOptions_1->isChecked()) {
        ui.chkverified->setChecked(true);
        ui.chkverified->setEnabled(false);
    } else {
        ui.chkverified->setEnabled(true);
        ui.chkverified->setChecked(false);
    }
    RefreshRequestList();
}

void RequestList::chkverified_Click()
{
    Ui::frmMain &ui = m_ui;
    RefreshRequestList();
    if (ui.chkverified->isChecked()) {
        ui.cmdEdit->setEnabled(false);
        ui.cmdDetails->setEnabled(false);
    } else {
        ui.grdListing->setEnabled(true);
        ui.cmdEdit->setEnabled(true);
        ui.cmdDetails->setEnabled(true);
    }
}

void RequestList::grdListing_DblClick()
{
    if (m_ui.chkverified->isChecked() || selectedDocumentNumber().trimmed().isEmpty())
        return;
    if (UserHasLocationAccess(gCurrentUser->EmployeeCode(), selectedTargetLocationId()))
        openRequested();
    else
        showNotAuthorized();
}
