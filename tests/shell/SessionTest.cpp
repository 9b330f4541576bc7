#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/Shell.h"
#include "platform/SqlTrace.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString SiteSql = QStringLiteral("Select *, GetDate() as CurDate From Inventory..tbHospitalInfo");
const QString SwitchSql = QStringLiteral("Select KeyValue from Inventory..tbPharmaSwitch where idkey = '%1'");

// A session whose site information is left for the test to load.
class SiteTest : public ::testing::Test
{
protected:
    SiteTest() : session(QString::fromLatin1(Demo::ClerkId), DataFolder::Content::DemoData, false) {}

    void setSwitch(const QString &key, const QString &sqliteValue)
    {
        session.raw(QStringLiteral("DELETE FROM tbPharmaSwitch WHERE idkey = '%1'").arg(key));
        session.raw(QStringLiteral("INSERT INTO tbPharmaSwitch (idkey, KeyValue) VALUES ('%1', %2)").arg(key, sqliteValue));
    }

    TestSession session;
};

class NoKeys : public ShellObject
{
public:
    void SendKeys(const QString &) override {}
};

class ScriptedLogon : public LogonPrompt
{
public:
    explicit ScriptedLogon(std::optional<LogonCredentials> answer) : m_answer(std::move(answer)) {}
    std::optional<LogonCredentials> ask() override
    {
        ++asked;
        return asked == 1 ? m_answer : std::nullopt;
    }
    int asked = 0;

private:
    std::optional<LogonCredentials> m_answer;
};

// Start-up against a data folder of its own, as the program runs it.
class StartupTest : public ::testing::Test
{
protected:
    StartupTest()
    {
        m_previousData = qgetenv("INVENTORY_REQUEST_DATA");
        qputenv("INVENTORY_REQUEST_DATA", m_db.folder().toLocal8Bit());
        ResetSession();
        SqlTrace::setObserver([this](const QString &statement) { trace << statement; });
    }
    ~StartupTest() override
    {
        SqlTrace::setObserver({});
        ResetSession();
        qputenv("INVENTORY_REQUEST_DATA", m_previousData);
    }

    static QString passwordForm(const QString &password)
    {
        return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
    }

    TestDatabase m_db;
    MessageRecorder messages;
    QStringList trace;
    NoKeys shell;
    int editorsShown = 0;

private:
    QByteArray m_previousData;
};

} // namespace

TEST_F(SiteTest, LoadsTheSiteRowAndTheDocumentNumberSwitch)
{
    session.clearTrace();
    LoadSiteInformation();

    EXPECT_EQ(session.trace(), (QStringList{SiteSql, SwitchSql.arg(QStringLiteral("2"))}));
    EXPECT_EQ(gCompany, QString::fromLatin1(Demo::Company));
    EXPECT_EQ(gAddress1, QString::fromLatin1(Demo::Address1));
    EXPECT_EQ(gClientName, QString());
    EXPECT_FALSE(gAllowWDZeroOnHand);
    EXPECT_FALSE(gAutoWithdrawRequestNumber);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d [AP]M$"))
                    .match(gCurDate)
                    .hasMatch())
        << gCurDate.toStdString();
    EXPECT_EQ(session.messages().count(), 0);
}

TEST_F(SiteTest, MissingSiteRowIsReportedOnceAndLeavesTheDefaults)
{
    session.raw(QStringLiteral("DELETE FROM tbHospitalInfo"));
    setSwitch(QStringLiteral("2"), QStringLiteral("'1'"));
    session.clearTrace();
    LoadSiteInformation();

    ASSERT_EQ(session.messages().count(), 1);
    const Message m = session.messages().last();
    EXPECT_EQ(m.text, QStringLiteral("No Hospital information was found"));
    EXPECT_EQ(m.title, QStringLiteral("MESSAGE"));
    EXPECT_EQ(m.icon, MsgIcon::Information);
    EXPECT_EQ(m.buttons, MsgButtons::OK);
    EXPECT_EQ(session.trace(), QStringList{SiteSql});
    EXPECT_TRUE(gCompany.isEmpty());
    EXPECT_TRUE(gCurDate.isEmpty());
    EXPECT_FALSE(gAutoWithdrawRequestNumber);
}

TEST_F(SiteTest, NullSiteColumnsReadAsEmptyAndFalse)
{
    session.raw(QStringLiteral("UPDATE tbHospitalInfo SET Company = NULL, Address1 = NULL, ClientName = NULL, "
                               "AllowWDZeroOnHand = NULL, isAutoWithdrawRequestNumber = NULL"));
    setSwitch(QStringLiteral("2"), QStringLiteral("'1'"));
    LoadSiteInformation();

    EXPECT_EQ(gCompany, QString());
    EXPECT_EQ(gAddress1, QString());
    EXPECT_EQ(gClientName, QString());
    EXPECT_FALSE(gAllowWDZeroOnHand);
    EXPECT_FALSE(gAutoWithdrawRequestNumber);
    EXPECT_EQ(session.messages().count(), 0);
}

