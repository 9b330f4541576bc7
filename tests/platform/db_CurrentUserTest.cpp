#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/Messages.h"
#include "tests/support/TestSession.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Answers the log-on prompt from a script; an empty entry is Cancel.
class ScriptedPrompt : public LogonPrompt
{
public:
    void enter(const QString &id, const QString &password) { m_answers.append(LogonCredentials{id, password, {}}); }
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

// Leaves the per-user data folder in charge while it lives, under a home of the test's own.
class PerUserDataFolder
{
public:
    explicit PerUserDataFolder(const QString &dataHome)
        : m_named(qgetenv("INVENTORY_REQUEST_DATA")), m_dataHome(qgetenv("XDG_DATA_HOME"))
    {
        qunsetenv("INVENTORY_REQUEST_DATA");
        qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    }
    ~PerUserDataFolder()
    {
        if (!m_named.isEmpty())
            qputenv("INVENTORY_REQUEST_DATA", m_named);
        if (m_dataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_dataHome);
    }

private:
    QByteArray m_named;
    QByteArray m_dataHome;
};

int mode(const QString &path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QStringList databaseAndLogFiles(const QString &folder)
{
    QStringList paths;
    for (const char *file : {"INVENTORY.sqlite", "Password.sqlite"})
        for (const char *suffix : {"", "-wal", "-shm"})
            paths << QDir(folder).filePath(QString::fromLatin1(file) + QString::fromLatin1(suffix));
    return paths;
}

class DbLogon : public ::testing::Test
{
protected:
    // A copy of the demo folder, not opened by anybody else.
    QString demoFolder() { return copyDemoInto(m_dir.path()); }

    static QString copyDemoInto(const QString &folder)
    {
        TestDatabase source;
        QDir().mkpath(folder);
        for (const char *file : {"INVENTORY.sqlite", "Password.sqlite"}) {
            const QString name = QString::fromLatin1(file);
            QFile::copy(QDir(source.folder()).filePath(name), QDir(folder).filePath(name));
        }
        return folder;
    }

    QTemporaryDir m_dir;
    MessageRecorder m_messages;
    ScriptedPrompt m_prompt;
};

} // namespace

TEST_F(DbLogon, DemoStaffLogOnWithTheirPasswords)
{
    SKIP_ON_SERVER();
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
    SKIP_ON_SERVER();
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
    SKIP_ON_SERVER();
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
    SKIP_ON_SERVER();
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
    SKIP_ON_SERVER();
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
    SKIP_ON_SERVER();
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
    EXPECT_TRUE(m_messages.last().text.contains(QDir::toNativeSeparators(file.fileName())));
    EXPECT_TRUE(m_messages.last().text.contains(QStringLiteral("Restore the last backup")));
    EXPECT_TRUE(m_messages.last().text.contains(QStringLiteral("\"inventory-request-admin check\" tells more")));
}

// A file whose first pages are sound opens; the damage shows when the log-on reads a table.
TEST_F(DbLogon, DamagedTableNamesItsFileAndWhatToDo)
{
    SKIP_ON_SERVER();
    const QString folder = demoFolder();
    const QString path = QDir(folder).filePath(QStringLiteral("Password.sqlite"));
    {
        auto connection = Connection::open(folder);
        QSqlQuery query(connection->database());
        ASSERT_TRUE(query.exec(QStringLiteral("SELECT rootpage FROM Password.sqlite_master WHERE name = 'tbPasswordMain'")));
        ASSERT_TRUE(query.next());
        const int rootPage = query.value(0).toInt();
        query.finish();
        connection.reset();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(qint64(rootPage - 1) * 4096);
        file.write(QByteArray(4096, '\x5a'));
    }
    DataFolderSetting setting(folder);
    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();

    EXPECT_FALSE(user.Connected());
    ASSERT_EQ(m_messages.count(), 1);
    const QString text = m_messages.last().text;
    EXPECT_TRUE(text.contains(QStringLiteral("The database file %1 is damaged").arg(QDir::toNativeSeparators(path))))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"inventory-request-admin check\" tells more"))) << text.toStdString();
}

