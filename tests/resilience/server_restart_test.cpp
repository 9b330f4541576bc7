#include "tests/resilience/ResilienceSupport.h"

#include "platform/SqlTrace.h"
#include "platform/Administration.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

#include <functional>

// The database server goes away in the middle of a save (an administrator restarts it, the
// network drops the connection): what was saved before stays, the interrupted save leaves no
// half-written request, the user is told once, and the next action connects anew.

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// A server of the test's own, set up with the demo hospital: restarting the server every other
// test uses would cut them off too.
class PrivateServer
{
public:
    PrivateServer()
        : m_dir(QDir::temp().filePath(QStringLiteral("ir-restart-%1").arg(QCoreApplication::applicationPid())))
    {
        QProcess start;
        start.start(S("bash"), {script(), S("start"), m_dir});
        if (!start.waitForFinished(60000) || start.exitCode() != 0) {
            m_failure = QString::fromUtf8(start.readAllStandardError());
            return;
        }
        // The script prints the export line of its connection string.
        const QString said = QString::fromUtf8(start.readAllStandardOutput());
        m_address = said.section(QLatin1Char('\''), 1, 1);
        ServerSetup::run(m_address, ServerSetup::Content::DemoData);
    }
    ~PrivateServer() { QProcess::execute(S("bash"), {script(), S("stop"), m_dir}); }

    QString failure() const { return m_failure; }
    QString address() const { return m_address; }

    bool restart() const { return QProcess::execute(S("bash"), {script(), S("restart"), m_dir}) == 0; }

    // The stored lines of a request, as "item:quantity" in item order, read on a connection of
    // its own.
    QString storedLines(const QString &documentNumber) const
    {
        const auto connection = Connection::openServer(m_address);
        QSqlQuery query(connection->database());
        query.exec(QStringLiteral("Select string_agg(ItemID || ':' || Cast(Quantity As Integer), ';' Order By ItemID) "
                                  "From tbInvWithdrawRequest Where DocumentNumber = '%1'")
                       .arg(documentNumber));
        return query.next() ? query.value(0).toString() : QStringLiteral("(query failed)");
    }

private:
    static QString script() { return QStringLiteral(IR_SOURCE_DIR "/scripts/test-server"); }

    QString m_dir;
    QString m_address;
    QString m_failure;
};

// Runs what the user does while the server goes away when the save writes its n-th line.
void cutOffAtInsert(int insert, const std::function<void()> &cut, const std::function<void()> &userAction)
{
    int inserts = 0;
    SqlTrace::setObserver([&](const QString &statement) {
        if (statement.startsWith(QStringLiteral("Insert INVENTORY..tbInvWithdrawRequest")) && ++inserts == insert)
            cut();
    });
    userAction();
    SqlTrace::setObserver({});
}

} // namespace

TEST(ServerRestart, ASaveCutOffByARestartKeepsEverythingSavedAndTheNextActionReconnects)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a database server's restart: the embedded files have no server";
    PrivateServer server;
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    const QString linesBefore = server.storedLines(S("1"));
    ASSERT_EQ(linesBefore.count(QLatin1Char(';')), 2) << linesBefore.toStdString();

    RequestDriver driver(server.address(), S("1001"));
    const QString savedBefore = driver.saveNew(someLines(2, 10), S("SAVED BEFORE THE RESTART"));
    ASSERT_FALSE(savedBefore.isEmpty()) << driver.messages().last().text.toStdString();

    bool restarted = false;
    bool saved = true;
    cutOffAtInsert(2, [&] { restarted = server.restart(); },
                   [&] { saved = driver.edit(S("1"), someLines(4, 70), S("CUT OFF")); });
    ASSERT_TRUE(restarted);
    EXPECT_FALSE(saved);
    ASSERT_EQ(driver.messages().count(), 1) << "the user is told once";
    EXPECT_TRUE(driver.messages().last().text.startsWith(
        S("The connection to the database server was lost; what was being saved was not saved.")))
        << driver.messages().last().text.toStdString();

    EXPECT_EQ(server.storedLines(S("1")), linesBefore) << "the interrupted save left part of its work";
    EXPECT_EQ(server.storedLines(savedBefore), S("10001:10;10003:11"));

    // The user tries again: the window connects anew and saves.
    driver.messages().clear();
    EXPECT_TRUE(driver.edit(S("1"), someLines(2, 40), S("AFTER THE RESTART")))
        << driver.messages().last().text.toStdString();
    EXPECT_EQ(server.storedLines(S("1")), S("10001:40;10003:41"));
}

