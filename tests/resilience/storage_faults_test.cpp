#include "tests/resilience/ResilienceSupport.h"

#include "editor/frmMain.h"
#include "platform/sqlite/DataFolder.h"

#include "ui_frmMain.h"

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A mount made for one test, undone when it ends. Mounting needs privileges a build machine may
// not grant; the tests that need one skip then.
class Mount
{
public:
    explicit Mount(const QString &path) : m_path(path) {}
    ~Mount()
    {
        if (m_mounted)
            run(QStringLiteral("umount"), {QStringLiteral("-l"), m_path});
    }
    bool tmpfs(const QString &size)
    {
        m_mounted = run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                  QStringLiteral("size=") + size, QStringLiteral("tmpfs"), m_path});
        return m_mounted;
    }
    bool readOnlyBind()
    {
        m_mounted = run(QStringLiteral("mount"), {QStringLiteral("--bind"), m_path, m_path});
        return m_mounted && run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro,bind"), m_path});
    }

private:
    QString m_path;
    bool m_mounted = false;
};

// Copies the two database files of a fresh demo folder into the folder.
void copyDemo(const TestDatabase &source, const QString &target)
{
    for (const char *name : {"INVENTORY.sqlite", "Password.sqlite"}) {
        const QString file = QString::fromLatin1(name);
        ASSERT_TRUE(QFile::copy(QDir(source.folder()).filePath(file), QDir(target).filePath(file)));
    }
}

// Fills the file system holding the folder until nothing more fits.
void fillDisk(const QString &folder)
{
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
}

} // namespace

// The other workstation holds the write lock longer than this one waits.
TEST(StorageFaults, ALockHeldPastTheBusyTimeoutRefusesTheSaveClearly)
{
    TestDatabase db;
    const QString before = allRows(db);
    const int timeout = Connection::busyTimeout();
    Connection::setBusyTimeout(200);
    RequestDriver driver(db.address(), QStringLiteral("1001"));
    Connection::setBusyTimeout(timeout);

    const auto otherWorkstation = db.openAnotherConnection();
    otherWorkstation->BeginTrans();
    EXPECT_TRUE(driver.saveNew(someLines(2, 10), QStringLiteral("LOCKED")).isEmpty());
    EXPECT_TRUE(driver.messages().last().text.startsWith(
        QStringLiteral("The database is in use by another workstation and did not become free in time; "
                       "please try again.")))
        << driver.messages().last().text.toStdString();
    EXPECT_EQ(driver.form().ui().txtDocNum->text(), QStringLiteral("NEW"));
    EXPECT_FALSE(driver.edit(QStringLiteral("1"), someLines(1, 10), QStringLiteral("LOCKED")));
    otherWorkstation->RollbackTrans();
    EXPECT_EQ(allRows(db), before);

    // Once the lock is released the same window saves normally and takes the next number.
    driver.messages().clear();
    EXPECT_EQ(driver.saveNew(someLines(2, 10), QStringLiteral("FREE")), QStringLiteral("8"))
        << driver.messages().last().text.toStdString();
}

TEST(StorageFaults, AFullDiskRefusesTheSaveAndKeepsEverythingSaved)
{
    if (TestDatabase::onServer())
        GTEST_SKIP() << "the data folder's own disk filling up: the server keeps its data on disks of its own";
    TestDatabase demo;
    QTemporaryDir dir;
    Mount mount(dir.path());
    if (!mount.tmpfs(QStringLiteral("3m")))
        GTEST_SKIP() << "cannot mount a small file system here";
    copyDemo(demo, dir.path());

    RequestDriver driver(dir.path(), QStringLiteral("1001"));
    const QString saved = driver.saveNew(someLines(3, 10), QStringLiteral("BEFORE THE DISK FILLED"));
    ASSERT_EQ(saved, QStringLiteral("8"));
    fillDisk(dir.path());

    // Far more than fits: several hundred lines with long remarks.
    const QString remarks = QString(400, QLatin1Char('R'));
    EXPECT_FALSE(driver.edit(QStringLiteral("1"), someLines(1500, 1), remarks));
    EXPECT_TRUE(driver.messages().last().text.contains(QStringLiteral("full"), Qt::CaseInsensitive))
        << driver.messages().last().text.toStdString();
    EXPECT_TRUE(driver.saveNew(someLines(1500, 1), remarks).isEmpty());
    EXPECT_EQ(driver.form().ui().txtDocNum->text(), QStringLiteral("NEW"));

    QFile::remove(QDir(dir.path()).filePath(QStringLiteral("filler")));
    // Read back through a connection of its own: what was committed is there, nothing else.
    auto check = Connection::open(dir.path());
    EXPECT_EQ(check->Execute(QStringLiteral("Select Count(*) From INVENTORY..tbInvWithdrawRequest Where "
                                            "DocumentNumber = '1'"))
                  .rows.value(0)
                  .value(0)
                  .toInt(),
              3);
    EXPECT_EQ(check->Execute(QStringLiteral("Select Count(*) From INVENTORY..tbInvWithdrawRequest Where "
                                            "DocumentNumber = '8' And Remarks = 'BEFORE THE DISK FILLED'"))
                  .rows.value(0)
                  .value(0)
                  .toInt(),
              3);
    EXPECT_EQ(check->Execute(QStringLiteral("Select Count(*) From INVENTORY..tbInvWithdrawRequest Where "
                                            "Cast(DocumentNumber As Integer) > 8"))
                  .rows.value(0)
                  .value(0)
                  .toInt(),
              0);
    EXPECT_EQ(check->Execute(QStringLiteral("PRAGMA integrity_check")).rows.value(0).value(0).toString(),
              QStringLiteral("ok"));
    check.reset();

    // With room again the window saves as before.
    driver.messages().clear();
    EXPECT_EQ(driver.saveNew(someLines(2, 10), QStringLiteral("AFTER")), QStringLiteral("9"))
        << driver.messages().last().text.toStdString();
}

TEST(StorageFaults, AReadOnlyDataFolderShowsTheRequestsAndRefusesChanges)
{
    if (TestDatabase::onServer())
        GTEST_SKIP() << "a read-only data folder: on a server the rights are the server's grants";
    QTemporaryDir dir;
    DataFolder::create(dir.path(), DataFolder::Content::DemoData);
    Mount mount(dir.path());
    if (!mount.readOnlyBind())
        GTEST_SKIP() << "cannot make a read-only mount here";

    RequestDriver driver(dir.path(), QStringLiteral("1001"));
    // The list still loads: reading needs no write access.
    EXPECT_EQ(driver.messages().count(), 0) << driver.messages().last().text.toStdString();
    EXPECT_TRUE(driver.saveNew(someLines(2, 10), QStringLiteral("READ ONLY")).isEmpty());
    EXPECT_TRUE(driver.messages().last().text.contains(QStringLiteral("readonly"), Qt::CaseInsensitive))
        << driver.messages().last().text.toStdString();
    EXPECT_EQ(driver.form().ui().txtDocNum->text(), QStringLiteral("NEW"));
    EXPECT_FALSE(driver.edit(QStringLiteral("1"), someLines(1, 10), QStringLiteral("READ ONLY")));

    auto check = Connection::open(dir.path());
    EXPECT_EQ(check->Execute(QStringLiteral("Select group_concat(ItemID) From INVENTORY..tbInvWithdrawRequest "
                                            "Where DocumentNumber = '1'"))
                  .rows.value(0)
                  .value(0)
                  .toString()
                  .count(QLatin1Char(',')),
              2);
}
