#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/Messages.h"
#include "tests/support/TestSession.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Answers the log-on prompt from a script; an empty entry is Cancel.
class ScriptedPrompt : public LogonPrompt
{
public:
    void enter(const QString &id, const QString &password) { m_answers.append(LogonCredentials{id, password}); }
    void cancel() { m_answers.append(std::nullopt); }
    int asked() const { return m_asked; }

    std::optional<LogonCredentials> ask() override
    {
        ++m_asked;
        return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
    }

private:
    QList<std::optional<LogonCredentials>> m_answers;
    int m_asked = 0;
};

QString scrambled(const QString &password)
{
    return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
}

// Points the data folder at a folder of the test's own while it lives.
class DataFolderSetting
{
public:
    explicit DataFolderSetting(const QString &folder)
        : m_previous(qgetenv("INVENTORY_REQUEST_DATA")), m_wasSet(qEnvironmentVariableIsSet("INVENTORY_REQUEST_DATA"))
    {
        qputenv("INVENTORY_REQUEST_DATA", folder.toLocal8Bit());
    }
    ~DataFolderSetting()
    {
        if (m_wasSet)
            qputenv("INVENTORY_REQUEST_DATA", m_previous);
        else
            qunsetenv("INVENTORY_REQUEST_DATA");
    }

private:
    QByteArray m_previous;
    bool m_wasSet;
};

class DbLogon : public ::testing::Test
{
protected:
    // A copy of the demo folder, not opened by anybody else.
    QString demoFolder()
    {
        TestDatabase source;
        for (const char *file : {"INVENTORY.sqlite", "Password.sqlite"}) {
            const QString name = QString::fromLatin1(file);
            QFile::copy(QDir(source.folder()).filePath(name), QDir(m_dir.path()).filePath(name));
        }
        return m_dir.path();
    }

    QTemporaryDir m_dir;
    MessageRecorder m_messages;
    ScriptedPrompt m_prompt;
};

} // namespace

TEST_F(DbLogon, DemoStaffLogOnWithTheirPasswords)
{
    DataFolderSetting setting(demoFolder());
    for (const auto &[id, password] : {std::pair{Demo::ClerkId, Demo::ClerkPassword},
                                       std::pair{Demo::SupervisorId, Demo::SupervisorPassword},
                                       std::pair{Demo::NurseId, Demo::NursePassword},
                                       std::pair{Demo::AdminDeptUserId, Demo::AdminDeptUserPassword}}) {
        ScriptedPrompt prompt;
        prompt.enter(QString::fromLatin1(id), QString::fromLatin1(password));
        CurrentUser user(&prompt, scrambled);
        user.ShowMain();
        EXPECT_TRUE(user.Connected()) << id;
        EXPECT_EQ(user.EmployeeCode(), QString::fromLatin1(id));
        ASSERT_NE(user.sqlconnection(), nullptr);
    }
    EXPECT_EQ(m_messages.count(), 0);
}

TEST_F(DbLogon, AcceptedLogOnOffersTheConnectionAndSettings)
{
    const QString folder = demoFolder();
    DataFolderSetting setting(folder);
    m_prompt.enter(QStringLiteral(" 1001 "), QStringLiteral("clerk"));
    CurrentUser user(&m_prompt, scrambled);
    user.setPasswordDeptCode(QStringLiteral("4"));
    user.ShowMain();

    ASSERT_TRUE(user.Connected());
    EXPECT_EQ(user.EmployeeCode(), QStringLiteral("1001"));
    EXPECT_EQ(user.ServerName(), folder);
    EXPECT_EQ(user.Database(), QStringLiteral("INVENTORY"));
    EXPECT_TRUE(user.ServerPassword().isEmpty());
    EXPECT_EQ(user.PasswordDeptCode(), QStringLiteral("4"));
    EXPECT_EQ(user.sqlconnection()->Execute(QStringLiteral("Select Company From INVENTORY..tbHospitalInfo")).rows.size(), 1);
}

