#include "editor/frmMain.h"

#include "editor/DetailGrid.h"
#include "editor/GridExport.h"
#include "editor/ItemFacts.h"
#include "editor/LineEntry.h"
#include "editor/RequestCopy.h"
#include "editor/RequestList.h"
#include "editor/RequestLookups.h"
#include "editor/RequestSaving.h"
#include "editor/RestockSuggestion.h"
#include "editor/StoredRequest.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "widgets/Application.h"
#include "widgets/FlexGrid.h"
#include "widgets/KeyEvents.h"
#include "widgets/Validation.h"
#include "shell/Locations.h"
#include "shell/NumberText.h"
#include "shell/Session.h"

#include "ui_frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {

const QString kNew = QStringLiteral("NEW");

// gCurDate holds the server's start-up time as text (month-first or ISO); without site
// information it is empty and the workstation's clock stands in.
QDateTime startupMoment()
{
    const QDateTime moment = ParseDateTimeText(gCurDate);
    return moment.isValid() ? moment : QDateTime::currentDateTime();
}

} // namespace

frmMain::frmMain(QWidget *parent) : QMainWindow(parent), m_ui(std::make_unique<Ui::frmMain>())
{
    m_ui->setupUi(this);
    Ui::frmMain &ui = *m_ui;
    m_itemFacts = std::make_unique<ItemFacts>(ui);
    m_detailGrid = std::make_unique<DetailGrid>(ui, *m_itemFacts);
    m_lineEntry = std::make_unique<LineEntry>(*this, ui, *m_itemFacts, *m_detailGrid);
    m_requestList = std::make_unique<RequestList>(ui, *m_detailGrid);
    m_requestSaving = std::make_unique<RequestSaving>(*this, ui);
    m_restockSuggestion = std::make_unique<RestockSuggestion>(ui, *m_detailGrid);
    m_requestCopy = std::make_unique<RequestCopy>(ui, *m_detailGrid);
    m_gridExport = std::make_unique<GridExport>(*this);
    connectUnits();
    connectControls();
    addGridCommands();
}

void frmMain::connectUnits()
{
    m_lineEntry->listOutOfDate.connect([this] { RefreshRequestList(); });

    m_requestList->openRequested.connect([this] { cmdEdit_Click(); });
    m_requestList->requestLoaded.connect(
        [this](const StoredRequest &stored) { m_requestSaving->rememberOpened(stored); });

    m_requestSaving->openedChanged.connect(
        [this](const StoredRequest &opened) { setViewingOnly(!opened.isOpenForChanges()); });
    m_requestSaving->detailsStored.connect([this] { markDetailsUnchanged(); });
    m_requestSaving->saved.connect([this] {
        RefreshRequestList();
        m_ui->SSTab1->setCurrentIndex(0);
    });
    m_requestSaving->verified.connect([this] {
        RefreshRequestList();
        m_requestList->View();
        m_ui->SSTab1->setCurrentIndex(0);
    });
    m_requestSaving->deleted.connect([this] { RefreshRequestList(); });
    m_requestSaving->listOutOfDate.connect([this] { RefreshRequestList(); });
}

frmMain::~frmMain()
{
    Validation::detach(m_ui->cboLocation);
    Validation::detach(m_ui->cboTargetLocation);
}

