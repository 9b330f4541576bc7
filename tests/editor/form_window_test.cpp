#include "editor/RequestSaving.h"
#include "editor/frmMain.h"
#include "widgets/FlexGrid.h"
#include "widgets/LocationCombo.h"
#include "shell/Session.h"
#include "tests/support/EditorFixture.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <functional>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

using FormTest = EditorFixture;

} // namespace

#define TAB() (widget<QTabWidget>(S("SSTab1"))->currentIndex())

TEST_F(FormTest, OpensOnTheListWithLockedHeaderAndClerkRights)
{
    EXPECT_EQ(form().windowTitle(), S("Visual Quorvane - Inventory Request"));
    EXPECT_EQ(TAB(), 0);
    EXPECT_FALSE(widget(S("cboLocation"))->isEnabled());
    EXPECT_FALSE(widget(S("cboTargetLocation"))->isEnabled());
    EXPECT_EQ(widget<LocationCombo>(S("cboLocation"))->Tag(), S("94"));
    EXPECT_TRUE(widget(S("cmdVerify"))->isHidden());
    EXPECT_FALSE(form().PubIsVerifyInventoryRequest);
    for (const char *hidden : {"chkPrint", "lblStockQty", "lblADSStock", "txtMin", "txtMax", "Text2"})
        EXPECT_TRUE(widget(S(hidden))->isHidden()) << hidden;
    auto *docNum = widget<QLineEdit>(S("txtDocNum"));
    EXPECT_TRUE(docNum->isReadOnly());
    EXPECT_EQ(docNum->maxLength(), 10);
    EXPECT_TRUE(trace().contains(S("Select * from Inventory..tbInvUserSettings Where UserID = '1001'")));
    EXPECT_EQ(messages().count(), 0);
    // The picker opens on the server's start-up time, which is also its latest date.
    auto *transDate = widget<QDateTimeEdit>(S("txtTransDate"));
    EXPECT_EQ(transDate->displayFormat(), S("MM/dd/yyyy hh:mm:ss AP"));
    EXPECT_TRUE(transDate->calendarPopup());
    EXPECT_EQ(transDate->dateTime(), transDate->maximumDateTime());
}

struct SupervisorForm : EditorFixture
{
    QString employee() const override { return S(Demo::SupervisorId); }
};

TEST_F(SupervisorForm, MayVerify)
{
    EXPECT_TRUE(form().PubIsVerifyInventoryRequest);
    EXPECT_FALSE(widget(S("cmdVerify"))->isHidden());
}

struct NoSettingsForm : EditorFixture
{
    QString employee() const override { return S(Demo::NurseId); }
};

TEST_F(NoSettingsForm, KeepsVerifyHidden)
{
    EXPECT_FALSE(form().PubIsVerifyInventoryRequest);
    EXPECT_TRUE(widget(S("cmdVerify"))->isHidden());
}

struct BexForm : EditorFixture
{
    void beforeLoad() override { gClientName = S("BEX"); }
};

TEST_F(BexForm, OffersShortPrintAndRetailWording)
{
    EXPECT_FALSE(widget(S("chkPrint"))->isHidden());
    EXPECT_EQ(widget<QPushButton>(S("cmdView"))->text(), S("Print"));
    EXPECT_EQ(widget<QLabel>(S("Label1_13"))->text(), S("For :"));
    EXPECT_EQ(widget<QRadioButton>(S("optConsumed_0"))->text(), S("Retail"));
    EXPECT_EQ(widget<QRadioButton>(S("optConsumed_1"))->text(), S("Consumption"));
    EXPECT_EQ(form().windowTitle(), S("Visual Quorvane - Inventory Request"));
    EXPECT_TRUE(widget(S("lblMin"))->isHidden());
}

struct ZeltraForm : EditorFixture
{
    void beforeLoad() override { gClientName = S("ZELTRA"); }
};

TEST_F(ZeltraForm, ChangesOnlyTheCaption)
{
    EXPECT_EQ(form().windowTitle(), S("Visual Quorvane - Stock Request"));
    EXPECT_TRUE(widget(S("chkPrint"))->isHidden());
    EXPECT_EQ(widget<QPushButton>(S("cmdView"))->text(), S("&View"));
    EXPECT_EQ(widget<QRadioButton>(S("optConsumed_0"))->text(), S("Yes"));
}

