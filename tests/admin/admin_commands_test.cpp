#include "platform/postgres/ServerAddress.h"
#include "tests/support/TestSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct AdminRun
{
    int status = -1;
    QString out;
    QString err;
};

AdminRun admin(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("INVENTORY_REQUEST_DATA"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(IR_BUILD_DIR "/inventory-request-admin"), arguments);
    AdminRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Runs one statement on the server through a connection of its own: whether it ran, and the first
// value it gave.
bool onServer(const QString &server, const QString &sql, QVariant *firstValue = nullptr)
{
    const QString name = QStringLiteral("admin-test-statement");
    bool done = false;
    {
        QSqlDatabase db = ServerAddress::open(server, name);
        QSqlQuery query(db);
        done = query.exec(sql);
        if (done && firstValue && query.next())
            *firstValue = query.value(0);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return done;
}

// An empty database of its own on the test server, dropped at the end of the test.
class ScratchServerDatabase
{
public:
    explicit ScratchServerDatabase(const QString &purpose)
        : m_base(qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER")),
          m_name(QStringLiteral("ir_%1_%2").arg(purpose).arg(QCoreApplication::applicationPid()))
    {
        if (m_base.isEmpty())
            return;
        onServer(m_base, QStringLiteral("DROP DATABASE IF EXISTS ") + m_name);
        onServer(m_base, QStringLiteral("CREATE DATABASE ") + m_name);
    }
    ~ScratchServerDatabase()
    {
        if (!m_base.isEmpty())
            onServer(m_base, QStringLiteral("DROP DATABASE IF EXISTS ") + m_name);
    }
    bool available() const { return !m_base.isEmpty(); }
    // The database's address, as the given user when one is named (libpq takes the last value).
    QString address(const QString &user = QString()) const
    {
        QString address = m_base + QStringLiteral(" dbname=") + m_name;
        if (!user.isEmpty())
            address += QStringLiteral(" user=") + user;
        return address;
    }

private:
    QString m_base;
    QString m_name;
};

int mode(const QString &path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Overwrites a page in the middle of a file, as a failing disk or a cut power supply may.
void damagePage(const QString &path, int page)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), qint64(page + 1) * 4096);
    file.seek(qint64(page) * 4096);
    file.write(QByteArray(4096, '\x5a'));
}

} // namespace

TEST(AdminProgram, HelpForTheProgramAndEachCommand)
{
    const AdminRun overview = admin({QStringLiteral("--help")});
    EXPECT_EQ(overview.status, 0);
    EXPECT_TRUE(overview.out.contains(QStringLiteral("  backup")));
    EXPECT_TRUE(overview.out.contains(QStringLiteral("  check")));
    EXPECT_TRUE(overview.out.contains(QStringLiteral("  upgrade")));
    for (const char *command : {"backup", "check", "setup", "upgrade"}) {
        const AdminRun help = admin({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: inventory-request-admin ") + QString::fromLatin1(command)))
            << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("Exit status"))) << command;
    }
    EXPECT_EQ(admin({QStringLiteral("backup")}).status, 2);
    EXPECT_EQ(admin({QStringLiteral("check"), QStringLiteral("extra")}).status, 2);
    EXPECT_EQ(admin({QStringLiteral("check"), QStringLiteral("--data")}).status, 2);
    EXPECT_EQ(admin({QStringLiteral("upgrade")}).status, 2);
}