void frmMain::connectControls()
{
    connect(m_ui->cmdNew, &QPushButton::clicked, this, GuardedSlot([this] { cmdNew_Click(); }));
    connect(m_ui->cmdEdit, &QPushButton::clicked, this, GuardedSlot([this] { cmdEdit_Click(); }));
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, GuardedSlot([this] { cmdCancel_Click(); }));
    connect(m_ui->cmdExit, &QPushButton::clicked, this, GuardedSlot([this] { cmdExit_Click(); }));
    connect(m_ui->cmdList, &QPushButton::clicked, this, GuardedSlot([this] { cmdList_Click(); }));
    connect(m_ui->cmdDetails, &QPushButton::clicked, this, GuardedSlot([this] { cmdDetails_Click(); }));

    m_currentTab = m_ui->SSTab1->currentIndex();
    connect(m_ui->SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = m_currentTab;
        m_currentTab = index;
        Guarded([&] { SSTab1_Click(previous); });
    });

    Validation::attach(m_ui->cboLocation, [this](bool &cancel) { cboLocation_Validate(cancel); });
    Validation::attach(m_ui->cboTargetLocation, [this](bool &cancel) { cboTargetLocation_Validate(cancel); });

    const auto enterAsTab = [](int &keyAscii) {
        if (keyAscii == 13) {
            keyAscii = 0;
            if (gShell)
                gShell->SendKeys(QStringLiteral("{Tab}"));
        }
    };
    KeyEvents::onKeyPress(m_ui->cboTargetLocation, enterAsTab);
    KeyEvents::onKeyPress(m_ui->txtDocNum, enterAsTab);

    // The whole number is selected on entering the box, also when the focus comes by a click.
    m_ui->txtDocNum->installEventFilter(this);

    // The window's own key handling would turn Enter into Tab before the lines' grid sees it.
    connect(m_ui->grdDetails, &FlexGrid::GotFocus, this, [this] { setKeyPreview(false); });
    connect(m_ui->grdDetails, &FlexGrid::LostFocus, this, [this] { setKeyPreview(true); });

    KeyEvents::setPreviewHandler(this, [this](QWidget *target, int &keyAscii) { Form_KeyPress(target, keyAscii); });
    setKeyPreview(true);
}

void frmMain::addGridCommands()
{
    const auto add = [this](QWidget *grid, const QString &text, const QKeySequence &shortcut, auto command) {
        auto *action = new QAction(text, grid);
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, GuardedSlot(command));
        grid->addAction(action);
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    };
    add(m_ui->grdListing, QStringLiteral("Copy to a New Request"), QKeySequence(Qt::CTRL | Qt::Key_D),
        [this] { copySelectedRequest(); });
    add(m_ui->grdListing, QStringLiteral("Save List as CSV..."), QKeySequence(Qt::CTRL | Qt::Key_E),
        [this] { exportRequestList(); });
    add(m_ui->grdDetails, QStringLiteral("Save Lines as CSV..."), QKeySequence(Qt::CTRL | Qt::Key_E),
        [this] { exportRequestLines(); });
}

void frmMain::copySelectedRequest()
{
    m_requestCopy->copySelectedRequest([this] { cmdNew_Click(); });
}

void frmMain::exportRequestList()
{
    m_gridExport->saveAsCsv(*m_ui->grdListing, QStringLiteral("requests.csv"));
}

