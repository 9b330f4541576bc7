#include "platform/sqlite/DataFolder.h"
#include "platform/Database.h"
#include "platform/DatabaseScripts.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList tablesOf(Connection *connection, const QString &schema)
{
    QSqlQuery query(connection->database());
    query.exec(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' ORDER BY name").arg(schema));
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QVariant scalar(Connection *connection, const QString &sql)
{
    QSqlQuery query(connection->database());
    if (!query.exec(sql) || !query.next())
        return QVariant();
    return query.value(0);
}

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.Description();
    }
    return QString();
}

} // namespace

TEST(DbDataFolder, SchemaOnlyBuildsEveryTableWithProceduresButNoRows)
{
    SKIP_ON_SERVER();
    QTemporaryDir dir;
    ASSERT_FALSE(DataFolder::hasDatabases(dir.path()));
    DataFolder::create(dir.path(), DataFolder::Content::SchemaOnly);
    ASSERT_TRUE(DataFolder::hasDatabases(dir.path()));

    auto connection = Connection::open(dir.path());
    const QStringList inventory = tablesOf(connection.get(), QStringLiteral("main"));
    for (const char *table : {"tbHospitalInfo", "tbPharmaSwitch", "tbInvUserSettings", "tbInvLocation",
                              "tbinvUserLocation", "tbInvMaster", "tbInvent", "tbInvKit", "tbInvKitItem",
                              "tbInvSupplier", "tbInvTerms", "tbInvUnitOfMeasure", "tbInvClassification",
                              "tbforGeneric", "tbforClassification", "tbInvWithdrawRequest", "tbInvProcedure",
                              "tbInvSchemaVersion"})
        EXPECT_TRUE(inventory.contains(QString::fromLatin1(table))) << table;
    EXPECT_EQ(tablesOf(connection.get(), QStringLiteral("Password")), QStringList{QStringLiteral("tbPasswordMain")});
    EXPECT_FALSE(inventory.contains(QStringLiteral("tbPasswordMain")));

    EXPECT_EQ(scalar(connection.get(), QStringLiteral("SELECT count(*) FROM tbInvProcedure")).toInt(), 5);
    EXPECT_EQ(scalar(connection.get(), QStringLiteral("SELECT count(*) FROM tbInvMaster")).toInt(), 0);
    EXPECT_EQ(scalar(connection.get(), QStringLiteral("SELECT count(*) FROM Password.tbPasswordMain")).toInt(), 0);
    EXPECT_EQ(scalar(connection.get(), QStringLiteral("SELECT Version FROM tbInvSchemaVersion")).toInt(), 2);
}

TEST(DbDataFolder, LeavesOnlyTheTwoDatabaseFilesBehind)
{
    SKIP_ON_SERVER();
    QTemporaryDir dir;
    DataFolder::create(dir.path(), DataFolder::Content::DemoData);
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(files, (QStringList{QStringLiteral("INVENTORY.sqlite"), QStringLiteral("Password.sqlite")}));
}

TEST(DbDataFolder, StaleWriteAheadLogOfAnEarlierFileIsNotReplayedIntoTheNewOne)
{
    SKIP_ON_SERVER();
    QTemporaryDir dir;
    QFile wal(QDir(dir.path()).filePath(QStringLiteral("INVENTORY.sqlite-wal")));
    ASSERT_TRUE(wal.open(QIODevice::WriteOnly));
    wal.write(QByteArray(4096, '\x5a'));
    wal.close();

    DataFolder::create(dir.path(), DataFolder::Content::DemoData);
    auto connection = Connection::open(dir.path());
    EXPECT_EQ(scalar(connection.get(), QStringLiteral("SELECT count(*) FROM tbInvMaster")).toInt(), 300);
}

TEST(DbDataFolder, FolderThatCannotBeCreatedIsReportedByName)
{
    SKIP_ON_SERVER();
    QTemporaryDir dir;
    const QString blocker = QDir(dir.path()).filePath(QStringLiteral("plainfile"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString folder = QDir(blocker).filePath(QStringLiteral("data"));

    const QString message = errorOf([&] { DataFolder::create(folder, DataFolder::Content::DemoData); });
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(folder))) << message.toStdString();
    EXPECT_FALSE(DataFolder::hasDatabases(folder));
}

TEST(DbDataFolder, UnwritableFolderIsReportedAndLeftEmpty)
{
    SKIP_ON_SERVER();
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not restrict the superuser";
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);

    const QString message = errorOf([&] { DataFolder::create(dir.path(), DataFolder::Content::DemoData); });
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(message.contains(QStringLiteral("cannot be written"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(dir.path()))) << message.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(DbDataFolder, ScriptsComeFromTheProgramAndAMissingOneIsAnError)
{
    SKIP_ON_SERVER();
    EXPECT_TRUE(DatabaseScripts::text(QStringLiteral("schema.sql")).contains(QStringLiteral("tbInvWithdrawRequest")));
    EXPECT_FALSE(DatabaseScripts::text(QStringLiteral("demo.sql")).isEmpty());
    EXPECT_TRUE(errorOf([] { DatabaseScripts::text(QStringLiteral("missing.sql")); })
                    .contains(QStringLiteral("missing.sql")));
}

// A file made by an earlier version, with narrower request list indexes, gets the schema's
// indexes when it is opened, keeping every row; opening it again changes nothing.
TEST(DbDataFolder, OpeningAnEarlierFileBringsItsIndexesUpToDate)
{
    QTemporaryDir dir;
    DataFolder::create(dir.path(), DataFolder::Content::DemoData);
    const QString indexSql = QStringLiteral(
        "SELECT sql FROM main.sqlite_master WHERE name = 'ixInvWithdrawRequest_LocationStatus'");
    int lines = 0;
    {
        auto connection = Connection::open(dir.path());
        lines = scalar(connection.get(), QStringLiteral("SELECT count(*) FROM tbInvWithdrawRequest")).toInt();
        QSqlQuery query(connection->database());
        ASSERT_TRUE(query.exec(QStringLiteral("DROP INDEX ixInvWithdrawRequest_LocationStatus")));
        ASSERT_TRUE(query.exec(QStringLiteral(
            "CREATE INDEX ixInvWithdrawRequest_LocationStatus ON tbInvWithdrawRequest (LocationID, Status)")));
        ASSERT_TRUE(query.exec(QStringLiteral("DROP INDEX ixInvWithdrawRequest_LocationPending")));
    }
    auto reopened = Connection::open(dir.path());
    EXPECT_TRUE(scalar(reopened.get(), indexSql).toString().contains(QStringLiteral("TransDate")));
    EXPECT_TRUE(scalar(reopened.get(), QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = "
                                                      "'ixInvWithdrawRequest_LocationPending'"))
                    .toInt() == 1);
    EXPECT_EQ(scalar(reopened.get(), QStringLiteral("SELECT count(*) FROM tbInvWithdrawRequest")).toInt(), lines);
    EXPECT_EQ(scalar(reopened.get(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}