TEST(AdminCheck, VerdictAndExitStatusForSoundDamagedAndMissingFiles)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    db.takeConnection().reset();
    const AdminRun sound = admin({QStringLiteral("check"), QStringLiteral("--data"), db.folder()});
    EXPECT_EQ(sound.status, 0) << sound.err.toStdString();
    EXPECT_EQ(sound.out.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(sound.out.startsWith(QStringLiteral("OK: "))) << sound.out.toStdString();

    const QString password = QDir(db.folder()).filePath(QStringLiteral("Password.sqlite"));
    damagePage(password, 1);
    const AdminRun damaged = admin({QStringLiteral("check"), QStringLiteral("--data"), db.folder()});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.out.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(damaged.out.startsWith(QStringLiteral("FAILED: ") + password)) << damaged.out.toStdString();
    EXPECT_FALSE(damaged.out.contains(QStringLiteral("INVENTORY.sqlite"))) << "the sound file is not blamed";
    EXPECT_FALSE(damaged.err.isEmpty());

    QFile::remove(password);
    const AdminRun missing = admin({QStringLiteral("check"), QStringLiteral("--data"), db.folder()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.contains(password + QStringLiteral(" (the file does not exist)"))) << missing.out.toStdString();
    EXPECT_FALSE(QFile::exists(password)) << "the check created the missing file";
}

TEST(AdminBackup, CopiesArePrivateCompleteAndNeverOverwritten)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    db.raw(QStringLiteral("UPDATE tbInvWithdrawRequest SET Remarks = 'BEFORE BACKUP' WHERE DocumentNumber = '1'"));
    QTemporaryDir root;
    const QString target = QDir(root.path()).filePath(QStringLiteral("nightly"));

    const AdminRun backup = admin({QStringLiteral("backup"), QStringLiteral("--data"), db.folder(), target});
    ASSERT_EQ(backup.status, 0) << backup.err.toStdString();
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("INVENTORY.sqlite"), QStringLiteral("Password.sqlite")}));
    EXPECT_EQ(mode(target), 0700);
    EXPECT_EQ(mode(QDir(target).filePath(QStringLiteral("INVENTORY.sqlite"))), 0600);
    EXPECT_EQ(mode(QDir(target).filePath(QStringLiteral("Password.sqlite"))), 0600);

    auto copy = Connection::open(target);
    EXPECT_EQ(copy->Execute(QStringLiteral("Select Remarks From INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '1'"))
                  .rows.value(0).value(0).toString(),
              QStringLiteral("BEFORE BACKUP"));
    EXPECT_EQ(copy->Execute(QStringLiteral("Select count(*) From Password..tbPasswordMain")).rows.value(0).value(0).toInt(),
              db.rawValue(QStringLiteral("Select count(*) From Password.tbPasswordMain")).toInt());
    copy.reset();

    const QByteArray earlier = [&] {
        QFile file(QDir(target).filePath(QStringLiteral("INVENTORY.sqlite")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const AdminRun again = admin({QStringLiteral("backup"), QStringLiteral("--data"), db.folder(), target});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already holds INVENTORY.sqlite"))) << again.err.toStdString();
    QFile file(QDir(target).filePath(QStringLiteral("INVENTORY.sqlite")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);

    const AdminRun fromNowhere = admin({QStringLiteral("backup"), QStringLiteral("--data"), QDir(root.path()).filePath(QStringLiteral("none")),
                                   QDir(root.path()).filePath(QStringLiteral("other"))});
    EXPECT_EQ(fromNowhere.status, 1);
    EXPECT_TRUE(fromNowhere.err.contains(QStringLiteral("does not exist"))) << fromNowhere.err.toStdString();
    EXPECT_TRUE(QDir(QDir(root.path()).filePath(QStringLiteral("other"))).entryList(QDir::Files).isEmpty());
}

// A large data folder shows how far the backup has come; the copy is whole.
TEST(AdminBackup, LargeFilesShowAProgressLine)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    db.raw(QStringLiteral("CREATE TABLE tbFiller (Data BLOB); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                          "FROM n WHERE i < 1200) INSERT INTO tbFiller SELECT randomblob(16000) FROM n"));
    db.takeConnection().reset();
    QTemporaryDir root;
    const QString target = QDir(root.path()).filePath(QStringLiteral("large"));

    const AdminRun backup = admin({QStringLiteral("backup"), QStringLiteral("--data"), db.folder(), target});
    ASSERT_EQ(backup.status, 0) << backup.err.toStdString();
    const QStringList lines = backup.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), 3) << backup.err.toStdString();
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Backing up INVENTORY.sqlite ("))) << backup.err.toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("MB): 100%"))) << backup.err.toStdString();
    EXPECT_FALSE(backup.err.contains(QStringLiteral("Password.sqlite"))) << "a small file needs no progress line";
    EXPECT_EQ(admin({QStringLiteral("check"), QStringLiteral("--data"), target}).status, 0);
}

// A server's data is copied by PostgreSQL's own tool; the command says which and how, and its
// exit status tells a script that nothing was copied.
TEST(AdminBackup, ServerShowsThePgDumpCommandAndCopiesNothing)
{
    QTemporaryDir root;
    const QString target = QDir(root.path()).filePath(QStringLiteral("server backup"));
    const AdminRun run = admin({QStringLiteral("backup"), QStringLiteral("--server"),
                                QStringLiteral("host=db.hospital user=it's"), target});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("  pg_dump --format=custom --file='%1/inventory-request.dump' "
                                                "'host=db.hospital user=it'\\''s'")
                                     .arg(target)))
        << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
}

