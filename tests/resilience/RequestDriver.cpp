#include "tests/resilience/RequestDriver.h"

#include "editor/RequestList.h"
#include "editor/RequestSaving.h"
#include "editor/frmMain.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "widgets/FlexGrid.h"
#include "shell/Session.h"

#include "ui_frmMain.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

std::unique_ptr<Connection> openDatabase(const QString &database)
{
    return QFileInfo(database).isDir() ? Connection::open(database) : Connection::openServer(database);
}

} // namespace

RequestDriver::RequestDriver(const QString &database, const QString &employeeCode)
{
    ResetSession();
    m_user = std::make_unique<CurrentUser>(nullptr, [](const QString &password) { return password; });
    m_user->setPasswordDeptCode(QStringLiteral("4"));
    m_user->attach(openDatabase(database), employeeCode);
    gCurrentUser = m_user.get();
    LoadSiteInformation();
    gDefaultLocationID = QStringLiteral("94");
    gAllowedInventoryTypes = QStringLiteral("A");

    m_form = std::make_unique<frmMain>();
    m_form->Form_Load();
    m_form->show();
    m_form->requestList().setPrintHook([](bool, const QStringList &) {});
    QCoreApplication::processEvents();
}

RequestDriver::~RequestDriver()
{
    m_form.reset();
    gCurrentUser = nullptr;
    m_user.reset();
    ResetSession();
}

void RequestDriver::putLines(const QList<RequestLine> &lines)
{
    FlexGrid *details = m_form->ui().grdDetails;
    details->setRows(int(lines.size()) + 2);
    int row = 1;
    for (const RequestLine &line : lines) {
        details->setTextMatrix(row, 0, line.itemId);
        details->setTextMatrix(row, 2, line.quantity);
        details->setTextMatrix(row, 3, line.unitCost);
        details->setTextMatrix(row, 5, QStringLiteral("Y"));
        details->setTextMatrix(row, 6, QStringLiteral("N"));
        ++row;
    }
    for (int col = 0; col < details->Cols(); ++col)
        details->setTextMatrix(row, col, QString());
}

// A save succeeded when the window said nothing and went back to the list.
bool RequestDriver::saveShown()
{
    const int before = m_messages.count();
    m_form->ui().cmdSave->click();
    QCoreApplication::processEvents();
    return m_messages.count() == before && m_form->ui().SSTab1->currentIndex() == 0;
}

QString RequestDriver::saveNew(const QList<RequestLine> &lines, const QString &remarks)
{
    startNew();
    if (!saveShownWith(lines, remarks))
        return QString();
    return m_form->ui().txtDocNum->text().trimmed();
}

void RequestDriver::startNew(const QString &typedNumber)
{
    m_form->cmdNew_Click();
    if (!typedNumber.isEmpty())
        m_form->ui().txtDocNum->setText(typedNumber);
}

bool RequestDriver::saveShownWith(const QList<RequestLine> &lines, const QString &remarks)
{
    m_form->ui().txtRemarks->setText(remarks);
    putLines(lines);
    return saveShown();
}

bool RequestDriver::selectListed(const QString &documentNumber)
{
    m_form->RefreshRequestList();
    m_form->ui().SSTab1->setCurrentIndex(0);
    FlexGrid *listing = m_form->ui().grdListing;
    for (int row = 1; row < listing->Rows(); ++row) {
        if (listing->TextMatrix(row, 0).trimmed() == documentNumber) {
            listing->setRow(row);
            return true;
        }
    }
    return false;
}

bool RequestDriver::openRequest(const QString &documentNumber)
{
    if (!selectListed(documentNumber))
        return false;
    const int before = m_messages.count();
    m_form->requestList().grdListing_DblClick();
    return m_messages.count() == before && m_form->ui().txtDocNum->text().trimmed() == documentNumber;
}

bool RequestDriver::edit(const QString &documentNumber, const QList<RequestLine> &lines, const QString &remarks)
{
    return openRequest(documentNumber) && saveShownWith(lines, remarks);
}

bool RequestDriver::verify(const QString &documentNumber, const QString &supervisorId)
{
    return openRequest(documentNumber) && verifyShown(supervisorId);
}

bool RequestDriver::verifyShown(const QString &supervisorId)
{
    const int before = m_messages.count();
    m_form->requestSaving().setSupervisorPrompt(
        [supervisorId] { return RequestSaving::SupervisorAnswer{true, supervisorId}; });
    m_form->requestSaving().cmdVerify_Click();
    QCoreApplication::processEvents();
    return m_messages.count() == before;
}

bool RequestDriver::remove(const QString &documentNumber)
{
    return selectListed(documentNumber) && removeSelected();
}

bool RequestDriver::removeSelected()
{
    m_messages.queueAnswer(MsgAnswer::Yes);
    const int before = m_messages.count();
    m_form->ui().cmdDeleteReq->click();
    QCoreApplication::processEvents();
    // The one message is the confirmation.
    return m_messages.count() == before + 1 &&
           m_messages.last().text == QStringLiteral("Are you sure you want to delete this record?");
}