TEST_F(DbLogon, WrongEntriesAreRefusedUntilARightOne)
{
    DataFolderSetting setting(demoFolder());
    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("CLERK"));
    m_prompt.enter(QStringLiteral("9999"), QStringLiteral("clerk"));
    m_prompt.enter(QStringLiteral("1001' OR '1'='1"), QStringLiteral("x' OR '1'='1"));
    m_prompt.enter(QString(), QString());
    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();

    EXPECT_TRUE(user.Connected());
    EXPECT_EQ(m_prompt.asked(), 5);
    ASSERT_EQ(m_messages.count(), 4);
    for (const Message &message : m_messages.messages()) {
        EXPECT_EQ(message.text, QStringLiteral("Invalid employee ID or password."));
        EXPECT_EQ(message.icon, MsgIcon::Critical);
        EXPECT_EQ(message.buttons, MsgButtons::OK);
    }
}

TEST_F(DbLogon, CancelEndsSilentlyWithoutAConnection)
{
    DataFolderSetting setting(demoFolder());
    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("wrong"));
    m_prompt.cancel();
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();

    EXPECT_FALSE(user.Connected());
    EXPECT_EQ(user.sqlconnection(), nullptr);
    EXPECT_TRUE(user.EmployeeCode().isEmpty());
    EXPECT_EQ(m_messages.count(), 1) << "only the refusal of the wrong entry";
}

TEST_F(DbLogon, FirstStartCreatesTheDemoData)
{
    const QString folder = QDir(m_dir.path()).filePath(QStringLiteral("new/data"));
    DataFolderSetting setting(folder);
    m_prompt.enter(QStringLiteral("2001"), QStringLiteral("super"));
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();

    EXPECT_TRUE(user.Connected());
    EXPECT_TRUE(DataFolder::hasDatabases(folder));
    EXPECT_EQ(m_messages.count(), 0);
}

TEST_F(DbLogon, DamagedDatabaseIsOneClearMessage)
{
    const QString folder = demoFolder();
    QFile file(QDir(folder).filePath(QStringLiteral("INVENTORY.sqlite")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(8192, 'x'));
    file.close();
    DataFolderSetting setting(folder);
    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();

    EXPECT_FALSE(user.Connected());
    EXPECT_EQ(user.sqlconnection(), nullptr);
    EXPECT_EQ(m_prompt.asked(), 0);
    ASSERT_EQ(m_messages.count(), 1);
    EXPECT_EQ(m_messages.last().icon, MsgIcon::Critical);
    EXPECT_TRUE(m_messages.last().text.contains(QDir::toNativeSeparators(folder)));
}

TEST_F(DbLogon, FolderThatCannotBeWrittenIsOneClearMessage)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not restrict the superuser";
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    DataFolderSetting setting(m_dir.path());
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_FALSE(user.Connected());
    EXPECT_EQ(m_prompt.asked(), 0);
    ASSERT_EQ(m_messages.count(), 1);
    EXPECT_TRUE(m_messages.last().text.contains(QStringLiteral("cannot be written")));
}

TEST_F(DbLogon, LockedDatabaseIsOneClearMessageNotAHang)
{
    const QString folder = demoFolder();
    DataFolderSetting setting(folder);
    const int timeout = Connection::busyTimeout();
    Connection::setBusyTimeout(200);
    auto other = Connection::open(folder);
    // A write-ahead log lets readers past an ordinary write lock; an exclusive locking mode does not.
    QSqlQuery lock(other->database());
    ASSERT_TRUE(lock.exec(QStringLiteral("PRAGMA Password.locking_mode = EXCLUSIVE")));
    ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    ASSERT_TRUE(lock.exec(QStringLiteral("UPDATE Password.tbPasswordMain SET LastName = LastName")));

    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
    m_prompt.cancel();
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();
    lock.exec(QStringLiteral("ROLLBACK"));
    lock.finish();
    other.reset();
    Connection::setBusyTimeout(timeout);

    EXPECT_FALSE(user.Connected());
    ASSERT_EQ(m_messages.count(), 1);
    EXPECT_EQ(m_messages.last().icon, MsgIcon::Critical);
}

TEST(DbDataFolderSetting, EnvironmentNamesTheFolder)
{
    DataFolderSetting setting(QStringLiteral("/srv/inventory-data"));
    EXPECT_EQ(CurrentUser::dataFolder(), QStringLiteral("/srv/inventory-data"));
    qunsetenv("INVENTORY_REQUEST_DATA");
    EXPECT_FALSE(CurrentUser::dataFolder().isEmpty());
}
