#include "platform/Database.h"
#include "platform/DatabaseScripts.h"
#include "platform/Error.h"
#include "platform/sqlite/DataFolder.h"
#include "platform/sqlite/SqliteDialect.h"
#include "tests/support/TestSession.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// What the sqlite3 command prints for a query on one file, as a hospital's own tools would run it.
QString sqliteTool(const QString &file, const QString &sql, int *exitCode = nullptr)
{
    QProcess tool;
    tool.start(S("sqlite3"), {file, sql});
    tool.waitForFinished(10000);
    if (exitCode)
        *exitCode = tool.exitCode();
    return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError()).trimmed();
}

bool sqliteToolAvailable()
{
    return !QStandardPaths::findExecutable(S("sqlite3")).isEmpty();
}

// Runs a script on a database file through a connection that knows the client's collation.
void runWithDialect(const QString &path, const QStringList &scripts)
{
    const QString name = S("old-format:") + path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(S("QSQLITE"), name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        registerSqlServerDialect(db);
        sqlite3 *handle = sqliteHandle(db);
        for (const QString &script : scripts)
            ASSERT_EQ(sqlite3_exec(handle, script.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
                << sqlite3_errmsg(handle);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// A data folder as the earlier version made it: every text column declared with the client's own
// MSSQL collation, version 1, the demo hospital and a code stored with trailing blanks.
void makeEarlierVersionFolder(const QString &folder)
{
    for (const auto &[file, database] : {std::pair{S("INVENTORY.sqlite"), S("inventory")},
                                         std::pair{S("Password.sqlite"), S("password")}}) {
        QString schema = DatabaseScripts::part(S("schema.sql"), database);
        schema.replace(S("COLLATE NOCASE"), S("COLLATE MSSQL")).replace(S("VALUES (2,"), S("VALUES (1,"));
        runWithDialect(QDir(folder).filePath(file),
                       {S("BEGIN;"), schema, DatabaseScripts::part(S("procedures.sql"), database),
                        DatabaseScripts::part(S("demo.sql"), database), S("COMMIT;")});
    }
    runWithDialect(QDir(folder).filePath(S("INVENTORY.sqlite")),
                   {S("INSERT INTO tbInvLocation (LocationID, Location, Status) VALUES ('77  ', 'Ward Seven', 'A')")});
}

int rowsOf(const QString &file, const QString &table)
{
    return sqliteTool(file, S("select count(*) from ") + table).toInt();
}

} // namespace

// The files the program makes answer any SQLite tool, with nothing registered.
TEST(DbToolReadableFiles, TheSqliteCommandAndAPlainConnectionQueryTheFiles)
{
    SKIP_ON_SERVER();
    if (!sqliteToolAvailable())
        GTEST_SKIP() << "the sqlite3 command is not installed";
    TestDatabase db;
    const QDir folder(db.folder());
    int exitCode = -1;
    const QString pending = sqliteTool(folder.filePath(S("INVENTORY.sqlite")),
                                       S("select count(*) from tbInvWithdrawRequest where Status = 'P'"), &exitCode);
    EXPECT_EQ(exitCode, 0) << pending.toStdString();
    EXPECT_EQ(pending, db.rawValue(S("select count(*) from tbInvWithdrawRequest where Status = 'P'")).toString());
    EXPECT_EQ(sqliteTool(folder.filePath(S("Password.sqlite")),
                         S("select LastName from tbPasswordMain where EmployeeID = '1001' order by LastName")),
              db.rawValue(S("select LastName from Password.tbPasswordMain where EmployeeID = '1001'")).toString());

    QSqlDatabase plain = QSqlDatabase::addDatabase(S("QSQLITE"), S("plain"));
    plain.setDatabaseName(folder.filePath(S("INVENTORY.sqlite")));
    ASSERT_TRUE(plain.open());
    {
        QSqlQuery query(plain);
        ASSERT_TRUE(query.exec(S("select Location from tbInvLocation where Location like 'central%' "
                                 "and Location = 'central supply' order by Location")))
            << query.lastError().text().toStdString();
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toString(), S(Demo::CentralSupply));
    }
    plain.close();
    plain = QSqlDatabase();
    QSqlDatabase::removeDatabase(S("plain"));
}

// A folder of the earlier version is brought up to date when the client opens it: every row stays,
// the tools can read it, and the client still compares as SQL Server does.
TEST(DbToolReadableFiles, FilesOfTheEarlierVersionAreUpgradedKeepingEveryRow)
{
    SKIP_ON_SERVER();
    if (!sqliteToolAvailable())
        GTEST_SKIP() << "the sqlite3 command is not installed";
    QTemporaryDir dir;
    makeEarlierVersionFolder(dir.path());
    const QString inventory = QDir(dir.path()).filePath(S("INVENTORY.sqlite"));
    const QString password = QDir(dir.path()).filePath(S("Password.sqlite"));
    EXPECT_TRUE(sqliteTool(inventory, S("select count(*) from tbInvLocation where Status = 'A'"))
                    .contains(S("no such collation sequence: MSSQL")));

    const QStringList tables = sqliteTool(inventory, S("select name from sqlite_master where type = 'table' order by name"))
                                   .split(QLatin1Char('\n'));
    std::map<QString, int> before;
    QSqlDatabase counting = QSqlDatabase::addDatabase(S("QSQLITE"), S("counting"));
    counting.setDatabaseName(inventory);
    ASSERT_TRUE(counting.open());
    registerSqlServerDialect(counting);
    for (const QString &table : tables) {
        QSqlQuery query(counting);
        ASSERT_TRUE(query.exec(S("select count(*) from ") + table) && query.next());
        before[table] = query.value(0).toInt();
    }
    counting.close();
    counting = QSqlDatabase();
    QSqlDatabase::removeDatabase(S("counting"));

    std::unique_ptr<Connection> connection = Connection::open(dir.path());
    for (const QString &table : tables) {
        if (table == S("tbInvSchemaVersion"))
            continue;
        EXPECT_EQ(rowsOf(inventory, table), before[table]) << table.toStdString();
    }
    EXPECT_EQ(sqliteTool(inventory, S("select group_concat(Version) from (select Version from tbInvSchemaVersion "
                                      "order by Version)")),
              S("1,2"));
    EXPECT_EQ(sqliteTool(password, S("select count(*) from tbPasswordMain where EmployeeID = '1001'")), S("1"));
    EXPECT_EQ(sqliteTool(inventory, S("select count(*) from sqlite_master where sql like '%MSSQL%'")), S("0"));
    // The client finds the blank-padded code by the code without blanks, as SQL Server would.
    EXPECT_EQ(connection->Execute(S("Select Location From INVENTORY..tbInvLocation Where LocationID = '77'")).rows.size(), 1);

    // Opening again changes nothing more.
    connection.reset();
    connection = Connection::open(dir.path());
    EXPECT_EQ(sqliteTool(inventory, S("select count(*) from tbInvSchemaVersion")), S("2"));
}

// An upgrade that cannot be done now (another program holds the file) is refused with a clear
// message and leaves the file as it was.
TEST(DbToolReadableFiles, AnUpgradeThatCannotBeDoneIsRefusedAndChangesNothing)
{
    SKIP_ON_SERVER();
    QTemporaryDir dir;
    makeEarlierVersionFolder(dir.path());
    const QString inventory = QDir(dir.path()).filePath(S("INVENTORY.sqlite"));
    const int timeout = Connection::busyTimeout();
    Connection::setBusyTimeout(200);
    {
        QSqlDatabase holder = QSqlDatabase::addDatabase(S("QSQLITE"), S("holder"));
        holder.setDatabaseName(inventory);
        ASSERT_TRUE(holder.open());
        registerSqlServerDialect(holder);
        QSqlQuery(holder).exec(S("BEGIN IMMEDIATE"));
        try {
            Connection::open(dir.path());
            ADD_FAILURE() << "the file held by another program was opened";
        } catch (const Error &error) {
            EXPECT_TRUE(error.Description().contains(S("was made by an earlier version of the program and could not "
                                                       "be brought up to date; nothing in it was changed")))
                << error.Description().toStdString();
            EXPECT_TRUE(error.Description().contains(inventory)) << error.Description().toStdString();
        }
        QSqlQuery(holder).exec(S("ROLLBACK"));
        QSqlQuery stillOld(holder);
        ASSERT_TRUE(stillOld.exec(S("select count(*) from sqlite_master where sql like '%COLLATE MSSQL%'")) &&
                    stillOld.next());
        EXPECT_GT(stillOld.value(0).toInt(), 0);
        holder.close();
    }
    QSqlDatabase::removeDatabase(S("holder"));
    Connection::setBusyTimeout(timeout);
    EXPECT_NO_THROW(Connection::open(dir.path()));
}
