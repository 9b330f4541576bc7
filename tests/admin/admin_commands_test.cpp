#include "tests/support/TestSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
    for (const char *command : {"backup", "check"}) {
        const AdminRun help = admin({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: inventory-request-admin ") + QString::fromLatin1(command)))
            << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QStringLiteral("Exit status"))) << command;
    }
    EXPECT_EQ(admin({QStringLiteral("backup")}).status, 2);
    EXPECT_EQ(admin({QStringLiteral("check"), QStringLiteral("extra")}).status, 2);
    EXPECT_EQ(admin({QStringLiteral("check"), QStringLiteral("--data")}).status, 2);
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
