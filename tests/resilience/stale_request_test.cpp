#include "editor/RequestList.h"
#include "editor/RequestSaving.h"
#include "widgets/FlexGrid.h"
#include "shell/Session.h"
#include "tests/resilience/ResilienceSupport.h"
#include "tests/support/EditorFixture.h"

#include <QLineEdit>
#include <QTabWidget>

// A request open in this window while another workstation writes it: the window's save, verification
// or deletion is refused, the other workstation's rows stay as it wrote them, and what the user typed
// stays on screen.

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// Another workstation in a process of its own: it gets ready (opens the request, reads the list or
// types a new number), then acts when told.
class OtherWorkstation
{
public:
    OtherWorkstation(const QString &database, const char *employee, const char *action, const char *doc,
                     const QProcessEnvironment &extra = QProcessEnvironment())
    {
        startClient(m_process, {S("act"), database, S(employee), S(action), S(doc)}, extra);
        m_ready = waitFor("ready");
    }
    ~OtherWorkstation()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool isReady() const { return m_ready; }
    void go() { m_process.write("go\n"); }
    bool waitFor(const char *word)
    {
        while (!m_output.contains(word)) {
            if (m_process.state() == QProcess::NotRunning || !m_process.waitForReadyRead(20000))
                return m_output.contains(word);
            m_output += m_process.readAllStandardOutput();
        }
        return true;
    }
    // The outcome it reported: "done", or "refused" and the message it was shown.
    QString outcome()
    {
        m_process.waitForFinished(20000);
        m_output += m_process.readAllStandardOutput();
        const QStringList lines = QString::fromUtf8(m_output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString::fromUtf8(m_process.readAllStandardError()) : lines.last();
    }
    QString actNow()
    {
        go();
        return outcome();
    }

private:
    QProcess m_process;
    QByteArray m_output;
    bool m_ready = false;
};

const QString kTheirLines = S("10007:77;10008:78");

struct StaleRequest : EditorFixture
{
    QString database() { return session().db().address(); }
    int tab() const { return widget<QTabWidget>(S("SSTab1"))->currentIndex(); }

    void open(const char *doc)
    {
        doubleClickGridRow(S("grdListing"), listRowOf(S(doc)));
        ASSERT_EQ(tab(), 1);
        ASSERT_EQ(widget<QLineEdit>(S("txtDocNum"))->text(), S(doc));
    }

    // Every column a refused save or delete could touch, for "nothing written" comparisons.
    QString rowsOf(const char *doc)
    {
        return session()
            .rawValue(S("Select Group_Concat(x, '|') From (Select ItemID || ',' || Quantity || ',' || UnitCost || ',' "
                        "|| IfNull(Remarks, '') || ',' || IfNull(Status, '') || ',' || IfNull(ProcessBy, '') || ',' "
                        "|| IfNull(Verifiedby, '') || ',' || IfNull(Cast(verifiedDate As Text), '') As x "
                        "From tbInvWithdrawRequest Where DocumentNumber = '%1' Order By x) As rowsNow")
                          .arg(S(doc)))
            .toString();
    }
    QString linesOf(const char *doc) { return storedLines(session().db(), S(doc)); }

    // Processing happens outside this system, on a connection of its own.
    void processElsewhere(const char *doc)
    {
        const auto other = session().db().openAnotherConnection();
        other->Execute(S("Update INVENTORY..tbInvWithdrawRequest set Status = 'P', ProcessDate = GetDate(), "
                         "ProcessBy = '%1' where DocumentNumber = '%2'")
                           .arg(S(Demo::AdminDeptUserId), S(doc)));
    }

    bool listWasReread()
    {
        for (const QString &statement : trace())
            if (statement.startsWith(S("Select distinct A.DocumentNumber")))
                return true;
        return false;
    }

