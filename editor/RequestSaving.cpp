#include "editor/RequestSaving.h"

#include "editor/RequestLookups.h"
#include "editor/StoredRequest.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/Application.h"
#include "widgets/FlexGrid.h"
#include "widgets/WaitCursor.h"
#include "pickers/frmDeletePassword.h"
#include "shell/NumberText.h"
#include "shell/Session.h"

#include "ui_frmMain.h"

#include <optional>

namespace {

const QString kNew = QStringLiteral("NEW");

// Quantities and unit costs go into the statement bare. A grouped number ("1,234.5000") would
// split into two values, and anything that is not a number would change the statement, so the
// grouping is dropped and any other text refuses the save.
QString bareNumber(const QString &cell, const QString &refusal)
{
    if (!IsNumeric(cell))
        throw Error(Error::DatabaseError, QStringLiteral("SaveRequest"), refusal);
    QString text = cell;
    return text.remove(QLatin1Char(','));
}

void rollBack(Connection *connection)
{
    if (connection && connection->inTransaction()) {
        try {
            connection->RollbackTrans();
        } catch (...) {
        }
    }
}

// "SANTOS, MARIA (2001)" when the staff register knows the employee, else the id alone.
QString employeeName(const QString &employeeId)
{
    try {
        const ResultTable rows = CurrentConnection()->Execute(
            QStringLiteral("Select Top 1 LastName + ', ' + FirstName From Password..tbPasswordMain Where "
                           "EmployeeID = '")
            + SqlText(employeeId) + QStringLiteral("'"));
        if (!rows.rows.isEmpty() && !rows.rows.first().value(0).toString().trimmed().isEmpty())
            return rows.rows.first().value(0).toString().trimmed() + QStringLiteral(" (") + employeeId
                + QStringLiteral(")");
    } catch (const std::exception &) {
    }
    return employeeId;
}

// "verified by SANTOS, MARIA (2001) at another workstation"
QString describe(const StoredRequest::Change &change)
{
    QString text = change.what;
    if (!change.by.isEmpty())
        text += QStringLiteral(" by ") + employeeName(change.by);
    return text + QStringLiteral(" at another workstation");
}

} // namespace

// A write that must not happen because the stored request is no longer what this window holds;
// thrown inside the transaction, which is then rolled back.
struct RequestSaving::Refusal
{
    QString text;
    bool numberTaken = false;
};

RequestSaving::RequestSaving(QWidget &window, Ui::frmMain &ui) : m_window(window), m_ui(ui)
{
    connect(ui.cmdSave, &QPushButton::clicked, this, GuardedSlot([this] { cmdSave_Click(); }));
    connect(ui.cmdVerified, &QPushButton::clicked, this, GuardedSlot([this] { cmdVerified_Click(); }));
    connect(ui.cmdVerify, &QPushButton::clicked, this, GuardedSlot([this] { cmdVerify_Click(); }));
    connect(ui.cmdDeleteReq, &QPushButton::clicked, this, GuardedSlot([this] { cmdDeleteReq_Click(); }));
}

RequestSaving::~RequestSaving() = default;

RequestSaving::SupervisorAnswer RequestSaving::askSupervisor()
{
    if (m_prompt)
        return m_prompt();
    frmDeletePassword prompt(&m_window);
    prompt.exec();
    return {prompt.OKCharge(), prompt.VerifyID()};
}

void RequestSaving::cmdSave_Click()
{
    Ui::frmMain &ui = m_ui;
    if (ui.cboTargetLocation->Text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("Invalid target location..."));
        ui.cboTargetLocation->setFocus();
        return;
    }
    if (!documentNumberAccepted())
        return;
    VerifyAfterSave = false;
    if (SaveRequest())
        saved();
}

bool RequestSaving::documentNumberAccepted()
{
    Ui::frmMain &ui = m_ui;
    const QString documentNumber = ui.txtDocNum->text().trimmed();
    if (documentNumber.isEmpty()) {
        MsgBox(QStringLiteral("Invalid document number..."));
        ui.txtDocNum->setFocus();
        return false;
    }
    // New numbers are the largest number plus one, so a typed number must stay a number.
    if (!ui.txtDocNum->isReadOnly() && !IsDigitsOnly(documentNumber)) {
        MsgBox(QStringLiteral("Document number must be a number."), MsgButtons::OK, MsgIcon::Critical,
               QStringLiteral("MESSAGE"));
        ui.txtDocNum->setFocus();
        return false;
    }
    return !typedNumberIsTaken(documentNumber);
}

