#include "platform/sqlite/SchemaUpgrade.h"

#include "platform/Database.h"
#include "platform/DatabaseScripts.h"
#include "platform/Error.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

#include <sqlite3.h>

#include <atomic>

namespace {

const QString OldTableSuffix = QStringLiteral("_before_upgrade");

class UpgradeFailure
{
public:
    QString reason;
};

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
}

void exec(sqlite3 *db, const QString &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        UpgradeFailure failure{message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errmsg(db))};
        sqlite3_free(message);
        throw failure;
    }
}

QStringList column(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        throw UpgradeFailure{QString::fromUtf8(sqlite3_errmsg(db))};
    QStringList values;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        throw UpgradeFailure{QString::fromUtf8(sqlite3_errmsg(db))};
    return values;
}

// A file that cannot even be read is left to the opening connection, which reports it as such.
bool madeByEarlierVersion(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM main.sqlite_master", -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    const int rc = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (rc != SQLITE_ROW)
        return false;
    return !column(db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE sql LIKE '%COLLATE MSSQL%'"))
                .isEmpty();
}

QStringList columnsOf(sqlite3 *db, const QString &table)
{
    const QString literal = QLatin1Char('\'') + QString(table).replace(QLatin1String("'"), QLatin1String("''")) + QLatin1Char('\'');
    return column(db, QStringLiteral("SELECT name FROM pragma_table_info(%1)").arg(literal));
}

// Inside the caller's transaction: the old tables step aside, the current schema is built, the rows
// move over column by column, and the old tables go.
void rebuild(sqlite3 *db, const QString &database)
{
    const QStringList tables = column(
        db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"));
    const QStringList indexes =
        column(db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'index' AND sql IS NOT NULL"));
    for (const QString &index : indexes)
        exec(db, QStringLiteral("DROP INDEX main.%1").arg(quoted(index)));
    for (const QString &table : tables)
        exec(db, QStringLiteral("ALTER TABLE main.%1 RENAME TO %2").arg(quoted(table), quoted(table + OldTableSuffix)));

    exec(db, DatabaseScripts::part(QStringLiteral("schema.sql"), database));
    const QStringList current = column(
        db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                           "AND name NOT LIKE '%_before_upgrade'"));
    // The script's own rows give way to the file's, except the version row that records this upgrade.
    for (const QString &table : current) {
        if (table.compare(QLatin1String("tbInvSchemaVersion"), Qt::CaseInsensitive) != 0)
            exec(db, QStringLiteral("DELETE FROM main.%1").arg(quoted(table)));
    }

    for (const QString &table : tables) {
        const QString old = table + OldTableSuffix;
        if (!current.contains(table, Qt::CaseInsensitive)) {
            // A table the current schema does not know keeps its rows under its own name.
            exec(db, QStringLiteral("ALTER TABLE main.%1 RENAME TO %2").arg(quoted(old), quoted(table)));
            continue;
        }
        const QStringList wanted = columnsOf(db, table);
        QStringList shared;
        for (const QString &name : columnsOf(db, old)) {
            if (wanted.contains(name, Qt::CaseInsensitive))
                shared << quoted(name);
        }
        const QString list = shared.join(QStringLiteral(", "));
        exec(db, QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM main.%3").arg(quoted(table), list, quoted(old)));
        exec(db, QStringLiteral("DROP TABLE main.%1").arg(quoted(old)));
    }
}

} // namespace

namespace SchemaUpgrade {

void upgradeFile(const QString &path, const QString &database)
{
    static std::atomic<int> counter{0};
    const QString connectionName = QStringLiteral("ir-schema-upgrade-%1").arg(++counter);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        if (db.open()) {
            try {
                registerSqlServerDialect(db);
                sqlite3 *handle = sqliteHandle(db);
                sqlite3_busy_timeout(handle, Connection::busyTimeout());
                if (madeByEarlierVersion(handle)) {
                    exec(handle, QStringLiteral("BEGIN IMMEDIATE"));
                    try {
                        // Another workstation may have upgraded the file while this one waited.
                        if (madeByEarlierVersion(handle))
                            rebuild(handle, database);
                        exec(handle, QStringLiteral("COMMIT"));
                    } catch (const UpgradeFailure &) {
                        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
                        throw;
                    }
                }
            } catch (const UpgradeFailure &error) {
                failure = error.reason;
            } catch (const Error &error) {
                failure = error.Description();
            }
        } else {
            failure = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (!failure.isEmpty())
        throw Error(Error::DatabaseError, QStringLiteral("Database"),
                    QStringLiteral("The database file %1 was made by an earlier version of the program and "
                                   "could not be brought up to date; nothing in it was changed. (%2)")
                        .arg(QDir::toNativeSeparators(path), failure));
}

} // namespace SchemaUpgrade