struct MvForm : EditorFixture
{
    void beforeLoad() override { gClientName = S("MV"); }
};

TEST_F(MvForm, ShowsMinimumAndMaximumStock)
{
    for (const char *shown : {"lblMin", "lblMax", "txtMin", "txtMax"})
        EXPECT_FALSE(widget(S(shown))->isHidden()) << shown;
    EXPECT_EQ(form().windowTitle(), S("Visual Quorvane - Inventory Request"));
}

struct SwitchesOnForm : EditorFixture
{
    void beforeLoad() override
    {
        session().raw(S("Update tbPharmaSwitch Set KeyValue = '1' Where idkey In ('3', '4')"));
    }
};

TEST_F(SwitchesOnForm, ForceConsumptionAndLockTheAddressedLocation)
{
    click(S("cmdNew"));
    EXPECT_TRUE(widget<QRadioButton>(S("optConsumed_1"))->isChecked());
    EXPECT_FALSE(widget(S("optConsumed_0"))->isEnabled());
    EXPECT_FALSE(widget(S("cboLocation"))->isEnabled());
    EXPECT_TRUE(widget(S("cboTargetLocation"))->isEnabled());
}

TEST_F(FormTest, NewStartsANumberedRequestOnTheDetailsTab)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    click(S("cmdNew"));
    EXPECT_EQ(TAB(), 1);
    EXPECT_TRUE(form().IsNewRequest);
    auto *docNum = widget<QLineEdit>(S("txtDocNum"));
    EXPECT_EQ(docNum->text(), S("NEW"));
    EXPECT_TRUE(docNum->isReadOnly());
    EXPECT_EQ(focusName(), S("txtProdCode"));
    EXPECT_EQ(widget<QPushButton>(S("cmdOK"))->text(), S("Add to List"));
    EXPECT_TRUE(widget(S("txtTotalCounter"))->isHidden());
    EXPECT_TRUE(widget(S("cboLocation"))->isEnabled());
    EXPECT_TRUE(widget(S("cboTargetLocation"))->isEnabled());
    EXPECT_TRUE(trace().contains(S("Inventory..sp_Inv_LoadWithdrawalRequest 'NEW'")));
    // The selected request's locations stay; its lines and justification do not.
    EXPECT_EQ(widget<LocationCombo>(S("cboTargetLocation"))->Text(), S(Demo::EmergencyRoom));
    EXPECT_EQ(widget<LocationCombo>(S("cboLocation"))->Text(), S(Demo::CentralSupply));
    EXPECT_TRUE(widget<QLineEdit>(S("txtRemarks"))->text().isEmpty());
    EXPECT_TRUE(widget<QLineEdit>(S("txtProdCode"))->text().isEmpty());
}

TEST_F(FormTest, NewAfterEditingARequestStartsWithAnEmptyEntry)
{
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    ASSERT_EQ(TAB(), 1);
    typeInto(S("txtWithdraw"), S("7"));
    pressTab();
    ASSERT_EQ(widget<QLineEdit>(S("txtWithdraw"))->text(), S("7"));

    for (const bool byMnemonic : {false, true}) {
        if (byMnemonic) {
            typeInto(S("txtWithdraw"), S("9"));
            pressKey(Qt::Key_N, Qt::AltModifier);
            QTest::qWait(300); // a mnemonic clicks its button a moment later, as a press shows
        } else {
            click(S("cmdNew"));
        }
        for (const char *box : {"txtProdCode", "txtProdName", "txtWithdraw", "txtUnitCost", "txtTotalCost"})
            EXPECT_EQ(widget<QLineEdit>(S(box))->text(), QString()) << box << (byMnemonic ? " (Alt+N)" : " (click)");
        EXPECT_EQ(focusName(), S("txtProdCode"));
        EXPECT_EQ(messages().count(), 0);
    }
}

struct TypedNumberForm : EditorFixture
{
    void beforeLoad() override { gAutoWithdrawRequestNumber = true; }
};

TEST_F(TypedNumberForm, NewLetsTheUserTypeTheNumber)
{
    click(S("cmdNew"));
    auto *docNum = widget<QLineEdit>(S("txtDocNum"));
    EXPECT_TRUE(docNum->text().isEmpty());
    EXPECT_FALSE(docNum->isReadOnly());
    EXPECT_EQ(focusName(), S("txtDocNum"));
}