bool RequestSaving::typedNumberIsTaken(const QString &documentNumber)
{
    Ui::frmMain &ui = m_ui;
    if (!DocumentNumberExists(documentNumber) || ui.txtDocNum->isReadOnly())
        return false;
    showNumberTaken();
    return true;
}

void RequestSaving::showNumberTaken()
{
    MsgBox(QStringLiteral("Document Number already exists. Please assign a new number."), MsgButtons::OK,
           MsgIcon::Critical, QStringLiteral("MESSAGE"));
    m_ui.txtDocNum->setFocus();
}

void RequestSaving::cmdVerified_Click()
{
    if (askSupervisor().okCharge)
        cmdSave_Click();
}

void RequestSaving::cmdVerify_Click()
{
    // The requesting department is not asked for here, but the number is checked as "&Save"
    // checks it: a number that another request carries would replace that request's rows, and one
    // that is not a number would stop every workstation from numbering new requests.
    if (!documentNumberAccepted())
        return;
    VerifyAfterSave = true;
    if (SaveRequest())
        verified();
}

bool RequestSaving::SaveRequest()
{
    Ui::frmMain &ui = m_ui;
    std::optional<WaitCursor> wait(std::in_place);
    const bool wasNew = ui.txtDocNum->text() == kNew;
    Connection *connection = nullptr;
    QString number;
    QString documentNumber;

    try {
        connection = CurrentConnection();
        // The new number, the check of the stored rows, the delete and the inserts succeed or fail
        // together, so a failure leaves the stored request as it was, two workstations never take
        // the same number, and nobody else writes between the check and the write.
        connection->BeginTrans();
        if (wasNew)
            ui.txtDocNum->setText(NextDocumentNumber());
        number = ui.txtDocNum->text().trimmed();
        documentNumber = SqlText(number);
        refuseUnlessUnchanged(*connection, number);
        const QString transDate = QStringLiteral("'") + DateTimeText(ui.txtTransDate->dateTime()) + QStringLiteral("'");

        connection->Execute(QStringLiteral("Delete INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '")
                            + documentNumber + QStringLiteral("'"));

        const FlexGrid *grid = ui.grdDetails;
        const QString locationId = SqlText(ui.cboLocation->Tag());
        const QString targetLocationId = SqlText(ui.cboTargetLocation->Tag());
        const QString userId = SqlText(gCurrentUser->EmployeeCode());
        const QString remarks = SqlText(ui.txtRemarks->text());
        for (int row = 1; row < grid->Rows(); ++row) {
            if (grid->TextMatrix(row, 0).trimmed().isEmpty())
                continue;
            const QString quantity = bareNumber(grid->TextMatrix(row, 2), QStringLiteral("Invalid quantity..."));
            const QString unitCost = bareNumber(grid->TextMatrix(row, 3), QStringLiteral("Invalid unit cost..."));
            const QString isAds = grid->TextMatrix(row, 6).trimmed() == QLatin1String("Y") ? QStringLiteral("1")
                                                                                         : QStringLiteral("0");
            const QString sql =
                QStringLiteral("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, "
                               "ForRetail, isADS, LocationID, TargetLocationID, TransDate, UserID, Remarks) ")
                + QStringLiteral("Values ('") + documentNumber + QStringLiteral("','")
                + SqlText(grid->TextMatrix(row, 0)) + QStringLiteral("',") + quantity + QStringLiteral(",")
                + unitCost + QStringLiteral(",'") + SqlText(grid->TextMatrix(row, 5)) + QStringLiteral("', '")
                + isAds + QStringLiteral("', '") + locationId + QStringLiteral("', '") + targetLocationId
                + QStringLiteral("', ") + transDate + QStringLiteral(", '") + userId + QStringLiteral("', '")
                + remarks + QStringLiteral("')");
            connection->Execute(sql);
        }
        // What this window wrote is what it holds now, so saving again or verifying is no conflict.
        const StoredRequest written = StoredRequest::read(*connection, number);
        connection->CommitTrans();
        rememberOpened(written);
        detailsStored();
    } catch (const Refusal &refusal) {
        rollBack(connection);
        wait.reset();
        if (wasNew)
            ui.txtDocNum->setText(kNew);
        showRefusal(refusal);
        return false;
    } catch (const std::exception &e) {
        rollBack(connection);
        wait.reset();
        if (wasNew)
            ui.txtDocNum->setText(kNew);
        MsgBox(QString::fromUtf8(e.what()));
        return false;
    }
    wait.reset();

    if (VerifyAfterSave) {
        const SupervisorAnswer answer = askSupervisor();
        if (answer.okCharge)
            return recordVerification(*connection, number, answer.verifyId);
    }
    return true;
}