void frmMain::exportRequestLines()
{
    const QString number = m_ui->txtDocNum->text().trimmed();
    m_gridExport->saveAsCsv(*m_ui->grdDetails, IsDigitsOnly(number)
                                                   ? QStringLiteral("request-%1.csv").arg(number)
                                                   : QStringLiteral("request.csv"));
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->txtDocNum && event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(m_ui->txtDocNum, &QLineEdit::selectAll, Qt::QueuedConnection);
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::setKeyPreview(bool on)
{
    KeyEvents::setKeyPreview(this, on);
}

void frmMain::Form_KeyPress(QWidget *target, int &keyAscii)
{
    if (qobject_cast<QPushButton *>(target))
        return;
    // A control that handles Enter itself (Enter as Tab, Enter to "&Update") decides alone, so the
    // focus moves once, to where the control sends it.
    if (keyAscii == 13 && KeyEvents::handlesKeyPress(target))
        return;
    if (keyAscii == 13) {
        keyAscii = 0;
        if (gShell)
            gShell->SendKeys(QStringLiteral("{Tab}"));
    } else if (keyAscii == '\'') {
        keyAscii = 0;
    } else if (keyAscii > 0) {
        keyAscii = QChar(keyAscii).toUpper().unicode();
    }
}

void frmMain::Form_Load()
{
    LoadLocation(*m_ui->cboLocation, true, true, true, false, false);
    LoadLocation(*m_ui->cboTargetLocation, false, false, false, false, true);

    resetTransDate();

    gForceItemSearch = false;
    RefreshRequestList();

    m_ui->SSTab1->setCurrentIndex(0);
    m_ui->cboTargetLocation->setEnabled(false);
    m_ui->cboLocation->setEnabled(false);

    LoadRights();

    if (gClientName == QLatin1String("BEX")) {
        m_ui->chkPrint->setVisible(true);
        m_ui->cmdView->setText(QStringLiteral("Print"));
        m_ui->Label1_13->setText(QStringLiteral("For :"));
        m_ui->optConsumed_0->setText(QStringLiteral("Retail"));
        m_ui->optConsumed_1->setText(QStringLiteral("Consumption"));
    } else if (gClientName == QLatin1String("ZELTRA")) {
        setWindowTitle(QStringLiteral("Visual Quorvane - Stock Request"));
    }
    if (gClientName == QLatin1String("MV")) {
        m_ui->lblMin->setVisible(true);
        m_ui->lblMax->setVisible(true);
        m_ui->txtMin->setVisible(true);
        m_ui->txtMax->setVisible(true);
    }

    ApplyHeaderSwitches();
    markDetailsUnchanged();
}

void frmMain::resetTransDate()
{
    const QDateTime start = startupMoment();
    // A request cannot be dated after the moment the session started.
    m_ui->txtTransDate->setMaximumDateTime(start);
    m_ui->txtTransDate->setDateTime(start);
}

void frmMain::LoadRights()
{
    Recordset rs;
    rs.Open(QStringLiteral("Select * from Inventory..tbInvUserSettings Where UserID = '")
                + SqlText(gCurrentUser->EmployeeCode()) + QStringLiteral("'"),
            CurrentConnection(), CursorType::Dynamic, LockType::ReadOnly);
    if (rs.RecordCount() > 0) {
        PubIsVerifyInventoryRequest = VariantToBoolean(rs.Fields(QStringLiteral("isVerifyInventoryRequest")));
        m_ui->cmdVerify->setVisible(PubIsVerifyInventoryRequest);
    }
    rs.Close();
}

void frmMain::ApplyHeaderSwitches()
{
    if (IsSwitchOn(QStringLiteral("3"))) {
        m_ui->optConsumed_1->setChecked(true);
        m_ui->optConsumed_0->setEnabled(false);
    }
    if (IsSwitchOn(QStringLiteral("4")))
        m_ui->cboLocation->setEnabled(false);
}

void frmMain::setViewingOnly(bool viewingOnly)
{
    m_viewingOnly = viewingOnly;
    m_detailGrid->setViewingOnly(viewingOnly);
    for (QWidget *control : std::initializer_list<QWidget *>{m_ui->Frame7, m_ui->txtTransDate, m_ui->txtRemarks,
                                                             m_ui->cmdAdd, m_ui->cmdDelete, m_ui->cmdSave,
                                                             m_ui->cmdVerify, m_ui->cmdVerified})
        control->setEnabled(!viewingOnly);
}

void frmMain::ClearAll()
{
    for (QLineEdit *box : {m_ui->txtProdCode, m_ui->txtProdName, m_ui->txtWithdraw, m_ui->txtUnitCost,
                           m_ui->txtAverageCost, m_ui->txtTotalCost, m_ui->txtPacking, m_ui->txtOnhand, m_ui->Text2,
                           m_ui->txtListCost})
        box->clear();
    m_ui->cboLocation->setEnabled(true);
    m_ui->cboTargetLocation->setEnabled(true);
    m_ui->txtRemarks->clear();
    m_ui->txtUOM->clear();
    m_detailGrid->ResetForNewRequest();
    m_restockSuggestion->forget();
}

void frmMain::cmdNew_Click()
{
    IsNewRequest = true;
    m_requestList->LoadRequest(false);
    {
        // Leaving the list loads the selected request; New keeps only its two locations.
        const QScopedValueRollback starting(m_startingNewRequest, true);
        m_ui->SSTab1->setCurrentIndex(1);
    }
    // A new request has no stored rows yet, whatever the selected request was.
    m_requestSaving->rememberOpened(StoredRequest());
    ClearAll();
    resetTransDate();

    if (gAutoWithdrawRequestNumber) {
        m_ui->txtDocNum->clear();
        m_ui->txtDocNum->setReadOnly(false);
        m_ui->txtDocNum->setFocus();
    } else {
        m_ui->txtDocNum->setText(kNew);
        m_ui->txtDocNum->setReadOnly(true);
        m_ui->txtProdCode->setFocus();
    }
    m_ui->cmdOK->setText(QStringLiteral("Add to List"));

    // The request selected in the list may come from a department that is not the user's; a new
    // request does not inherit it, the user picks one of his own.
    if (!UserHasLocationAccess(gCurrentUser->EmployeeCode(), m_ui->cboTargetLocation->Tag())) {
        m_ui->cboTargetLocation->setText(QString());
        m_ui->cboTargetLocation->setTag(QString());
    }
    bool cancel = false;
    cboTargetLocation_Validate(cancel);

    m_ui->txtTotalCounter->setVisible(false);
    ApplyHeaderSwitches();
    markDetailsUnchanged();
}

void frmMain::cmdEdit_Click()
{
    // Only New's own switch to the details skips the check; any later Edit, by the button or the
    // tab, opens a request of a department the user must be assigned to.
    const bool newRequestSwitch = IsNewRequest && m_startingNewRequest;
    // With no request selected there is nothing to open, and nothing to refuse: the "Details" tab
    // keeps what it holds.
    if (!newRequestSwitch && m_requestList->selectedDocumentNumber().trimmed().isEmpty())
        return;
    if (!newRequestSwitch
        && !UserHasLocationAccess(gCurrentUser->EmployeeCode(), m_requestList->selectedTargetLocationId())) {
        MsgBox(QStringLiteral("User not Authorized for this Location."), MsgButtons::OK, MsgIcon::Information);
        return;
    }
    m_requestList->LoadRequest(true);
    m_restockSuggestion->forget();
    m_detailGrid->ComputeGrandTotal();

    m_ui->SSTab1->setCurrentIndex(1);
    m_ui->cboLocation->setEnabled(false);
    m_ui->cboTargetLocation->setEnabled(false);
    m_ui->txtDocNum->setReadOnly(true);
    m_ui->txtProdCode->setFocus();
    m_ui->cmdOK->setText(QStringLiteral("Update"));
    markDetailsUnchanged();
}

void frmMain::cmdCancel_Click()
{
    if (MsgBox(QStringLiteral("Do you want to leave without saving?"), MsgButtons::YesNo, MsgIcon::Question,
               QStringLiteral("Message"))
        == MsgAnswer::Yes) {
        m_ui->SSTab1->setCurrentIndex(0);
        markDetailsUnchanged();
    } else
        m_ui->txtProdCode->setFocus();
}

void frmMain::cmdExit_Click()
{
    if (MsgBox(QStringLiteral("Are you sure you want to exit without saving?"), MsgButtons::YesNo,
               MsgIcon::Question)
        != MsgAnswer::Yes)
        return;
    m_exitConfirmed = true;
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_exitConfirmed || !hasUnsavedChanges()
        || MsgBox(QStringLiteral("Are you sure you want to exit without saving?"), MsgButtons::YesNo,
                  MsgIcon::Question)
               == MsgAnswer::Yes) {
        m_exitConfirmed = false;
        event->accept();
    } else {
        event->ignore();
    }
}

