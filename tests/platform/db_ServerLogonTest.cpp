#include "pickers/LogonDialog.h"
#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/Messages.h"
#include "platform/postgres/ServerAddress.h"
#include "tests/support/TestSession.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>
#include <future>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// The workstation's settings and data folder for one test: its own folders while it lives.
class Workstation
{
public:
    Workstation()
        : m_previousData(qgetenv("INVENTORY_REQUEST_DATA")),
          m_dataWasSet(qEnvironmentVariableIsSet("INVENTORY_REQUEST_DATA"))
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        qputenv("INVENTORY_REQUEST_DATA", m_demo.folder().toLocal8Bit());
    }
    ~Workstation()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        if (m_dataWasSet)
            qputenv("INVENTORY_REQUEST_DATA", m_previousData);
        else
            qunsetenv("INVENTORY_REQUEST_DATA");
    }
    // What the settings files hold on disk, for the next start of the program.
    QString storedSettings() const
    {
        QString text;
        QDirIterator files(m_settings.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

private:
    QTemporaryDir m_settings;
    TestDatabase m_demo{DataFolder::Content::DemoData, TestDatabase::Backend::Embedded};
    QByteArray m_previousData;
    bool m_dataWasSet;
};

// Runs body on the next modal window once it is shown (by the code under test).
void whenModalShown(std::function<void(QWidget *)> body)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, body] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        body(modal);
    });
    timer->start();
}

QLineEdit *box(QWidget *dialog, const char *name)
{
    auto *edit = dialog->findChild<QLineEdit *>(S(name));
    EXPECT_NE(edit, nullptr) << name;
    return edit;
}