// A server is checked by connecting and looking for what setup made; runs when the test command
// has started a private server.
TEST(AdminCheck, ServerPassesWhenSetUpAndNamesWhatIsMissing)
{
    const ScratchServerDatabase database(QStringLiteral("check"));
    if (!database.available())
        GTEST_SKIP() << "no test server (INVENTORY_REQUEST_TEST_SERVER)";
    const QString server = database.address();

    const AdminRun setup = admin({QStringLiteral("setup"), server});
    ASSERT_EQ(setup.status, 0) << setup.err.toStdString();
    const AdminRun sound = admin({QStringLiteral("check"), QStringLiteral("--server"), server});
    EXPECT_EQ(sound.status, 0) << sound.out.toStdString() << sound.err.toStdString();
    EXPECT_TRUE(sound.out.startsWith(QStringLiteral("OK: the server"))) << sound.out.toStdString();
    EXPECT_EQ(sound.out.count(QLatin1Char('\n')), 1);

    ASSERT_TRUE(onServer(server, QStringLiteral("DROP TABLE inventory.tbInvKitItem")));
    const AdminRun incomplete = admin({QStringLiteral("check"), QStringLiteral("--server"), server});
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_TRUE(incomplete.out.startsWith(QStringLiteral("FAILED: ")));
    EXPECT_TRUE(incomplete.out.contains(QStringLiteral("inventory.tbinvkititem"))) << incomplete.out.toStdString();

    const AdminRun unreachable =
        admin({QStringLiteral("check"), QStringLiteral("--server"), QStringLiteral("host=/nonexistent dbname=none")});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_TRUE(unreachable.out.startsWith(QStringLiteral("FAILED: "))) << unreachable.out.toStdString();
    EXPECT_TRUE(unreachable.out.contains(QStringLiteral("host=/nonexistent"))) << unreachable.out.toStdString();
}

