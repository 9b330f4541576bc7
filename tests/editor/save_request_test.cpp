#include "editor/RequestList.h"
#include "editor/RequestSaving.h"
#include "editor/frmMain.h"
#include "widgets/FlexGrid.h"
#include "widgets/LocationCombo.h"
#include "shell/Session.h"
#include "tests/support/EditorFixture.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTabWidget>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

const QString kInsertHead = S("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, "
                              "ForRetail, isADS, LocationID, TargetLocationID, TransDate, UserID, Remarks) Values (");

struct SaveTest : EditorFixture
{
    int tab() const { return widget<QTabWidget>(S("SSTab1"))->currentIndex(); }
    QLineEdit *docNum() const { return widget<QLineEdit>(S("txtDocNum")); }

    // A new request from the emergency room to central supply, dated 12/07/2024 03:05:09 PM.
    void startNew()
    {
        selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
        click(S("cmdNew"));
        widget<QDateTimeEdit>(S("txtTransDate"))->setDateTime(QDateTime(QDate(2024, 12, 7), QTime(15, 5, 9)));
    }

    int storedLines(const char *doc, const char *extra = "")
    {
        return session()
            .rawValue(S("Select Count(*) From tbInvWithdrawRequest Where DocumentNumber = '%1' %2")
                          .arg(S(doc), S(extra)))
            .toInt();
    }

    RequestSaving &saving() { return form().requestSaving(); }
};

struct TypedNumberSave : SaveTest
{
    void beforeLoad() override { gAutoWithdrawRequestNumber = true; }
};

} // namespace

TEST_F(SaveTest, NewRequestIsNumberedAndWrittenLineByLine)
{
    startNew();
    widget<QLineEdit>(S("txtRemarks"))->setText(S("WARD O'NEIL"));
    putLines({{Demo::ParacetamolId, "3", "1.2500", "Y", "N"}, {Demo::AdsItemId, "1,200", "0.00", "N", "Y"}});
    clearTrace();
    click(S("cmdSave"));

    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(docNum()->text(), S("8"));
    const QStringList statements = trace();
    const int del = int(statements.indexOf(S("Delete INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '8'")));
    ASSERT_GE(del, 0);
    EXPECT_LT(statements.indexOf(S("Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From "
                                   "INVENTORY..tbInvWithdrawRequest")),
              del);
    ASSERT_GT(statements.size(), del + 2);
    EXPECT_EQ(statements.at(del + 1), kInsertHead + S("'8','10001',3,1.2500,'Y', '0', '94', '10', "
                                                      "'12/07/2024 03:05:09 PM', '1001', 'WARD O''NEIL')"));
    // Grouped quantities are written without their grouping, so the value list stays intact.
    EXPECT_EQ(statements.at(del + 2), kInsertHead + S("'8','10003',1200,0.00,'N', '1', '94', '10', "
                                                      "'12/07/2024 03:05:09 PM', '1001', 'WARD O''NEIL')"));

    EXPECT_EQ(storedLines("8"), 2);
    EXPECT_EQ(session().rawValue(S("Select Remarks From tbInvWithdrawRequest Where ItemID = '10003' And "
                                   "DocumentNumber = '8'")),
              S("WARD O'NEIL"));
    EXPECT_EQ(tab(), 0);
    EXPECT_GT(listRowOf(S("8")), 0);
}