QStringList frmMain::detailsContent() const
{
    QStringList content{m_ui->txtDocNum->text(),
                        m_ui->cboLocation->Text(),
                        m_ui->cboLocation->Tag(),
                        m_ui->cboTargetLocation->Text(),
                        m_ui->cboTargetLocation->Tag(),
                        m_ui->txtTransDate->dateTime().toString(Qt::ISODate),
                        m_ui->txtRemarks->text(),
                        m_ui->optConsumed_0->isChecked() ? QStringLiteral("retail") : QStringLiteral("consumed"),
                        m_ui->txtProdCode->text(),
                        m_ui->txtWithdraw->text(),
                        m_ui->txtUnitCost->text()};
    const FlexGrid *grid = m_ui->grdDetails;
    for (int row = 1; row < grid->Rows(); ++row)
        for (int col = 0; col < grid->Cols(); ++col)
            content.append(grid->TextMatrix(row, col));
    return content;
}

bool frmMain::hasUnsavedChanges() const
{
    return detailsContent() != m_unchangedDetails;
}

void frmMain::markDetailsUnchanged()
{
    m_unchangedDetails = detailsContent();
}

void frmMain::SSTab1_Click(int previousTab)
{
    if (previousTab == 0)
        cmdEdit_Click();
}

void frmMain::cmdList_Click()
{
    m_ui->SSTab1->setCurrentIndex(0);
}

