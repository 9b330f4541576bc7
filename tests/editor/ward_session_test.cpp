// The request window on a ward PC's own database log-in: on a server that log-in has only the
// workstations' rights, and the clerk logged on through the server's check. The staff's work goes
// on as before; a verification needs the supervisor's password checked by the server.

#include "editor/RequestList.h"
#include "editor/RequestSaving.h"
#include "pickers/core/modEncryption.h"
#include "pickers/frmDeletePassword.h"
#include "reports/frmReportViewer.h"
#include "shell/Session.h"
#include "tests/support/EditorFixture.h"

#include <QApplication>
#include <QDateTimeEdit>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

QString scrambled(const char *password)
{
    return ScrambleText(S("E"), S("DARVELQUIMSTO"), S(password));
}

const char *kWard = "ir_ward_workstation";

class WardSession : public EditorFixture
{
protected:
    // On a server the session works through a log-in that is a member of the workstations' role
    // only (made once for the test server; another test program may be making it at once).
    void beforeLoad() override
    {
        if (!TestDatabase::onServer())
            return;
        session().raw(S("DO $$ BEGIN CREATE ROLE %1 LOGIN IN ROLE inventory_request_client; "
                        "EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END $$")
                          .arg(S(kWard)));
        std::unique_ptr<Connection> ward =
            Connection::openServer(session().db().serverName() + S(" user=") + S(kWard));
        ASSERT_EQ(ward->checkServerLogon(S(Demo::ClerkId), scrambled(Demo::ClerkPassword)), S(Demo::ClerkId));
        session().user().attach(std::move(ward), S(Demo::ClerkId));
    }
    void TearDown() override
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (qobject_cast<frmReportViewer *>(window))
                window->close();
        EditorFixture::TearDown();
    }

    RequestSaving &saving() { return form().requestSaving(); }
    int storedLines(const char *doc, const char *extra = "")
    {
        return session()
            .rawValue(S("Select Count(*) From tbInvWithdrawRequest Where DocumentNumber = '%1' %2")
                          .arg(S(doc), S(extra)))
            .toInt();
    }
    void saveNewRequestForVerification(RequestSaving::SupervisorPrompt prompt)
    {
        selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
        click(S("cmdNew"));
        putLines({{Demo::ParacetamolId, "2", "1.2500", "Y", "N"}});
        saving().setSupervisorPrompt(std::move(prompt));
        saving().cmdVerify_Click();
    }
};

} // namespace

// Saved, verified through the prompt's check, printed, then deleted: all as the ward.
TEST_F(WardSession, SavesVerifiesPrintsAndDeletes)
{
    saveNewRequestForVerification([] {
        return RequestSaving::SupervisorAnswer{
            frmDeletePassword::GetPassword(S(Demo::SupervisorId), S(Demo::SupervisorPassword)),
            S(Demo::SupervisorId)};
    });
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_EQ(storedLines("8", "And Verifiedby = '2001' And verifiedDate Is Not Null"), 1);

    selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
    click(S("cmdView"));
    EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
    EXPECT_TRUE(gReport);

    messages().queueAnswer(MsgAnswer::Yes);
    click(S("cmdDeleteReq"));
    EXPECT_EQ(storedLines(Demo::FiveLineDoc, "And Status = 'D' And ProcessBy = '1001'"), 5);
}

// A wrong supervisor password is refused as always; the window stays usable.
TEST_F(WardSession, TheSupervisorPromptsCheckRefusesAWrongPassword)
{
    EXPECT_FALSE(frmDeletePassword::GetPassword(S(Demo::SupervisorId), S("wrong")));
    EXPECT_FALSE(frmDeletePassword::GetPassword(S(Demo::AdminDeptUserId), S(Demo::AdminDeptUserPassword)));
    EXPECT_TRUE(frmDeletePassword::GetPassword(S(" 2001 ").trimmed(), S(Demo::SupervisorPassword)));
}

// A workstation that claims a supervisor without the server's check verifies nothing: the save
// stands, the verification is refused with the server's reason.
TEST_F(WardSession, AVerificationWithoutTheServersCheckIsRefused)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "the embedded files trust the workstation they serve";
    saveNewRequestForVerification([] {
        return RequestSaving::SupervisorAnswer{true, S(Demo::SupervisorId)};
    });
    EXPECT_EQ(storedLines("8", "And IfNull(Verifiedby, '') = ''"), 1);
    EXPECT_TRUE(
        lastMessage().text.contains(S("verified only by a supervisor whose password the server checked")))
        << lastMessage().text.toStdString();
}