// Types the log-on as a user does: the server box replaced by the given text (empty: cleared),
// the employee id and password, then Enter.
void typeLogon(QWidget *dialog, const QString &server, const char *id, const char *password)
{
    QLineEdit *serverBox = box(dialog, "txtServer");
    QTest::keyClick(serverBox, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(serverBox, Qt::Key_Backspace);
    QTest::keyClicks(serverBox, server);
    QLineEdit *idBox = box(dialog, "txtEmployeeId");
    QTest::keyClick(idBox, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(idBox, S(id));
    QTest::keyClicks(box(dialog, "txtPassword"), S(password));
    QTest::keyClick(box(dialog, "txtPassword"), Qt::Key_Return);
}

// A TCP port on this computer that takes connections and never says a word: it listens and
// never accepts, so the system completes the connection and nobody answers.
class SilentServer
{
public:
    SilentServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(m_socket, 16) != 0 ||
            ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// The server box of a dialog made now, as the next start of the program makes it.
QString serverBoxAtNextStart()
{
    LogonDialog dialog;
    return dialog.findChild<QLineEdit *>(S("txtServer"))->text();
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
    EXPECT_TRUE(messages.messages().at(1).text.contains(S("cannot be read")))
        << messages.messages().at(1).text.toStdString();
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

// After five wrong passwords the log-on is refused with the lock-out, naming until when, even with
// the right password; the wrong ones are answered as always.
TEST(ServerLogon, TheSixthTryAfterFiveWrongPasswordsShowsTheLockOut)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "needs the server: runs in the .postgres copy";
    TestDatabase db;
    MessageRecorder messages;
    ServerPrompt prompt(db.serverName());
    for (int i = 0; i < 5; ++i)
        prompt.enter(db.serverName(), Demo::ClerkId, "wrong");
    prompt.enter(db.serverName(), Demo::ClerkId, Demo::ClerkPassword);
    CurrentUser user(&prompt, scrambled);
    user.ShowMain();
    EXPECT_FALSE(user.Connected());
    ASSERT_EQ(messages.count(), 6);
    EXPECT_EQ(messages.messages().at(4).text, S("Invalid employee ID or password."));
    EXPECT_TRUE(messages.messages().at(5).text.startsWith(
        S("The log-on could not be checked.\n\nToo many wrong passwords were given for employee ID 1001. Its "
          "passwords are not checked until ")))
        << messages.messages().at(5).text.toStdString();
}

// The "Server" box is remembered per workstation: the next start offers what was typed, an empty
// box (the data folder on the computer itself) included. A password typed into it serves the
// log-on but is never kept.
TEST(ServerLogon, TheServerBoxIsRememberedForTheNextStart)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "logs on to the server: runs in the .postgres copy";
    Workstation workstation;
    TestDatabase db;
    MessageRecorder messages;
    const QString typed = db.serverName() + S(" password=hunter2");
    {
        LogonDialog dialog;
        CurrentUser user(&dialog, scrambled);
        whenModalShown([&](QWidget *modal) { typeLogon(modal, typed, Demo::ClerkId, Demo::ClerkPassword); });
        user.ShowMain();
        ASSERT_TRUE(user.Connected())
            << (messages.count() ? messages.last().text.toStdString() : std::string());
        EXPECT_EQ(user.ServerName(), typed);
    }
    EXPECT_EQ(serverBoxAtNextStart(), db.serverName());
    EXPECT_TRUE(workstation.storedSettings().contains(db.serverName()))
        << workstation.storedSettings().toStdString();
    EXPECT_FALSE(workstation.storedSettings().contains(S("hunter2")));

    {
        LogonDialog dialog;
        CurrentUser user(&dialog, scrambled);
        QString offered;
        whenModalShown([&](QWidget *modal) {
            offered = box(modal, "txtServer")->text();
            typeLogon(modal, QString(), Demo::ClerkId, Demo::ClerkPassword);
        });
        user.ShowMain();
        EXPECT_EQ(offered, db.serverName());
        ASSERT_TRUE(user.Connected());
        EXPECT_EQ(user.ServerName(), qEnvironmentVariable("INVENTORY_REQUEST_DATA")); // the data folder
        EXPECT_EQ(user.sqlconnection()->serverName(), QString());
    }
    EXPECT_EQ(serverBoxAtNextStart(), QString());
    EXPECT_FALSE(workstation.storedSettings().contains(db.serverName()));
    EXPECT_EQ(messages.count(), 0);
}

// A server that takes the connection and never answers holds the dialog only until the connect
// timeout the address gives: one message, and the dialog is back.
TEST(ServerLogon, AServerThatNeverAnswersGivesOneMessageAndTheDialogBackInSeconds)
{
    Workstation workstation;
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    const QString address = S("host=127.0.0.1 port=%1 dbname=inventory connect_timeout=2").arg(silent.port());
    MessageRecorder messages;
    LogonDialog dialog;
    CurrentUser user(&dialog, scrambled);
    QElapsedTimer sinceEnter;
    qint64 backAfter = -1;
    int messagesWhenBack = -1;
    whenModalShown([&](QWidget *modal) {
        sinceEnter.start();
        typeLogon(modal, address, Demo::ClerkId, Demo::ClerkPassword);
        whenModalShown([&](QWidget *again) {
            backAfter = sinceEnter.elapsed();
            messagesWhenBack = messages.count();
            QTest::keyClick(again, Qt::Key_Escape);
        });
    });
    user.ShowMain();
    EXPECT_FALSE(user.Connected());
    EXPECT_GE(backAfter, 1500) << "the dialog came back before the timeout: was the server asked at all?";
    EXPECT_LT(backAfter, 4500);
    ASSERT_EQ(messagesWhenBack, 1);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().icon, MsgIcon::Critical);
    EXPECT_TRUE(messages.last().text.contains(S("cannot be reached"))) << messages.last().text.toStdString();
    EXPECT_TRUE(messages.last().text.contains(S("timeout"))) << messages.last().text.toStdString();
}

// Without a timeout of its own an address gets five seconds, in every form; one its service
// names, or the user's PGCONNECT_TIMEOUT, comes first.
TEST(ServerLogon, EveryAddressFormHasAConnectTimeout)
{
    if (TestDatabase::onServer())
        GTEST_SKIP() << "needs no server: runs in the copy on the embedded files";
    if (qEnvironmentVariableIntValue("PGCONNECT_TIMEOUT") != ServerAddress::ConnectTimeoutSeconds)
        GTEST_SKIP() << "PGCONNECT_TIMEOUT is set to another timeout where the tests run";
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    const QString port = QString::number(silent.port());
    QTemporaryDir folder;
    QFile services(folder.filePath(S("pg_service.conf")));
    ASSERT_TRUE(services.open(QIODevice::WriteOnly));
    services.write(QStringLiteral("[plain]\nhost=127.0.0.1\nport=%1\ndbname=inventory\n"
                                  "[quick]\nhost=127.0.0.1\nport=%1\ndbname=inventory\nconnect_timeout=2\n")
                       .arg(port)
                       .toUtf8());
    services.close();
    const QByteArray previousServiceFile = qgetenv("PGSERVICEFILE");
    qputenv("PGSERVICEFILE", QFile::encodeName(services.fileName()));
    // The attempts run side by side, each on a connection of its own.
    const auto secondsToGiveUp = [](const QString &address, const QString &connectionName) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_THROW(ServerAddress::open(address, connectionName), Error) << address.toStdString();
        return timer.elapsed() / 1000.0;
    };
    const std::pair<QString, double> expected[] = {
        {S("postgresql://127.0.0.1:%1/inventory").arg(port), ServerAddress::ConnectTimeoutSeconds},
        {S("service=plain"), ServerAddress::ConnectTimeoutSeconds},
        {S("service=quick"), 2},
        {S("postgresql://127.0.0.1:%1/inventory?connect_timeout=2").arg(port), 2},
        {S("host=127.0.0.1 port=%1 dbname=inventory connect_timeout=3").arg(port), 3},
    };
    std::vector<std::future<double>> attempts;
    for (const auto &[address, seconds] : expected)
        attempts.push_back(std::async(std::launch::async, secondsToGiveUp, address,
                                      S("timeout-test-%1").arg(attempts.size())));
    for (std::size_t i = 0; i < attempts.size(); ++i)
        EXPECT_NEAR(attempts[i].get(), expected[i].second, 1.0) << expected[i].first.toStdString();
    if (previousServiceFile.isNull())
        qunsetenv("PGSERVICEFILE");
    else
        qputenv("PGSERVICEFILE", previousServiceFile);
}

// An address with several hosts, each with its port, reaches the first that answers.
TEST(ServerLogon, AnAddressOfSeveralHostsReachesTheOneThatAnswers)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "needs the server: runs in the .postgres copy";
    TestDatabase db;
    QString hosts = S("/nonexistent-inventory-server");
    QString ports = S("5432");
    QString rest;
    for (const QString &part : db.serverName().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (part.startsWith(S("host=")))
            hosts += QLatin1Char(',') + part.mid(5);
        else if (part.startsWith(S("port=")))
            ports += QLatin1Char(',') + part.mid(5);
        else
            rest += QLatin1Char(' ') + part;
    }
    if (!ports.contains(QLatin1Char(',')))
        ports += S(",5432");
    const QString address = S("host=%1 port=%2%3").arg(hosts, ports, rest);
    std::unique_ptr<Connection> connection;
    ASSERT_NO_THROW(connection = Connection::openServer(address)) << address.toStdString();
    EXPECT_EQ(connection->Execute(S("Select count(*) From INVENTORY..tbInvLocation")).rows.size(), 1);
}