// The same when only this workstation's connection is dropped (a network failure, the server
// ending an idle session), on the server every test shares.
TEST(ServerRestart, ASaveWhoseConnectionIsDroppedHalfSavesNothing)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a dropped connection to a database server: the embedded files have no server";
    TestDatabase db;
    const QString before = allRows(db);
    RequestDriver driver(db.address(), S("1001"));

    cutOffAtInsert(
        3,
        [&] {
            db.raw(S("Select pg_terminate_backend(pid) From pg_stat_activity Where datname = current_database() "
                     "And pid <> pg_backend_pid()"));
        },
        [&] { EXPECT_FALSE(driver.edit(S("1"), someLines(5, 70), S("CUT OFF"))); });
    ASSERT_EQ(driver.messages().count(), 1) << "the user is told once";
    EXPECT_TRUE(driver.messages().last().text.startsWith(S("The connection to the database server was lost;")))
        << driver.messages().last().text.toStdString();
    EXPECT_EQ(allRows(db), before);

    driver.messages().clear();
    EXPECT_TRUE(driver.edit(S("1"), someLines(2, 40), S("AGAIN"))) << driver.messages().last().text.toStdString();
    EXPECT_EQ(storedLines(db, S("1")), S("10001:40;10003:41"));
}

// An administrator restarts the server while the window sits idle: the next action just works.
TEST(ServerRestart, ARestartWhileTheWindowIsIdleGoesUnnoticed)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a database server's restart: the embedded files have no server";
    PrivateServer server;
    ASSERT_TRUE(server.failure().isEmpty()) << server.failure().toStdString();
    RequestDriver driver(server.address(), S("1001"));

    ASSERT_TRUE(server.restart());
    EXPECT_TRUE(driver.edit(S("1"), someLines(2, 40), S("AFTER THE RESTART")))
        << driver.messages().last().text.toStdString();
    EXPECT_EQ(driver.messages().count(), 0);
    EXPECT_EQ(server.storedLines(S("1")), S("10001:40;10003:41"));
}

// The connection goes while the server completes the save: the window cannot know whether the
// request was stored, and says so instead of claiming that nothing was saved.
TEST(ServerRestart, AConnectionLostWhileTheSaveCompletesIsReportedAsUncertain)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a dropped connection to a database server: the embedded files have no server";
    TestDatabase db;
    const QString before = allRows(db);
    // The session ends inside COMMIT, after every statement of the save has run.
    db.raw(S("Create Function test_support.end_session() Returns trigger Language plpgsql As "
             "$$ Begin Perform pg_terminate_backend(pg_backend_pid()); Return Null; End $$"));
    db.raw(S("Create Constraint Trigger end_session_at_commit After Insert On inventory.tbInvWithdrawRequest "
             "Deferrable Initially Deferred For Each Row Execute Function test_support.end_session()"));
    RequestDriver driver(db.address(), S("1001"));

    EXPECT_FALSE(driver.edit(S("1"), someLines(2, 70), S("CUT OFF AT COMMIT")));
    ASSERT_EQ(driver.messages().count(), 1) << "the user is told once";
    EXPECT_TRUE(driver.messages().last().text.startsWith(
        S("The connection to the database server was lost while the save was being completed")))
        << driver.messages().last().text.toStdString();
    EXPECT_EQ(allRows(db), before);

    db.raw(S("Drop Trigger end_session_at_commit On inventory.tbInvWithdrawRequest"));
    driver.messages().clear();
    EXPECT_TRUE(driver.edit(S("1"), someLines(2, 40), S("AGAIN"))) << driver.messages().last().text.toStdString();
    EXPECT_EQ(storedLines(db, S("1")), S("10001:40;10003:41"));
}