    // The refusal of a save: one message, nothing written, the typed lines still in the grid.
    void expectSaveRefused(const char *doc, const QString &what, const QString &rowsBefore)
    {
        messages().clear();
        clearTrace();
        click(S("cmdSave"));
        ASSERT_EQ(messages().count(), 1);
        EXPECT_TRUE(lastMessage().text.startsWith(S("Request %1 was %2").arg(S(doc), what)))
            << lastMessage().text.toStdString();
        EXPECT_TRUE(lastMessage().text.contains(S("at another workstation"))) << lastMessage().text.toStdString();
        EXPECT_EQ(lastMessage().title, S("MESSAGE"));
        EXPECT_EQ(lastMessage().icon, MsgIcon::Exclamation);
        EXPECT_EQ(rowsOf(doc), rowsBefore);
        EXPECT_EQ(tab(), 1);
        EXPECT_EQ(cell(1, 0), S(Demo::ParacetamolId));
        EXPECT_EQ(cell(1, 2), S("9"));
        EXPECT_TRUE(listWasReread());
    }
};

struct StaleRequestForSupervisor : StaleRequest
{
    QString employee() const override { return S(Demo::SupervisorId); }
};

struct StaleTypedNumber : StaleRequest
{
    void beforeLoad() override
    {
        session().raw(S("Update tbHospitalInfo Set isAutoWithdrawRequestNumber = 1"));
        gAutoWithdrawRequestNumber = true;
    }
};

} // namespace

TEST_F(StaleRequest, ASaveOverAnotherWorkstationsSaveIsRefused)
{
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    OtherWorkstation clerk(database(), Demo::ClerkId, "edit", Demo::PendingDoc);
    ASSERT_TRUE(clerk.isReady());
    ASSERT_EQ(clerk.actNow(), S("done"));
    const QString theirs = rowsOf(Demo::PendingDoc);
    ASSERT_EQ(linesOf(Demo::PendingDoc), kTheirLines);

    expectSaveRefused(Demo::PendingDoc, S("changed by "), theirs);
    EXPECT_TRUE(lastMessage().text.contains(S("(1001)"))) << lastMessage().text.toStdString();
    // Until the request is opened again, every save is refused.
    expectSaveRefused(Demo::PendingDoc, S("changed by "), theirs);
}

TEST_F(StaleRequest, ASupervisorsVerificationMadeWhileTheClerkEditsIsKept)
{
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    OtherWorkstation supervisor(database(), Demo::SupervisorId, "verify", Demo::PendingDoc);
    ASSERT_TRUE(supervisor.isReady());
    ASSERT_EQ(supervisor.actNow(), S("done"));
    const QString verified = rowsOf(Demo::PendingDoc);
    ASSERT_TRUE(verified.contains(S(",2001,")));

    expectSaveRefused(Demo::PendingDoc, S("verified by "), verified);
    EXPECT_TRUE(lastMessage().text.contains(S("(2001)"))) << lastMessage().text.toStdString();
}

TEST_F(StaleRequest, AVerificationOfARequestTheClerkSavedMeanwhileIsRefused)
{
    OtherWorkstation supervisor(database(), Demo::SupervisorId, "verify", Demo::PendingDoc);
    ASSERT_TRUE(supervisor.isReady());
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    click(S("cmdSave"));
    ASSERT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    const QString clerks = rowsOf(Demo::PendingDoc);

    const QString outcome = supervisor.actNow();
    EXPECT_TRUE(outcome.startsWith(S("refused\tRequest 1 was changed by "))) << outcome.toStdString();
    EXPECT_EQ(rowsOf(Demo::PendingDoc), clerks);
    EXPECT_EQ(linesOf(Demo::PendingDoc), S("10001:9"));
}

TEST_F(StaleRequest, ARequestProcessedMeanwhileIsNotSavedBackAsPending)
{
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    processElsewhere(Demo::PendingDoc);
    const QString processed = rowsOf(Demo::PendingDoc);

    expectSaveRefused(Demo::PendingDoc, S("processed by "), processed);
    EXPECT_TRUE(lastMessage().text.contains(S("(2002)"))) << lastMessage().text.toStdString();
}

TEST_F(StaleRequest, ARequestDeletedMeanwhileStaysDeleted)
{
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    OtherWorkstation clerk(database(), Demo::ClerkId, "delete", Demo::PendingDoc);
    ASSERT_TRUE(clerk.isReady());
    ASSERT_EQ(clerk.actNow(), S("done"));
    const QString deleted = rowsOf(Demo::PendingDoc);

    expectSaveRefused(Demo::PendingDoc, S("deleted by "), deleted);
    EXPECT_EQ(session().rawValue(S("Select Count(*) From tbInvWithdrawRequest Where DocumentNumber = '1' And "
                                   "IfNull(Status, '') <> 'D'"))
                  .toInt(),
              0);
}