void RequestSaving::refuseUnlessUnchanged(Connection &connection, const QString &number)
{
    // A typed number must still be free now that no other workstation can write.
    if (!m_ui.txtDocNum->isReadOnly() && DocumentNumberExists(number))
        throw Refusal{QString(), true};
    const StoredRequest expected = m_opened.documentNumber() == number ? m_opened : StoredRequest();
    if (!expected.isOpenForChanges())
        throw Refusal{QStringLiteral("Request %1 is %2; it can be viewed and printed but no longer changed. "
                                     "Nothing was saved.")
                          .arg(number, expected.closedState())};
    const StoredRequest now = StoredRequest::read(connection, number);
    if (!expected.sameRowsAs(now))
        throw Refusal{QStringLiteral("Request %1 was %2 since it was opened here. Nothing was saved; your lines "
                                     "are still on screen. Open the request again from the list to see it as it "
                                     "is now.")
                          .arg(number, describe(expected.changeTo(now)))};
}

bool RequestSaving::recordVerification(Connection &connection, const QString &number, const QString &verifyId)
{
    try {
        connection.BeginTrans();
        const StoredRequest now = StoredRequest::read(connection, number);
        if (!m_opened.sameRowsAs(now))
            throw Refusal{QStringLiteral("Request %1 was %2 while the supervisor was asked. It was not verified. "
                                         "Open the request again from the list to see it as it is now.")
                              .arg(number, describe(m_opened.changeTo(now)))};
        connection.Execute(QStringLiteral("Update Inventory..tbInvWithdrawRequest set Verifiedby = '")
                           + SqlText(verifyId) + QStringLiteral("', verifiedDate = GetDate() where DocumentNumber = '")
                           + SqlText(number) + QStringLiteral("'"));
        const StoredRequest verified = StoredRequest::read(connection, number);
        connection.CommitTrans();
        rememberOpened(verified);
    } catch (const Refusal &refusal) {
        rollBack(&connection);
        showRefusal(refusal);
        return false;
    } catch (const std::exception &e) {
        rollBack(&connection);
        MsgBox(QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

// Nothing was written; the window keeps what the user typed, and the list shows what is stored now.
void RequestSaving::showRefusal(const Refusal &refusal)
{
    if (refusal.numberTaken) {
        showNumberTaken();
        return;
    }
    MsgBox(refusal.text, MsgButtons::OK, MsgIcon::Exclamation, QStringLiteral("MESSAGE"));
    listOutOfDate();
}

void RequestSaving::rememberOpened(const StoredRequest &request)
{
    m_opened = request;
    openedChanged(m_opened);
}

void RequestSaving::cmdDeleteReq_Click()
{
    Ui::frmMain &ui = m_ui;
    if (!UserHasLocationAccess(gCurrentUser->EmployeeCode(), ListedTargetLocationId(*ui.grdListing))) {
        MsgBox(QStringLiteral("User not Authorized for this Location."), MsgButtons::OK, MsgIcon::Information);
        return;
    }
    if (MsgBox(QStringLiteral("Are you sure you want to delete this record?"), MsgButtons::YesNo,
               MsgIcon::Question, QStringLiteral("Message"))
        != MsgAnswer::Yes)
        return;

    // The request is deleted only in the state the list showed it in when it was read.
    const QString number = ListedDocumentNumber(*ui.grdListing);
    const StoredRequest listed =
        StoredRequest::listed(number, ui.optOptions_1->isChecked(), ui.chkverified->isChecked());
    Connection *connection = CurrentConnection();
    try {
        connection->BeginTrans();
        const StoredRequest now = StoredRequest::read(*connection, number);
        if (!listed.sameStateAs(now))
            throw Refusal{QStringLiteral("Request %1 was %2 since the list was read. Nothing was changed; the list "
                                         "now shows the requests as they are.")
                              .arg(number.trimmed(), describe(listed.changeTo(now)))};
        connection->Execute(QStringLiteral("Update INVENTORY..tbInvWithDrawRequest set Status = 'D', ProcessDate = "
                                           "getdate(), ProcessBy = '")
                            + SqlText(gCurrentUser->EmployeeCode()) + QStringLiteral("'  where DocumentNumber = '")
                            + SqlText(number) + QStringLiteral("'"));
        connection->CommitTrans();
    } catch (const Refusal &refusal) {
        rollBack(connection);
        showRefusal(refusal);
        return;
    } catch (...) {
        rollBack(connection);
        throw;
    }
    deleted();
}
