#include "platform/Administration.h"

#include "platform/sqlite/DataFolder.h"
#include "platform/Database.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

// More problems than these add nothing to the decision to restore a backup.
constexpr int kProblemsKept = 10;

QStringList integrityProblems(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {QStringLiteral("the file does not exist")};
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ir-check-%1").arg(++counter);
    QStringList problems;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Connection::busyTimeout()));
        if (!db.open()) {
            problems << db.lastError().text();
        } else {
            try {
                // The indexes over text columns are ordered by the collation the schema names.
                registerSqlServerDialect(db);
                QSqlQuery query(db);
                if (!query.exec(QStringLiteral("PRAGMA integrity_check(%1)").arg(kProblemsKept))) {
                    problems << query.lastError().databaseText();
                } else {
                    while (query.next()) {
                        const QString line = query.value(0).toString().simplified();
                        if (line != QLatin1String("ok"))
                            problems << line;
                    }
                    if (query.lastError().isValid())
                        problems << query.lastError().databaseText();
                }
            } catch (const Error &error) {
                problems << error.Description();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return problems;
}

} // namespace

namespace DataFolderCheck {

bool Result::passed() const
{
    for (const FileResult &file : files)
        if (!file.problems.isEmpty())
            return false;
    return !files.isEmpty();
}

QString Result::verdict() const
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (passed())
        return QStringLiteral("OK: INVENTORY.sqlite and Password.sqlite in \"%1\" pass SQLite's integrity check.").arg(shown);
    QStringList failed;
    for (const FileResult &file : files)
        if (!file.problems.isEmpty())
            failed << QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(file.path), file.problems.first());
    return QStringLiteral("FAILED: %1. Restore the last backup of the data folder.").arg(failed.join(QStringLiteral("; ")));
}

Result run(const QString &folder)
{
    Result result;
    result.folder = folder;
    for (const QString &name : DataFolder::databaseFileNames()) {
        const QString path = QDir(folder).filePath(name);
        result.files << FileResult{path, integrityProblems(path)};
    }
    return result;
}

} // namespace DataFolderCheck