// Set-up is done once: a database that holds tables is refused and left as it was. The workstations'
// role reads what the client reads and writes only what the client writes.
TEST(AdminSetup, RefusesADatabaseWithTablesAndGivesTheWorkstationsOnlyTheClientsRights)
{
    const ScratchServerDatabase database(QStringLiteral("setup"));
    if (!database.available())
        GTEST_SKIP() << "no test server (INVENTORY_REQUEST_TEST_SERVER)";
    const QString server = database.address();
    ASSERT_EQ(admin({QStringLiteral("setup"), server, QStringLiteral("--demo")}).status, 0);
    ASSERT_TRUE(onServer(server, QStringLiteral("UPDATE inventory.tbInvWithdrawRequest SET Remarks = 'KEPT'")));

    const AdminRun again = admin({QStringLiteral("setup"), server, QStringLiteral("--demo")});
    EXPECT_NE(again.status, 0);
    EXPECT_FALSE(again.err.isEmpty());
    // Nothing was rebuilt: the edited rows are still there and no demo row came back.
    QVariant rebuilt;
    ASSERT_TRUE(onServer(server,
                         QStringLiteral("SELECT count(*) FROM inventory.tbInvWithdrawRequest WHERE Remarks IS DISTINCT "
                                        "FROM 'KEPT'"),
                         &rebuilt));
    EXPECT_EQ(rebuilt.toInt(), 0);

    const QString ward = QStringLiteral("ir_ward_%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(onServer(server, QStringLiteral("DROP ROLE IF EXISTS ") + ward));
    ASSERT_TRUE(onServer(server, QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE inventory_request_client").arg(ward)));
    auto dropRole = qScopeGuard([&] { onServer(server, QStringLiteral("DROP ROLE IF EXISTS ") + ward); });
    // As the client connects: its schemas on the search path.
    const QString asWard = database.address(ward) + QStringLiteral(" options='-c search_path=inventory,password,public'");
    EXPECT_TRUE(onServer(asWard, QStringLiteral("SELECT count(*) FROM password.tbPasswordMain")));
    EXPECT_TRUE(onServer(asWard, QStringLiteral("SELECT * FROM inventory.sp_inv_userlocation('1001')")));
    EXPECT_TRUE(onServer(asWard, QStringLiteral("UPDATE inventory.tbInvWithdrawRequest SET Status = Status")));
    EXPECT_TRUE(onServer(asWard, QStringLiteral("DELETE FROM inventory.tbInvWithdrawRequest WHERE DocumentNumber = 'none'")));
    EXPECT_FALSE(onServer(asWard, QStringLiteral("UPDATE password.tbPasswordMain SET Password = 'x'")));
    EXPECT_FALSE(onServer(asWard, QStringLiteral("DELETE FROM inventory.tbInvMaster")));
    EXPECT_FALSE(onServer(asWard, QStringLiteral("DROP TABLE inventory.tbInvKitItem")));
    EXPECT_FALSE(onServer(asWard, QStringLiteral("CREATE TABLE inventory.tbExtra (a int)")));
}

// A server set up by the earlier version fails the check, naming the upgrade; the upgrade brings it
// up to date once and then has nothing to do.
TEST(AdminUpgrade, CheckNamesTheUpgradeThatThenBringsTheServerUpToDate)
{
    const ScratchServerDatabase database(QStringLiteral("upgrade"));
    if (!database.available())
        GTEST_SKIP() << "no test server (INVENTORY_REQUEST_TEST_SERVER)";
    const QString server = database.address();
    ASSERT_EQ(admin({QStringLiteral("setup"), server, QStringLiteral("--demo")}).status, 0);
    ASSERT_TRUE(onServer(server, QStringLiteral("UPDATE inventory.tbInvSchemaVersion SET Version = 2")));

    const AdminRun old = admin({QStringLiteral("check"), QStringLiteral("--server"), server});
    EXPECT_EQ(old.status, 1);
    EXPECT_TRUE(old.out.contains(QStringLiteral("inventory-request-admin upgrade"))) << old.out.toStdString();

    const AdminRun upgrade = admin({QStringLiteral("upgrade"), server});
    EXPECT_EQ(upgrade.status, 0) << upgrade.err.toStdString();
    EXPECT_TRUE(upgrade.out.contains(QStringLiteral("from schema version 2 to 5")))
        << upgrade.out.toStdString();
    EXPECT_EQ(admin({QStringLiteral("check"), QStringLiteral("--server"), server}).status, 0);
    ASSERT_TRUE(onServer(
        server, QStringLiteral("ALTER TABLE inventory.tbInvMaster DISABLE TRIGGER trim_trailing_blanks")));
    const AdminRun untrimmed = admin({QStringLiteral("check"), QStringLiteral("--server"), server});
    EXPECT_EQ(untrimmed.status, 1);
    EXPECT_TRUE(untrimmed.out.contains(QStringLiteral("inventory.tbinvmaster")))
        << untrimmed.out.toStdString();
    ASSERT_TRUE(onServer(
        server, QStringLiteral("ALTER TABLE inventory.tbInvMaster ENABLE TRIGGER trim_trailing_blanks")));
    const AdminRun again = admin({QStringLiteral("upgrade"), server});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.out.contains(QStringLiteral("nothing to do"))) << again.out.toStdString();

    const AdminRun empty =
        admin({QStringLiteral("upgrade"), database.address() + QStringLiteral(" dbname=postgres")});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("Nothing was changed"))) << empty.err.toStdString();
}