TEST_F(SiteTest, SiteFlagsAndTheFirstRow)
{
    session.raw(QStringLiteral("UPDATE tbHospitalInfo SET ClientName = 'ZELTRA', AllowWDZeroOnHand = 1, "
                               "isAutoWithdrawRequestNumber = 1"));
    session.raw(QStringLiteral("INSERT INTO tbHospitalInfo (HospitalID, Company, ClientName) "
                               "VALUES (999999, 'SECOND ROW', 'BEX')"));
    setSwitch(QStringLiteral("2"), QStringLiteral("'1'"));
    LoadSiteInformation();

    EXPECT_EQ(gCompany, QString::fromLatin1(Demo::Company));
    EXPECT_EQ(gClientName, QStringLiteral("ZELTRA"));
    EXPECT_TRUE(gAllowWDZeroOnHand);
    EXPECT_TRUE(gAutoWithdrawRequestNumber);
}

TEST_F(SiteTest, DocumentNumberEntryNeedsSwitchTwo)
{
    session.raw(QStringLiteral("UPDATE tbHospitalInfo SET isAutoWithdrawRequestNumber = 1"));
    setSwitch(QStringLiteral("2"), QStringLiteral("'0'"));
    LoadSiteInformation();
    EXPECT_FALSE(gAutoWithdrawRequestNumber);

    session.raw(QStringLiteral("DELETE FROM tbPharmaSwitch WHERE idkey = '2'"));
    LoadSiteInformation();
    EXPECT_FALSE(gAutoWithdrawRequestNumber);
}

TEST_F(SiteTest, SwitchValuesAsBooleans)
{
    const struct
    {
        const char *sqliteValue;
        bool on;
    } cases[] = {
        {"'1'", true},    {"'-1'", true},   {"'2'", true},     {"'True'", true},  {"'true'", true},
        {"' TRUE '", true}, {"1", true},    {"'0'", false},    {"'False'", false}, {"''", false},
        {"NULL", false},  {"'abc'", false}, {"'0.0'", false},  {"0", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sqliteValue);
        setSwitch(QStringLiteral("3"), QString::fromLatin1(c.sqliteValue));
        EXPECT_EQ(IsSwitchOn(QStringLiteral("3")), c.on);
    }
    session.clearTrace();
    EXPECT_FALSE(IsSwitchOn(QStringLiteral("99")));
    EXPECT_FALSE(IsSwitchOn(QStringLiteral("O'X")));
    EXPECT_EQ(session.trace(), (QStringList{SwitchSql.arg(QStringLiteral("99")), SwitchSql.arg(QStringLiteral("O''X"))}));
    EXPECT_EQ(session.messages().count(), 0);
}

TEST_F(StartupTest, CancelledLogonRunsNoQueryAndShowsNothing)
{
    ScriptedLogon prompt(std::nullopt);
    CurrentUser user(&prompt, &StartupTest::passwordForm);
    StartupHooks hooks{&user, &shell, [this] { ++editorsShown; }};

    EXPECT_FALSE(Main(hooks));
    EXPECT_EQ(user.PasswordDeptCode(), QStringLiteral("4"));
    EXPECT_EQ(editorsShown, 0);
    EXPECT_FALSE(trace.contains(SiteSql));
    EXPECT_TRUE(gDefaultLocationID.isEmpty());
    EXPECT_TRUE(gCompany.isEmpty());
}

TEST_F(StartupTest, LogonLoadsTheSiteAndShowsTheEditor)
{
    ScriptedLogon prompt(LogonCredentials{QString::fromLatin1(Demo::ClerkId), QString::fromLatin1(Demo::ClerkPassword), {}});
    CurrentUser user(&prompt, &StartupTest::passwordForm);
    StartupHooks hooks{&user, &shell, [this] {
                           // The editor is shown only after the session defaults are in place.
                           EXPECT_EQ(gDefaultLocationID, QStringLiteral("94"));
                           ++editorsShown;
                       }};

    ASSERT_TRUE(Main(hooks));
    EXPECT_EQ(gCurrentUser, &user);
    EXPECT_EQ(gShell, &shell);
    EXPECT_EQ(editorsShown, 1);
    EXPECT_EQ(gAllowedInventoryTypes, QStringLiteral("A"));
    EXPECT_EQ(gCompany, QString::fromLatin1(Demo::Company));
    EXPECT_TRUE(trace.contains(SiteSql));
}

TEST_F(StartupTest, MissingComponentsStopStartup)
{
    StartupHooks hooks{nullptr, &shell, [this] { ++editorsShown; }};
    EXPECT_THROW(Main(hooks), Error);
    EXPECT_EQ(editorsShown, 0);
}