void frmMain::cmdDetails_Click()
{
    IsNewRequest = false;
    // With nothing selected the tab opens nothing, so there is nothing to refuse.
    if (m_requestList->selectedDocumentNumber().trimmed().isEmpty()
        || UserHasLocationAccess(gCurrentUser->EmployeeCode(), m_requestList->selectedTargetLocationId()))
        m_ui->SSTab1->setCurrentIndex(1);
    else
        MsgBox(QStringLiteral("User not Authorized for this Location."), MsgButtons::OK, MsgIcon::Information);
}

void frmMain::cboLocation_Validate(bool &cancel)
{
    QString id;
    bool notBoth = false;
    if (!CheckLocationAccess(m_ui->cboLocation->Text(), true, id, notBoth))
        cancel = true;
    m_ui->cboLocation->setTag(id);
}

void frmMain::cboTargetLocation_Validate(bool &cancel)
{
    QString id;
    bool notBoth = false;
    const bool found = CheckLocationAccess(m_ui->cboTargetLocation->Text(), false, id, notBoth);
    TargetIsOrdinary = notBoth;
    if (!found) {
        cancel = true;
        return;
    }
    // The list offers only the user's own departments, and a typed name must be one of them too.
    if (!UserHasLocationAccess(gCurrentUser->EmployeeCode(), id)) {
        m_ui->cboTargetLocation->setTag(QString());
        MsgBox(QStringLiteral("User not Authorized for this Location."), MsgButtons::OK, MsgIcon::Information);
        cancel = true;
        return;
    }
    m_ui->cboTargetLocation->setTag(id);
    if (id == m_ui->cboLocation->Tag()) {
        MsgBox(QStringLiteral("Invalid Target Location..."), MsgButtons::OK, MsgIcon::Critical);
        cancel = true;
        return;
    }
    if (TargetIsOrdinary) {
        m_ui->optConsumed_0->setEnabled(true);
        m_ui->optConsumed_1->setEnabled(true);
        m_ui->optConsumed_0->setChecked(true);
    } else {
        m_ui->optConsumed_0->setEnabled(false);
        m_ui->optConsumed_1->setEnabled(true);
        m_ui->optConsumed_1->setChecked(true);
    }
    ApplyHeaderSwitches();
}

QString frmMain::GetNewDocNumber()
{
    try {
        return nextDocumentNumber();
    } catch (const Error &e) {
        MsgBox(e.Description(), MsgButtons::OK, MsgIcon::Critical, QStringLiteral("Error Message"));
    }
    return QStringLiteral("1");
}

QString frmMain::nextDocumentNumber()
{
    return NextDocumentNumber();
}

bool frmMain::Verify_DocumentNumber(const QString &documentNumber)
{
    return DocumentNumberExists(documentNumber);
}

void frmMain::RefreshRequestList()
{
    m_requestList->RefreshRequestList();
}