TEST_F(FormTest, SameLocationInBothListsIsRefused)
{
    click(S("cmdNew"));
    typeInto(S("cboTargetLocation"), S(Demo::CentralSupply));
    messages().clear();
    pressTab();
    EXPECT_EQ(lastMessage().text, S("Invalid Target Location..."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(lastMessage().title, AppTitle());
    EXPECT_EQ(focusName(), S("cboTargetLocation"));
}

// The supervisor is assigned to the main pharmacy, which is both a warehouse and a dispensing area.
TEST_F(SupervisorForm, DepartmentThatIsWarehouseAndDispensingForcesConsumption)
{
    click(S("cmdNew"));
    typeInto(S("cboTargetLocation"), S(Demo::MainPharmacy));
    pressTab();
    EXPECT_EQ(widget<LocationCombo>(S("cboTargetLocation"))->Tag(), S(Demo::MainPharmacyId));
    EXPECT_TRUE(widget<QRadioButton>(S("optConsumed_1"))->isChecked());
    EXPECT_FALSE(widget(S("optConsumed_0"))->isEnabled());
    EXPECT_FALSE(form().TargetIsOrdinary);

    typeInto(S("cboTargetLocation"), S(Demo::Icu));
    pressTab();
    EXPECT_EQ(widget<LocationCombo>(S("cboTargetLocation"))->Tag(), S(Demo::IcuId));
    EXPECT_TRUE(widget<QRadioButton>(S("optConsumed_0"))->isChecked());
    EXPECT_TRUE(widget(S("optConsumed_0"))->isEnabled());
}

// The list offers only the user's departments; a typed one must be his as well.
TEST_F(FormTest, TypedDepartmentOfAnotherUserIsRefused)
{
    click(S("cmdNew"));
    for (const char *notAssigned : {Demo::OperatingRoom, Demo::MainPharmacy}) {
        typeInto(S("cboTargetLocation"), S(notAssigned));
        messages().clear();
        pressTab();
        EXPECT_EQ(messages().count(), 1) << notAssigned;
        EXPECT_EQ(lastMessage().text, S("User not Authorized for this Location."));
        EXPECT_EQ(lastMessage().icon, MsgIcon::Information);
        EXPECT_EQ(lastMessage().title, AppTitle());
        EXPECT_EQ(focusName(), S("cboTargetLocation"));
        EXPECT_TRUE(widget<LocationCombo>(S("cboTargetLocation"))->Tag().isEmpty());
    }

    typeInto(S("cboTargetLocation"), S(Demo::Icu));
    messages().clear();
    pressTab();
    EXPECT_EQ(messages().count(), 0);
    EXPECT_NE(focusName(), S("cboTargetLocation"));
    EXPECT_EQ(widget<LocationCombo>(S("cboTargetLocation"))->Tag(), S(Demo::IcuId));
}

// A new request started while another department's request is selected does not inherit it.
TEST_F(FormTest, NewDoesNotCarryOverAnotherDepartment)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::OtherDeptDoc)));
    click(S("cmdNew"));
    EXPECT_TRUE(widget<LocationCombo>(S("cboTargetLocation"))->Text().isEmpty());
    EXPECT_TRUE(widget<LocationCombo>(S("cboTargetLocation"))->Tag().isEmpty());
    click(S("cmdSave"));
    EXPECT_EQ(lastMessage().text, S("Invalid target location..."));
}

TEST_F(FormTest, UnknownDepartmentKeepsTheFocusSilently)
{
    click(S("cmdNew"));
    messages().clear();
    typeInto(S("cboTargetLocation"), S("NOWHERE"));
    pressTab();
    EXPECT_EQ(focusName(), S("cboTargetLocation"));
    EXPECT_EQ(messages().count(), 0);
}