TEST_F(StaleRequest, DeletingARequestProcessedSinceTheListWasReadIsRefused)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    processElsewhere(Demo::PendingDoc);
    const QString processed = rowsOf(Demo::PendingDoc);

    messages().queueAnswer(MsgAnswer::Yes);
    clearTrace();
    click(S("cmdDeleteReq"));
    ASSERT_EQ(messages().count(), 2);
    EXPECT_TRUE(lastMessage().text.startsWith(S("Request 1 was processed by "))) << lastMessage().text.toStdString();
    EXPECT_TRUE(lastMessage().text.contains(S("Nothing was changed"))) << lastMessage().text.toStdString();
    EXPECT_EQ(rowsOf(Demo::PendingDoc), processed);
    EXPECT_TRUE(listWasReread());
    EXPECT_EQ(listRowOf(S(Demo::PendingDoc)), 0);
}

// The other workstation's save of the same typed number is still uncommitted when this window checks
// the number; the window waits for it and then finds the number taken.
TEST_F(StaleTypedNumber, TwoWorkstationsTypingTheSameNewNumberCannotBothSaveIt)
{
    QProcessEnvironment hold;
    hold.insert(S("RESILIENCE_HOLD_AT_INSERT"), S("2"));
    hold.insert(S("RESILIENCE_HOLD_MS"), S("1500"));
    OtherWorkstation clerk(database(), Demo::ClerkId, "new", "600", hold);
    ASSERT_TRUE(clerk.isReady());

    selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    click(S("cmdNew"));
    typeInto(S("txtDocNum"), S("600"));
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    clerk.go();
    ASSERT_TRUE(clerk.waitFor("holding"));
    click(S("cmdSave"));

    EXPECT_EQ(clerk.outcome(), S("done"));
    EXPECT_EQ(lastMessage().text, S("Document Number already exists. Please assign a new number."));
    EXPECT_EQ(lastMessage().title, S("MESSAGE"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(focusName(), S("txtDocNum"));
    EXPECT_EQ(linesOf("600"), kTheirLines);
    EXPECT_EQ(cell(1, 2), S("9"));
}

// What the window wrote is what it holds: saving twice and verifying right after are no conflict.
TEST_F(StaleRequestForSupervisor, SavesAndAVerificationInARowFromOneWindowAreNoConflict)
{
    form().requestList().setPrintHook([](bool, const QStringList &) {});
    form().requestSaving().setSupervisorPrompt(
        [] { return RequestSaving::SupervisorAnswer{true, S(Demo::SupervisorId)}; });

    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    click(S("cmdSave"));
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "10", "1.2500", "Y", "N"}});
    click(S("cmdSave"));
    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "11", "1.2500", "Y", "N"}});
    click(S("cmdVerify"));

    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(linesOf(Demo::PendingDoc), S("10001:11"));
    EXPECT_EQ(session().rawValue(S("Select Count(*) From tbInvWithdrawRequest Where DocumentNumber = '1' And "
                                   "Verifiedby = '2001'"))
                  .toInt(),
              1);
}

// The verification of "&Verify/Save" comes after the supervisor's password, in a write of its own:
// a change made while the prompt was open is not verified unseen.
TEST_F(StaleRequestForSupervisor, AChangeMadeWhileTheSupervisorIsAskedIsNotVerified)
{
    bool printed = false;
    form().requestList().setPrintHook([&](bool, const QStringList &) { printed = true; });
    QString otherOutcome;
    form().requestSaving().setSupervisorPrompt([&] {
        OtherWorkstation clerk(database(), Demo::ClerkId, "edit", Demo::PendingDoc);
        otherOutcome = clerk.isReady() ? clerk.actNow() : S("not ready");
        return RequestSaving::SupervisorAnswer{true, S(Demo::SupervisorId)};
    });

    open(Demo::PendingDoc);
    putLines({{Demo::ParacetamolId, "9", "1.2500", "Y", "N"}});
    click(S("cmdVerify"));

    ASSERT_EQ(otherOutcome, S("done"));
    ASSERT_EQ(messages().count(), 1);
    EXPECT_TRUE(lastMessage().text.startsWith(S("Request 1 was changed by "))) << lastMessage().text.toStdString();
    EXPECT_TRUE(lastMessage().text.contains(S("It was not verified"))) << lastMessage().text.toStdString();
    EXPECT_EQ(linesOf(Demo::PendingDoc), kTheirLines);
    EXPECT_EQ(session().rawValue(S("Select Count(*) From tbInvWithdrawRequest Where DocumentNumber = '1' And "
                                   "IfNull(Verifiedby, '') <> ''"))
                  .toInt(),
              0);
    EXPECT_FALSE(printed);
    EXPECT_EQ(cell(1, 2), S("9"));
}