// A long justification full of quotes and statement-like text is stored exactly as given.
TEST_F(SaveTest, LongJustificationWithQuotesIsStoredAsGiven)
{
    startNew();
    QString remarks;
    for (int i = 0; i < 400; ++i)
        remarks += S("O'NEIL'S WARD '); DELETE FROM tbInvWithdrawRequest; -- ");
    widget<QLineEdit>(S("txtRemarks"))->setText(remarks);
    putLines({{Demo::ParacetamolId, "3", "1.2500", "Y", "N"}});
    click(S("cmdSave"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    // The server keeps no trailing blanks (they mean nothing to a comparison there or here).
    if (TestDatabase::onServer())
        remarks.chop(1);
    EXPECT_EQ(session().rawValue(S("Select Remarks From tbInvWithdrawRequest Where DocumentNumber = '8'")), remarks);
    EXPECT_EQ(storedLines(Demo::PendingDoc), 3);
}

// A justification typed in the form of a date is text: it is stored as typed, while the request's
// date, written into its date column, is kept in the database's date form.
TEST_F(SaveTest, AJustificationThatLooksLikeADateIsStoredAsTyped)
{
    startNew();
    typeInto(S("txtRemarks"), S("12/07/2026 03:05:09 PM"));
    putLines({{Demo::ParacetamolId, "3", "1.2500", "Y", "N"}});
    click(S("cmdSave"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(session().rawValue(S("Select Remarks From tbInvWithdrawRequest Where DocumentNumber = '8'")),
              S("12/07/2026 03:05:09 PM"));
    EXPECT_EQ(session().rawValue(S("Select TransDate From tbInvWithdrawRequest Where DocumentNumber = '8'")),
              S("2024-12-07 15:05:09"));
}

TEST_F(SaveTest, SavingAnOpenedRequestReplacesItsLines)
{
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    ASSERT_EQ(storedLines(Demo::PendingDoc), 3);
    putLines({{Demo::XylocaineId, "2", "10.0000", "N", "N"}});
    click(S("cmdSave"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(storedLines(Demo::PendingDoc), 1);
    EXPECT_EQ(storedLines(Demo::PendingDoc, "And ItemID = '10004' And Quantity = 2"), 1);
}

// A request opened and saved again without a change keeps its justification and date, whichever
// request the window showed before; New still starts with an empty justification and today's date.
TEST_F(SaveTest, SavingAnOpenedRequestAgainKeepsItsJustificationAndDate)
{
    struct Stored
    {
        const char *doc, *remarks, *date;
    };
    const Stored pending{Demo::PendingDoc, "Weekly replenishment", "2026-03-02 08:15:00"};
    const Stored fiveLines{Demo::FiveLineDoc, "Stock for the weekend's duty", "2026-03-03 14:40:00"};
    const auto stored = [this](const char *doc, const char *column) {
        return session()
            .rawValue(S("Select Distinct %1 From tbInvWithdrawRequest Where DocumentNumber = '%2'").arg(S(column), S(doc)))
            .toString();
    };

    const auto *date = widget<QDateTimeEdit>(S("txtTransDate"));
    const QDateTime today = date->dateTime();
    for (const Stored &request : {fiveLines, pending, fiveLines}) {
        SCOPED_TRACE(request.doc);
        doubleClickGridRow(S("grdListing"), listRowOf(S(request.doc)));
        ASSERT_EQ(widget<QLineEdit>(S("txtDocNum"))->text(), S(request.doc));
        click(S("cmdSave"));
        EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
        EXPECT_EQ(stored(request.doc, "Remarks"), S(request.remarks));
        EXPECT_EQ(stored(request.doc, "TransDate"), S(request.date));
    }

    click(S("cmdNew"));
    EXPECT_EQ(widget<QLineEdit>(S("txtRemarks"))->text(), QString());
    EXPECT_EQ(date->dateTime(), today);
}

TEST_F(SaveTest, AGridWithOnlyTheBlankRowRemovesTheRequest)
{
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    putLines({});
    click(S("cmdSave"));
    EXPECT_EQ(storedLines(Demo::PendingDoc), 0);
    EXPECT_EQ(tab(), 0);
}

TEST_F(SaveTest, AFailureMidSaveKeepsThePreviousLines)
{
    SKIP_ON_SERVER();
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    const QVariant before = session().rawValue(
        S("Select Group_Concat(ItemID || ':' || Quantity) From tbInvWithdrawRequest Where DocumentNumber = '1'"));
    session().raw(S("Create Trigger refuse_second After Insert On tbInvWithdrawRequest When New.ItemID = '10005' "
                    "Begin Select Raise(Abort, 'disk full'); End"));
    putLines({{Demo::XylocaineId, "2", "10", "N", "N"}, {Demo::QuoteNameId, "1", "5", "N", "N"}});
    click(S("cmdSave"));

    EXPECT_EQ(lastMessage().title, AppTitle());
    EXPECT_EQ(lastMessage().buttons, MsgButtons::OK);
    EXPECT_TRUE(lastMessage().text.contains(S("disk full"))) << lastMessage().text.toStdString();
    EXPECT_EQ(session().rawValue(S("Select Group_Concat(ItemID || ':' || Quantity) From tbInvWithdrawRequest "
                                   "Where DocumentNumber = '1'")),
              before);
    EXPECT_EQ(tab(), 1);
}

// The server gets a save's lines together; one it refuses among them still fails the whole save.
TEST_F(SaveTest, ALineTheServerRefusesMidSaveKeepsThePreviousLines)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a refusal by the server: runs in the .postgres copy";
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    const QString stored = S("SELECT string_agg(ItemID || ':' || Quantity, ',' ORDER BY ItemID, Quantity) FROM "
                             "inventory.tbInvWithdrawRequest WHERE DocumentNumber = '1'");
    const QVariant before = session().rawValue(stored);
    session().raw(S("CREATE FUNCTION inventory.refuse_second() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
                    "NEW.ItemID = '10005' THEN RAISE EXCEPTION 'disk full'; END IF; RETURN NEW; END $$"));
    session().raw(S("CREATE TRIGGER refuse_second AFTER INSERT ON inventory.tbInvWithdrawRequest FOR EACH ROW "
                    "EXECUTE FUNCTION inventory.refuse_second()"));
    putLines({{Demo::XylocaineId, "2", "10", "N", "N"}, {Demo::QuoteNameId, "1", "5", "N", "N"},
              {Demo::ParacetamolId, "3", "1", "Y", "N"}});
    click(S("cmdSave"));

    EXPECT_EQ(lastMessage().buttons, MsgButtons::OK);
    EXPECT_TRUE(lastMessage().text.contains(S("disk full"))) << lastMessage().text.toStdString();
    EXPECT_EQ(session().rawValue(stored), before);
    EXPECT_EQ(tab(), 1);
}

TEST_F(SaveTest, AFailedNewRequestGoesBackToNew)
{
    SKIP_ON_SERVER();
    startNew();
    session().raw(S("Create Trigger refuse_all After Insert On tbInvWithdrawRequest "
                    "Begin Select Raise(Abort, 'refused'); End"));
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    click(S("cmdSave"));
    EXPECT_EQ(docNum()->text(), S("NEW"));
    EXPECT_EQ(storedLines("8"), 0);
}

TEST_F(SaveTest, SaveRefusesAMissingDepartment)
{
    startNew();
    widget<LocationCombo>(S("cboTargetLocation"))->setText(S("  "));
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    clearTrace();
    click(S("cmdSave"));
    EXPECT_EQ(lastMessage().text, S("Invalid target location..."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::None);
    EXPECT_EQ(lastMessage().title, AppTitle());
    EXPECT_EQ(focusName(), S("cboTargetLocation"));
    EXPECT_TRUE(trace().isEmpty());
}

TEST_F(TypedNumberSave, TypedNumbersAreChecked)
{
    startNew();
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});

    click(S("cmdSave"));
    EXPECT_EQ(lastMessage().text, S("Invalid document number..."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::None);
    EXPECT_EQ(focusName(), S("txtDocNum"));

    // A deleted request keeps its number.
    typeInto(S("txtDocNum"), S(Demo::DeletedDoc));
    click(S("cmdSave"));
    EXPECT_EQ(lastMessage().text, S("Document Number already exists. Please assign a new number."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(lastMessage().title, S("MESSAGE"));
    EXPECT_EQ(focusName(), S("txtDocNum"));

    typeInto(S("txtDocNum"), S("A12"));
    click(S("cmdSave"));
    EXPECT_EQ(lastMessage().text, S("Document number must be a number."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(lastMessage().title, S("MESSAGE"));

    messages().clear();
    typeInto(S("txtDocNum"), S("500"));
    click(S("cmdSave"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(storedLines("500"), 1);
    EXPECT_EQ(form().GetNewDocNumber(), S("501"));
}

TEST_F(SaveTest, VerifySaveRecordsTheSupervisorAndPrints)
{
    startNew();
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    QStringList printed;
    form().requestList().setPrintHook([&](bool, const QStringList &values) { printed = values; });
    saving().setSupervisorPrompt([] { return RequestSaving::SupervisorAnswer{true, S("2001")}; });
    clearTrace();
    saving().cmdVerify_Click();

    EXPECT_TRUE(trace().contains(S("Update Inventory..tbInvWithdrawRequest set Verifiedby = '2001', verifiedDate = "
                                   "GetDate() where DocumentNumber = '8'")));
    EXPECT_EQ(storedLines("8", "And Verifiedby = '2001' And verifiedDate Is Not Null"), 1);
    EXPECT_EQ(printed.value(2), S("8"));
    EXPECT_EQ(tab(), 0);
}

TEST_F(SaveTest, VerifySaveWithTheSupervisorCancelledStillSavesAndPrints)
{
    startNew();
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    bool printed = false;
    form().requestList().setPrintHook([&](bool, const QStringList &) { printed = true; });
    saving().setSupervisorPrompt([] { return RequestSaving::SupervisorAnswer{}; });
    saving().cmdVerify_Click();
    EXPECT_EQ(storedLines("8", "And IfNull(Verifiedby, '') = ''"), 1);
    EXPECT_TRUE(printed);
    EXPECT_EQ(tab(), 0);
}

TEST_F(SaveTest, SaveVerifyIsGatedByTheSupervisor)
{
    startNew();
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    saving().setSupervisorPrompt([] { return RequestSaving::SupervisorAnswer{}; });
    click(S("cmdVerified"));
    EXPECT_EQ(storedLines("8"), 0);
    EXPECT_EQ(tab(), 1);

    saving().setSupervisorPrompt([] { return RequestSaving::SupervisorAnswer{true, S("2001")}; });
    click(S("cmdVerified"));
    EXPECT_EQ(storedLines("8", "And IfNull(Verifiedby, '') = ''"), 1);
    EXPECT_EQ(tab(), 0);
}

TEST_F(SaveTest, DeleteMarksTheRequestAfterConfirmation)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
    messages().queueAnswer(MsgAnswer::No);
    click(S("cmdDeleteReq"));
    EXPECT_EQ(lastMessage().text, S("Are you sure you want to delete this record?"));
    EXPECT_EQ(lastMessage().title, S("Message"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Question);
    EXPECT_EQ(lastMessage().buttons, MsgButtons::YesNo);
    EXPECT_EQ(storedLines(Demo::FiveLineDoc, "And Status = 'D'"), 0);

    messages().queueAnswer(MsgAnswer::Yes);
    click(S("cmdDeleteReq"));
    EXPECT_TRUE(trace().contains(S("Update INVENTORY..tbInvWithDrawRequest set Status = 'D', ProcessDate = getdate(), "
                                   "ProcessBy = '1001'  where DocumentNumber = '2'")));
    EXPECT_EQ(storedLines(Demo::FiveLineDoc, "And Status = 'D' And ProcessBy = '1001' And ProcessDate Is Not Null"),
              5);
    EXPECT_EQ(listRowOf(S(Demo::FiveLineDoc)), 0);
}

TEST_F(SaveTest, DeleteRefusesARequestOfAnotherDepartment)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::OtherDeptDoc)));
    click(S("cmdDeleteReq"));
    EXPECT_EQ(lastMessage().text, S("User not Authorized for this Location."));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);
    EXPECT_EQ(messages().count(), 1);
    EXPECT_EQ(storedLines(Demo::OtherDeptDoc, "And Status = 'D'"), 0);
}

namespace {

// A supervisor at a site where new requests get typed numbers.
struct SupervisorTypedNumberSave : SaveTest
{
    QString employee() const override { return S(Demo::SupervisorId); }
    void beforeLoad() override { gAutoWithdrawRequestNumber = true; }
};

} // namespace

// "&Verify/Save" checks a typed number as "&Save" does: an empty one, one that is not a whole
// number (it would stop every workstation from numbering new requests) and one that another
// request carries (its rows would be replaced) are refused before anything is written.
TEST_F(SupervisorTypedNumberSave, VerifySaveChecksATypedNumberAsSaveDoes)
{
    startNew();
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    form().requestList().setPrintHook([](bool, const QStringList &) {});
    bool prompted = false;
    saving().setSupervisorPrompt([&] {
        prompted = true;
        return RequestSaving::SupervisorAnswer{true, S(Demo::SupervisorId)};
    });
    const QString digest =
        S("Select Group_Concat(DocumentNumber || ItemID || Quantity || IfNull(Verifiedby, '') || "
          "IfNull(Status, '')) From tbInvWithdrawRequest");
    const QVariant before = session().rawValue(digest);

    const QString taken = S("Document Number already exists. Please assign a new number.");
    const QString notANumber = S("Document number must be a number.");
    const struct
    {
        const char *number;
        QString message;
        MsgIcon icon;
        QString title;
    } refused[] = {
        {"", S("Invalid document number..."), MsgIcon::None, AppTitle()},
        {"9A", notANumber, MsgIcon::Critical, S("MESSAGE")},
        {"1.5", notANumber, MsgIcon::Critical, S("MESSAGE")},
        {"-3", notANumber, MsgIcon::Critical, S("MESSAGE")},
        {Demo::VerifiedDoc, taken, MsgIcon::Critical, S("MESSAGE")},
        {Demo::ProcessedDoc, taken, MsgIcon::Critical, S("MESSAGE")},
        {Demo::DeletedDoc, taken, MsgIcon::Critical, S("MESSAGE")},
        {Demo::PendingDoc, taken, MsgIcon::Critical, S("MESSAGE")},
    };
    for (const auto &[number, message, icon, title] : refused) {
        for (const char *button : {"cmdSave", "cmdVerify"}) {
            messages().clear();
            typeInto(S("txtDocNum"), S(number));
            click(S(button));
            EXPECT_EQ(messages().count(), 1) << number << " " << button;
            EXPECT_EQ(lastMessage().text, message) << number << " " << button;
            EXPECT_EQ(lastMessage().icon, icon) << number;
            EXPECT_EQ(lastMessage().title, title) << number;
            EXPECT_EQ(focusName(), S("txtDocNum"));
            EXPECT_EQ(tab(), 1);
        }
    }
    EXPECT_FALSE(prompted);
    EXPECT_EQ(session().rawValue(digest), before);
    EXPECT_EQ(form().GetNewDocNumber(), S("8"));

    // A free number is saved, verified and printed.
    messages().clear();
    typeInto(S("txtDocNum"), S("700"));
    click(S("cmdVerify"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_TRUE(prompted);
    EXPECT_EQ(storedLines("700", "And Verifiedby = '2001'"), 1);
}

namespace {

// Requests that may no longer change, opened by paths the list's buttons do not offer.
struct ViewingOnly : SaveTest
{
    // Every row of the request, state and verification included.
    QString rowsOf(const char *doc)
    {
        return session()
            .rawValue(S("Select Group_Concat(ItemID || ':' || Quantity || ':' || IfNull(Status, '') || ':' || "
                        "IfNull(Verifiedby, ''), ';') From tbInvWithdrawRequest Where DocumentNumber = '%1'")
                          .arg(S(doc)))
            .toString();
    }

    void SetUp() override
    {
        SaveTest::SetUp();
        saving().setSupervisorPrompt([] { return RequestSaving::SupervisorAnswer{true, S(Demo::SupervisorId)}; });
    }

    void expectNothingCanChangeIt()
    {
        for (const char *control : {"cmdSave", "cmdVerify", "cmdVerified", "cmdAdd", "cmdDelete", "txtProdCode",
                                    "txtWithdraw", "txtUnitCost", "cmdOK", "txtRemarks", "txtTransDate"})
            EXPECT_FALSE(widget(S(control))->isEnabled()) << control;
    }
};

} // namespace

TEST_F(ViewingOnly, AVerifiedRequestOpenedByTheTabHeaderCannotBeSavedBack)
{
    click(S("chkverified"));
    const QString before = rowsOf(Demo::VerifiedDoc);
    selectGridRow(S("grdListing"), listRowOf(S(Demo::VerifiedDoc)));
    clickTab(1);
    ASSERT_EQ(docNum()->text(), S(Demo::VerifiedDoc));
    expectNothingCanChangeIt();

    // The buttons and the grid's delete key do nothing; the request stays verified.
    const int lines = grid(S("grdDetails"))->Rows();
    click(S("cmdSave"));
    click(S("cmdVerified"));
    selectGridRow(S("grdDetails"), 1);
    typeText(S("."));
    EXPECT_EQ(grid(S("grdDetails"))->Rows(), lines);
    EXPECT_EQ(rowsOf(Demo::VerifiedDoc), before);
    EXPECT_EQ(tab(), 1);

    // It can still be printed; New gives back a request that can be written.
    QStringList printed;
    form().requestList().setPrintHook([&](bool, const QStringList &values) { printed = values; });
    click(S("cmdView"));
    EXPECT_EQ(printed.value(2), S(Demo::VerifiedDoc));
    click(S("cmdNew"));
    EXPECT_TRUE(widget(S("cmdSave"))->isEnabled());
    EXPECT_TRUE(widget(S("txtProdCode"))->isEnabled());
}

// New started while a verified request is selected gives a request that can be written.
TEST_F(ViewingOnly, NewFromAVerifiedSelectionStartsAWritableRequest)
{
    click(S("chkverified"));
    selectGridRow(S("grdListing"), listRowOf(S(Demo::VerifiedDoc)));
    click(S("cmdNew"));
    EXPECT_EQ(docNum()->text(), S("NEW"));
    EXPECT_EQ(focusName(), S("txtProdCode"));
    EXPECT_TRUE(widget(S("cmdSave"))->isEnabled());
    putLines({{Demo::ParacetamolId, "1", "1", "Y", "N"}});
    click(S("cmdSave"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(storedLines("8"), 1);
    EXPECT_EQ(rowsOf(Demo::VerifiedDoc).count(S(":2001")), storedLines(Demo::VerifiedDoc));
}

TEST_F(ViewingOnly, AProcessedRequestOpenedByTheTabHeaderCannotBeSavedBack)
{
    click(S("optOptions_1"));
    const QString before = rowsOf(Demo::ProcessedDoc);
    selectGridRow(S("grdListing"), listRowOf(S(Demo::ProcessedDoc)));
    clickTab(1);
    ASSERT_EQ(docNum()->text(), S(Demo::ProcessedDoc));
    expectNothingCanChangeIt();
    click(S("cmdSave"));
    EXPECT_EQ(rowsOf(Demo::ProcessedDoc), before);
}

// The list still shows a request that was deleted after it was read; opened, it is only shown.
TEST_F(ViewingOnly, ARequestDeletedAfterTheListWasReadOpensForViewing)
{
    const auto otherWorkstation = session().db().openAnotherConnection();
    otherWorkstation->Execute(S("Update INVENTORY..tbInvWithDrawRequest set Status = 'D', ProcessDate = getdate(), "
                                "ProcessBy = '2001'  where DocumentNumber = '1'"));
    const QString before = rowsOf(Demo::PendingDoc);
    doubleClickGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    ASSERT_EQ(tab(), 1);
    expectNothingCanChangeIt();
    click(S("cmdSave"));
    EXPECT_EQ(rowsOf(Demo::PendingDoc), before);
}