// A location removed by another workstation while the window is open is refused when its box is
// left, and the request cannot be addressed to it; nothing crashes.
TEST_F(FormTest, LocationDeletedWhileTheWindowIsOpenIsRefused)
{
    click(S("cmdNew"));
    session().raw(S("DELETE FROM tbInvLocation WHERE LocationID = '94'"));
    typeInto(S("cboLocation"), S(Demo::CentralSupply));
    pressTab();
    EXPECT_EQ(focusName(), S("cboLocation"));
    EXPECT_TRUE(widget<LocationCombo>(S("cboLocation"))->Tag().isEmpty());

    typeInto(S("cboLocation"), S(Demo::MainPharmacy));
    pressTab();
    EXPECT_EQ(widget<LocationCombo>(S("cboLocation"))->Tag(), S(Demo::MainPharmacyId));
    EXPECT_NE(focusName(), S("cboLocation"));
}

TEST_F(FormTest, CancelAsksBeforeLeavingTheDetails)
{
    click(S("cmdNew"));
    messages().queueAnswer(MsgAnswer::No);
    click(S("cmdCancel"));
    EXPECT_EQ(lastMessage().text, S("Do you want to leave without saving?"));
    EXPECT_EQ(lastMessage().title, S("Message"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Question);
    EXPECT_EQ(lastMessage().buttons, MsgButtons::YesNo);
    EXPECT_EQ(TAB(), 1);
    EXPECT_EQ(focusName(), S("txtProdCode"));

    messages().queueAnswer(MsgAnswer::Yes);
    click(S("cmdCancel"));
    EXPECT_EQ(TAB(), 0);
}

TEST_F(FormTest, ExitAlwaysAsksAndTheCloseBoxAsksTheSameQuestionWhenSomethingIsUnsaved)
{
    messages().queueAnswer(MsgAnswer::No);
    click(S("cmdExit"));
    EXPECT_EQ(lastMessage().text, S("Are you sure you want to exit without saving?"));
    EXPECT_EQ(lastMessage().title, AppTitle());
    EXPECT_EQ(lastMessage().icon, MsgIcon::Question);
    EXPECT_EQ(lastMessage().buttons, MsgButtons::YesNo);
    EXPECT_TRUE(form().isVisible());

    click(S("cmdNew"));
    typeInto(S("txtRemarks"), S("WARD 3"));
    messages().clear();
    messages().queueAnswer(MsgAnswer::No);
    EXPECT_FALSE(form().close());
    EXPECT_EQ(messages().count(), 1);
    EXPECT_EQ(lastMessage().text, S("Are you sure you want to exit without saving?"));
    EXPECT_TRUE(form().isVisible());

    messages().clear();
    messages().queueAnswer(MsgAnswer::Yes);
    click(S("cmdExit"));
    EXPECT_EQ(messages().count(), 1); // asked once, not again by the close itself
    EXPECT_FALSE(form().isVisible());
}

// The close box asks only where closing would lose what the "Details" tab holds.
TEST_F(FormTest, TheCloseBoxAsksOnlyWhenTheDetailsHoldUnsavedChanges)
{
    struct Case
    {
        const char *what;
        std::function<void()> act;
        bool unsaved;
    };
    const auto openPending = [this] {
        doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    };
    const Case cases[] = {
        {"nothing done", [] {}, false},
        {"a request opened", openPending, false},
        {"a new request started", [this] { click(S("cmdNew")); }, false},
        {"a code typed, not yet added",
         [this] {
             click(S("cmdNew"));
             click(S("txtProdCode"));
             typeText(S("1000"));
         },
         true},
        {"the justification changed",
         [this, openPending] {
             openPending();
             widget<QLineEdit>(S("txtRemarks"))->setText(S("MORE"));
         },
         true},
        {"the date changed",
         [this, openPending] {
             openPending();
             auto *date = widget<QDateTimeEdit>(S("txtTransDate"));
             date->setDateTime(date->dateTime().addDays(-1));
         },
         true},
        {"a line deleted",
         [this, openPending] {
             openPending();
             selectGridRow(S("grdDetails"), 1);
             click(S("cmdDelete"));
         },
         true},
        {"a change saved",
         [this, openPending] {
             openPending();
             widget<QLineEdit>(S("txtRemarks"))->setText(S("MORE"));
             click(S("cmdSave"));
         },
         false},
        {"a change abandoned by Cancel",
         [this] {
             click(S("cmdNew"));
             typeInto(S("txtRemarks"), S("WARD 3"));
             messages().queueAnswer(MsgAnswer::Yes);
             click(S("cmdCancel"));
             messages().clear();
         },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        reopen();
        c.act();
        EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
        messages().clear();
        messages().queueAnswer(MsgAnswer::No);
        EXPECT_EQ(form().close(), !c.unsaved);
        EXPECT_EQ(messages().count(), c.unsaved ? 1 : 0);
        if (c.unsaved) {
            EXPECT_EQ(lastMessage().text, S("Are you sure you want to exit without saving?"));
        }
        messages().clear();
    }
}

TEST_F(FormTest, WindowKeysUpperCaseDropApostrophesAndTurnEnterIntoTab)
{
    click(S("cmdNew"));
    typeInto(S("txtRemarks"), S("for o'neil ward"));
    EXPECT_EQ(widget<QLineEdit>(S("txtRemarks"))->text(), S("FOR ONEIL WARD"));
    pressEnter();
    EXPECT_NE(focusName(), S("txtRemarks"));
}

TEST_F(FormTest, DocumentNumbersComeFromTheStoredRequests)
{
    EXPECT_EQ(form().GetNewDocNumber(), QString::number(Demo::LastDocNumber + 1));
    EXPECT_TRUE(trace().contains(
        S("Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From INVENTORY..tbInvWithdrawRequest")));
    EXPECT_TRUE(form().Verify_DocumentNumber(S(" 5 ")));
    EXPECT_TRUE(trace().contains(
        S("Select DocumentNumber from Inventory..tbinvWithdrawRequest where DocumentNumber = '5'")));
    EXPECT_FALSE(form().Verify_DocumentNumber(S("999")));

    session().raw(S("Delete From tbInvWithdrawRequest"));
    EXPECT_EQ(form().GetNewDocNumber(), S("1"));
}

TEST_F(FormTest, EditRefusesARequestFromAnotherDepartment)
{
    const int row = listRowOf(S(Demo::OtherDeptDoc));
    ASSERT_GT(row, 0);
    selectGridRow(S("grdListing"), row);
    click(S("cmdEdit"));
    EXPECT_EQ(lastMessage().text, S("User not Authorized for this Location."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);
    EXPECT_TRUE(trace().contains(S("Select * from inventory..tbinvuserlocation where userid = '1001' and "
                                   "Locationid = '12'")));
    EXPECT_FALSE(trace().contains(S("Inventory..sp_Inv_LoadWithdrawalRequest '6'")));
}

// A request once started with New does not lift the check for the rest of the session.
TEST_F(FormTest, EditChecksTheDepartmentEveryTimeAlsoAfterNew)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    click(S("cmdNew"));
    ASSERT_EQ(TAB(), 1);
    messages().queueAnswer(MsgAnswer::Yes);
    click(S("cmdCancel"));
    ASSERT_EQ(TAB(), 0);

    selectGridRow(S("grdListing"), listRowOf(S(Demo::OtherDeptDoc)));
    messages().clear();
    clearTrace();
    click(S("cmdEdit"));
    EXPECT_EQ(messages().count(), 1);
    EXPECT_EQ(lastMessage().text, S("User not Authorized for this Location."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);

    // The tab header opens the selected request through the same check.
    selectGridRow(S("grdListing"), listRowOf(S(Demo::OtherDeptDoc)));
    clickTab(1);
    EXPECT_EQ(messages().count(), 2);
    EXPECT_FALSE(trace().contains(S("Inventory..sp_Inv_LoadWithdrawalRequest '6'")));
    EXPECT_NE(widget<LocationCombo>(S("cboTargetLocation"))->Text(), S(Demo::OperatingRoom));
}

// With no request in the list there is nothing to open and nothing to refuse: what the "Details"
// tab holds stays there.
TEST_F(FormTest, EditWithNoRequestSelectedKeepsTheDetailsSilently)
{
    session().raw(S("Delete From tbInvWithdrawRequest"));
    form().RefreshRequestList();
    click(S("cmdNew"));
    typeInto(S("txtRemarks"), S("WARD 3"));
    click(S("cmdList"));
    ASSERT_EQ(TAB(), 0);
    messages().clear();

    click(S("cmdEdit"));
    click(S("cmdDetails"));
    EXPECT_EQ(TAB(), 1);
    click(S("cmdList"));
    clickTab(1);
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(TAB(), 1);
    EXPECT_EQ(widget<QLineEdit>(S("txtRemarks"))->text(), S("WARD 3"));
}