// One database file without the other is never rebuilt as the demo hospital: the program says
// which file is missing and where it looked, and changes nothing.
TEST_F(DbLogon, FolderHoldingOneDatabaseFileIsReportedAndLeftAsItIs)
{
    SKIP_ON_SERVER();
    for (const char *missing : {"Password.sqlite", "INVENTORY.sqlite"}) {
        QTemporaryDir dir;
        const QString folder = copyDemoInto(dir.path());
        const QString missingPath = QDir(folder).filePath(QString::fromLatin1(missing));
        QFile::remove(missingPath);
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QFile kept(QDir(folder).filePath(before.first()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        const QByteArray keptBytes = kept.readAll();
        kept.close();

        DataFolderSetting setting(folder);
        MessageRecorder messages;
        ScriptedPrompt prompt;
        prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
        CurrentUser user(&prompt, scrambled);
        user.ShowMain();

        EXPECT_FALSE(user.Connected()) << missing;
        EXPECT_EQ(prompt.asked(), 0) << missing;
        ASSERT_EQ(messages.count(), 1) << missing;
        EXPECT_EQ(messages.last().icon, MsgIcon::Critical);
        const QString text = messages.last().text;
        EXPECT_TRUE(text.contains(QStringLiteral("The database file \"%1\" is missing").arg(QDir::toNativeSeparators(missingPath))))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("the data folder \"%1\"").arg(QDir::toNativeSeparators(folder))))
            << text.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), before) << missing;
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), keptBytes) << missing;
    }
}

// The staff register holds passwords in a reversible form: the folder the program makes for
// its user, the databases and their log files are that user's alone, also when an earlier start
// left them readable by others.
TEST_F(DbLogon, PerUserFolderIsReadableByItsUserAlone)
{
    SKIP_ON_SERVER();
    PerUserDataFolder perUser(QDir(m_dir.path()).filePath(QStringLiteral("home/.local/share")));
    const mode_t previousMask = ::umask(022);
    const QString folder = CurrentUser::dataFolder();
    ASSERT_TRUE(folder.startsWith(m_dir.path())) << folder.toStdString();
    for (int start = 0; start < 2; ++start) {
        ScriptedPrompt prompt;
        prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
        CurrentUser user(&prompt, scrambled);
        user.ShowMain();
        ASSERT_TRUE(user.Connected()) << m_messages.last().text.toStdString();
        user.sqlconnection()->Execute(QStringLiteral("Update INVENTORY..tbInvWithdrawRequest Set Remarks = 'SEEN' Where DocumentNumber = '1'"));

        EXPECT_EQ(mode(folder), 0700) << "start " << start;
        for (const QString &path : databaseAndLogFiles(folder))
            EXPECT_EQ(mode(path), 0600) << path.toStdString() << " at start " << start;
        // As a copy of an earlier version left them.
        QFile::setPermissions(folder, QFileDevice::Permissions(0x7755));
        for (const QString &path : databaseAndLogFiles(folder))
            QFile::setPermissions(path, QFileDevice::Permissions(0x6644));
    }
    ::umask(previousMask);
}

// A folder an administrator names may be shared by several accounts of the machine.
TEST_F(DbLogon, NamedFolderKeepsThePermissionsItWasGiven)
{
    SKIP_ON_SERVER();
    const QString folder = copyDemoInto(QDir(m_dir.path()).filePath(QStringLiteral("shared")));
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7770));
    for (const QString &path : databaseAndLogFiles(folder))
        QFile::setPermissions(path, QFileDevice::Permissions(0x6660));
    DataFolderSetting setting(folder);
    m_prompt.enter(QStringLiteral("1001"), QStringLiteral("clerk"));
    CurrentUser user(&m_prompt, scrambled);
    user.ShowMain();
    ASSERT_TRUE(user.Connected());

    EXPECT_EQ(mode(folder), 0770);
    for (const char *file : {"INVENTORY.sqlite", "Password.sqlite"})
        EXPECT_EQ(mode(QDir(folder).filePath(QString::fromLatin1(file))), 0660) << file;
}

TEST_F(DbLogon, FolderThatCannotBeWrittenIsOneClearMessage)
{
    SKIP_ON_SERVER();
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
    SKIP_ON_SERVER();
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
