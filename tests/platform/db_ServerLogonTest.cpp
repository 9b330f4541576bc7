#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/Messages.h"
#include "platform/postgres/ServerAddress.h"
#include "tests/support/TestSession.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// Answers the log-on prompt from a script, server included; an empty entry is Cancel.
class ServerPrompt : public LogonPrompt
{
public:
    explicit ServerPrompt(const QString &offered = QString()) : m_offered(offered) {}
    void enter(const QString &server, const char *id, const char *password)
    {
        m_answers.append(LogonCredentials{S(id), S(password), server});
    }
    int asked() const { return m_asked; }

    std::optional<LogonCredentials> ask() override
    {
        ++m_asked;
        return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
    }
    QString offeredServer() const override { return m_offered; }

private:
    QString m_offered;
    QList<std::optional<LogonCredentials>> m_answers;
    int m_asked = 0;
};

QString scrambled(const QString &password)
{
    return ScrambleText(S("E"), S("DARVELQUIMSTO"), password);
}

} // namespace

// A server that cannot be reached, or a name libpq cannot read, is one clear message each and the
// prompt again at once; Cancel then ends the log-on.
TEST(ServerLogon, AServerThatCannotBeUsedIsOneMessageAndThePromptAgain)
{
    MessageRecorder messages;
    ServerPrompt prompt(S("host=/nonexistent-inventory-server dbname=inventory"));
    prompt.enter(S("host=/nonexistent-inventory-server dbname=inventory"), Demo::ClerkId, Demo::ClerkPassword);
    prompt.enter(S("host='unterminated"), Demo::ClerkId, Demo::ClerkPassword);
    CurrentUser user(&prompt, scrambled);
    QElapsedTimer timer;
    timer.start();
    user.ShowMain();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(user.Connected());
    EXPECT_EQ(prompt.asked(), 3);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.messages().at(0).icon, MsgIcon::Critical);
    EXPECT_TRUE(messages.messages().at(0).text.startsWith(S("The database server cannot be used.")))
        << messages.messages().at(0).text.toStdString();
    EXPECT_TRUE(messages.messages().at(0).text.contains(S("/nonexistent-inventory-server")));
    EXPECT_TRUE(messages.messages().at(1).text.contains(S("cannot be read"))) << messages.messages().at(1).text.toStdString();
    // Every attempt is bounded: libpq gives up after the connect timeout.
    EXPECT_TRUE(ServerAddress::connectionString(S("host=db dbname=inventory")).contains(S("connect_timeout='5'")));
    EXPECT_TRUE(ServerAddress::connectionString(S("postgresql://db/inventory?connect_timeout=2"))
                    .contains(S("connect_timeout='2'")));
}

// The staff log on to the server with their employee id and password, as on the embedded files;
// a database without the tables is one message and the prompt again.
TEST(ServerLogon, StaffLogOnToTheServerTheyChose)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "needs the server: runs in the .postgres copy";
    TestDatabase db;
    MessageRecorder messages;
    ServerPrompt prompt(db.serverName());
    const QString empty = qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER");
    prompt.enter(empty, Demo::ClerkId, Demo::ClerkPassword);
    prompt.enter(db.serverName(), Demo::ClerkId, "wrong");
    prompt.enter(db.serverName(), Demo::ClerkId, Demo::ClerkPassword);
    CurrentUser user(&prompt, scrambled);
    user.ShowMain();
    ASSERT_TRUE(user.Connected());
    EXPECT_EQ(user.EmployeeCode(), S(Demo::ClerkId));
    EXPECT_EQ(user.ServerName(), db.serverName());
    EXPECT_EQ(user.Database(), S("INVENTORY"));
    EXPECT_EQ(prompt.asked(), 3);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_TRUE(messages.messages().at(0).text.contains(S("does not hold the inventory tables")))
        << messages.messages().at(0).text.toStdString();
    EXPECT_EQ(messages.messages().at(1).text, S("Invalid employee ID or password."));
    EXPECT_EQ(user.sqlconnection()->Execute(S("Select count(*) From INVENTORY..tbInvLocation")).rows.size(), 1);
}
