#include "platform/Administration.h"

#include "platform/sqlite/DataFolder.h"
#include "platform/Database.h"
#include "platform/Error.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QThread>

#include <sqlite3.h>

#include <filesystem>

namespace {

const QString kSource = QStringLiteral("DataFolderBackup");
// Pages copied a step: small enough for a progress line that moves, large enough to be quick.
constexpr int kPagesPerStep = 1024;

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, kSource, description);
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The source's read transaction keeps its picture of both files for the whole backup: writers go
// on appending to the write-ahead log, and no step sees their changes or starts over.
void beginSnapshot(sqlite3 *db)
{
    const int rc = sqlite3_exec(db,
                                "BEGIN; SELECT count(*) FROM main.sqlite_master; "
                                "SELECT count(*) FROM Password.sqlite_master;",
                                nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(QStringLiteral("The data folder cannot be read for the backup: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
}

void copyDatabase(sqlite3 *source, const char *schema, const QString &name, const QString &copyPath,
                  const std::function<void(const DataFolderBackup::Progress &)> &progress)
{
    sqlite3 *copy = nullptr;
    const QByteArray path = copyPath.toUtf8();
    int rc = sqlite3_open_v2(path.constData(), &copy, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto closeCopy = qScopeGuard([&] { sqlite3_close_v2(copy); });
    if (rc != SQLITE_OK)
        fail(QStringLiteral("The backup file \"%1\" cannot be created: %2").arg(shown(copyPath), QString::fromUtf8(sqlite3_errmsg(copy))));
    QFile::setPermissions(copyPath, QFile::ReadOwner | QFile::WriteOwner);

    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, schema);
    if (!backup)
        fail(QStringLiteral("The backup of %1 cannot start: %2").arg(name, QString::fromUtf8(sqlite3_errmsg(copy))));
    QElapsedTimer busy;
    do {
        rc = sqlite3_backup_step(backup, kPagesPerStep);
        const int total = sqlite3_backup_pagecount(backup);
        if (progress && total > 0) {
            const int done = total - sqlite3_backup_remaining(backup);
            progress({name, QFileInfo(QString::fromUtf8(sqlite3_db_filename(source, schema))).size(),
                      int(qint64(done) * 100 / total)});
        }
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (!busy.isValid())
                busy.start();
            else if (busy.elapsed() > Connection::busyTimeout())
                break;
            QThread::msleep(50);
        } else {
            busy.invalidate();
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("The backup of %1 failed: %2").arg(name, QString::fromUtf8(sqlite3_errstr(rc))));
    // A copy complete in itself: no write-ahead log to keep beside it.
    sqlite3_exec(copy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
}

} // namespace

namespace DataFolderBackup {

void run(const QString &folder, const QString &target, const std::function<void(const Progress &)> &progress)
{
    if (QFileInfo(folder).canonicalFilePath() == QFileInfo(target).canonicalFilePath() && QFileInfo::exists(target))
        fail(QStringLiteral("The backup folder \"%1\" is the data folder itself; choose another.").arg(shown(target)));
    const QStringList names = DataFolder::databaseFileNames();
    for (const QString &name : names)
        if (QFileInfo::exists(QDir(target).filePath(name)))
            fail(QStringLiteral("The backup folder \"%1\" already holds %2; choose an empty folder, so no earlier "
                                "backup is overwritten.")
                     .arg(shown(target), name));
    std::unique_ptr<Connection> connection = Connection::open(folder);
    if (!QFileInfo::exists(target)) {
        if (!QDir().mkpath(target))
            fail(QStringLiteral("The backup folder \"%1\" cannot be created.").arg(shown(target)));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    sqlite3 *source = sqliteHandle(connection->database());
    beginSnapshot(source);
    auto endSnapshot = qScopeGuard([&] { sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr); });

    // Written under temporary names and renamed when both are complete, so a failed backup never
    // looks like a finished one.
    const QString suffix = QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
    QStringList parts;
    auto removeParts = qScopeGuard([&] {
        for (const QString &part : std::as_const(parts))
            QFile::remove(part);
    });
    const char *schemas[] = {"main", "Password"};
    for (int i = 0; i < names.size(); ++i) {
        parts << QDir(target).filePath(names.at(i) + suffix);
        copyDatabase(source, schemas[i], names.at(i), parts.last(), progress);
    }
    for (int i = 0; i < names.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(parts.at(i).toStdString(), QDir(target).filePath(names.at(i)).toStdString(), error);
        if (error)
            fail(QStringLiteral("The backup file \"%1\" cannot be written: %2")
                     .arg(shown(QDir(target).filePath(names.at(i))), QString::fromStdString(error.message())));
    }
    parts.clear();
}

} // namespace DataFolderBackup
