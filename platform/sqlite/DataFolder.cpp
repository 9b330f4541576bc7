#include "platform/sqlite/DataFolder.h"

#include "platform/DatabaseScripts.h"
#include "platform/Error.h"

#include "platform/sqlite/SqliteDialect.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>

#include <sqlite3.h>

#include <atomic>
#include <filesystem>

#include <sys/stat.h>

namespace {

const QString kSource = QStringLiteral("DataFolder");
const QString kInventoryFile = QStringLiteral("INVENTORY.sqlite");
const QString kPasswordFile = QStringLiteral("Password.sqlite");
const QString kInventory = QStringLiteral("inventory");
const QString kPassword = QStringLiteral("password");
const QString kCreationLock = QStringLiteral(".inventory-request-create.lock");
// Building the demo databases takes a second or two; a lock held far longer belongs to a
// program that hangs, and waiting for it would hang this one too.
constexpr int kCreationWaitMs = 60000;

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, kSource, description);
}

void execScript(sqlite3 *handle, const QString &sql, const QString &what)
{
    char *message = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_exec(handle, text.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_free(message);
        fail(QStringLiteral("Building the database failed in %1: %2").arg(what, reason));
    }
}

// Whether the folder's group is meant to share the files in it: the folder lets its group write
// (or hands its group down to new files, setgid).
bool sharedWithGroup(const QString &folder)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 &&
           (info.st_mode & (S_IWGRP | S_ISGID)) != 0;
}

// The permissions of a database file the program makes: its owner's alone, or its owner's and the
// folder's group's in a folder that group shares. SQLite gives the write-ahead log and the
// shared-memory file the database file's own permissions.
QFileDevice::Permissions newFilePermissions(const QString &folder)
{
    QFileDevice::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (sharedWithGroup(folder))
        permissions |= QFile::ReadGroup | QFile::WriteGroup;
    return permissions;
}

// An empty file with the permissions it keeps, made before SQLite writes anything into it, so the
// staff register is never readable by others, not even while it is being built.
void createEmpty(const QString &path, QFileDevice::Permissions permissions)
{
    QFile file(path);
    // The user's umask may have taken the group's rights away: they are set once more.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissions) ||
        !file.setPermissions(permissions))
        fail(QStringLiteral("The database file \"%1\" cannot be created: %2")
                 .arg(QDir::toNativeSeparators(path), file.errorString()));
}

// Builds one database file from the parts of the scripts that belong to it, in one transaction.
void buildFile(const QString &path, const QString &database, const QStringList &scriptNames)
{
    static std::atomic<int> counter{0};
    const QString connectionName = QStringLiteral("ir-datafolder-build-%1").arg(++counter);
    QFile::remove(path);
    createEmpty(path, newFilePermissions(QFileInfo(path).absolutePath()));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        try {
            if (!db.open())
                fail(QStringLiteral("The database file \"%1\" cannot be created: %2")
                         .arg(QDir::toNativeSeparators(path), db.lastError().text()));
            registerSqlServerDialect(db);
            sqlite3 *handle = sqliteHandle(db);
            execScript(handle, QStringLiteral("BEGIN IMMEDIATE;"), path);
            try {
                for (const QString &name : scriptNames) {
                    const QString part = DatabaseScripts::part(name, database);
                    if (!part.trimmed().isEmpty())
                        execScript(handle, part, name);
                }
                execScript(handle, QStringLiteral("COMMIT;"), path);
            } catch (...) {
                sqlite3_exec(handle, "ROLLBACK;", nullptr, nullptr, nullptr);
                throw;
            }
            db.close();
        } catch (...) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
            throw;
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
}

// Puts a finished file in place. A write-ahead log left beside an older file of the same name
// would be replayed into the new one, so it goes first.
void moveIntoPlace(const QString &built, const QString &target)
{
    QFile::remove(target + QStringLiteral("-wal"));
    QFile::remove(target + QStringLiteral("-shm"));
    std::error_code error;
    std::filesystem::rename(built.toStdString(), target.toStdString(), error);
    if (error)
        fail(QStringLiteral("The database file \"%1\" cannot be written: %2")
                 .arg(QDir::toNativeSeparators(target), QString::fromStdString(error.message())));
}

QStringList presentDatabaseFiles(const QString &folder)
{
    const QDir dir(folder);
    QStringList present;
    for (const QString &name : {kInventoryFile, kPasswordFile})
        if (QFileInfo::exists(dir.filePath(name)))
            present << name;
    return present;
}

// Only a folder without either file gets new databases: beside one of them, new files would
// replace the saved requests or install the demo staff, whose passwords are known, beside real data.
void refuseIncompleteFolder(const QString &folder)
{
    const QStringList present = presentDatabaseFiles(folder);
    if (present.size() != 1)
        return;
    const QString missing = present.first() == kInventoryFile ? kPasswordFile : kInventoryFile;
    fail(QStringLiteral("The database file \"%1\" is missing: the data folder \"%2\" holds %3 but not %4. "
                        "Nothing was changed. Restore %4 from the last backup of the data folder "
                        "(\"inventory-request-admin check\" tells more).")
             .arg(QDir::toNativeSeparators(QDir(folder).filePath(missing)), QDir::toNativeSeparators(folder),
                  present.first(), missing));
}

void setOwnerOnly(const QString &path, QFileDevice::Permissions permissions)
{
    if (QFileInfo::exists(path) && !QFile::setPermissions(path, permissions))
        fail(QStringLiteral("The permissions of \"%1\" cannot be set to its owner alone.")
                 .arg(QDir::toNativeSeparators(path)));
}

void makePrivate(const QString &folder)
{
    setOwnerOnly(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QDir dir(folder);
    // SQLite gives the write-ahead log and the shared-memory file the database file's own
    // permissions when it creates them; ones left by an earlier start are set here.
    for (const QString &name : {kInventoryFile, kPasswordFile})
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            setOwnerOnly(dir.filePath(name + suffix), QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

namespace DataFolder {

QStringList databaseFileNames()
{
    return {kInventoryFile, kPasswordFile};
}

bool hasDatabases(const QString &folder)
{
    const QDir dir(folder);
    return QFileInfo(dir.filePath(kInventoryFile)).isFile() && QFileInfo(dir.filePath(kPasswordFile)).isFile();
}

void prepare(const QString &folder, Access access)
{
    if (!hasDatabases(folder)) {
        refuseIncompleteFolder(folder);
        if (access == Access::Private && !folder.trimmed().isEmpty() && !QFileInfo(folder).exists()) {
            if (!QDir().mkpath(folder))
                fail(QStringLiteral("The data folder \"%1\" cannot be created.").arg(QDir::toNativeSeparators(folder)));
            makePrivate(folder);
        }
        create(folder, Content::DemoData);
    }
    if (access == Access::Private)
        makePrivate(folder);
}

void create(const QString &folder, Content content)
{
    const QString shown = QDir::toNativeSeparators(folder);
    if (folder.trimmed().isEmpty())
        fail(QStringLiteral("No data folder is set."));
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        fail(QStringLiteral("The data folder \"%1\" cannot be created.").arg(shown));
    if (!QFileInfo(folder).isDir())
        fail(QStringLiteral("The data folder \"%1\" is not a folder.").arg(shown));

    // Built under temporary names and renamed when complete, so that a failure or a crash never
    // leaves a half-built database where the client would open it.
    const QString suffix = QStringLiteral(".%1.building").arg(QCoreApplication::applicationPid());
    const QString inventoryBuilt = dir.filePath(kInventoryFile + suffix);
    const QString passwordBuilt = dir.filePath(kPasswordFile + suffix);
    {
        QFile probe(dir.filePath(QStringLiteral(".write-test") + suffix));
        if (!probe.open(QIODevice::WriteOnly))
            fail(QStringLiteral("The data folder \"%1\" cannot be written: %2").arg(shown, probe.errorString()));
        probe.close();
        probe.remove();
    }

    QLockFile lock(dir.filePath(kCreationLock));
    if (!lock.tryLock(kCreationWaitMs))
        fail(lock.error() == QLockFile::LockFailedError
                 ? QStringLiteral("Another program is still creating the databases in the data folder \"%1\"; "
                                  "please try again.")
                       .arg(shown)
                 : QStringLiteral("The data folder \"%1\" cannot be written.").arg(shown));
    QFile::setPermissions(dir.filePath(kCreationLock), newFilePermissions(folder));
    // Another program may have built them while this one waited; a folder that holds one of
    // the files stays as it is.
    if (hasDatabases(folder))
        return;
    refuseIncompleteFolder(folder);

    QStringList scripts{QStringLiteral("schema.sql"), QStringLiteral("procedures.sql")};
    if (content == Content::DemoData)
        scripts << QStringLiteral("demo.sql");
    try {
        buildFile(inventoryBuilt, kInventory, scripts);
        buildFile(passwordBuilt, kPassword, scripts);
        moveIntoPlace(passwordBuilt, dir.filePath(kPasswordFile));
        moveIntoPlace(inventoryBuilt, dir.filePath(kInventoryFile));
    } catch (...) {
        QFile::remove(inventoryBuilt);
        QFile::remove(passwordBuilt);
        throw;
    }
    QFile::remove(inventoryBuilt);
    QFile::remove(passwordBuilt);
}

void updateIndexes(sqlite3 *db)
{
    static const QRegularExpression createIndex(QStringLiteral("CREATE\\s+INDEX\\s+(\\w+)\\s+ON\\s[^;]*"),
                                                QRegularExpression::CaseInsensitiveOption);
    auto normalized = [](const QString &sql) { return sql.simplified().toLower(); };
    QStringList changes;
    const QString schema = DatabaseScripts::part(QStringLiteral("schema.sql"), kInventory);
    for (auto it = createIndex.globalMatch(schema); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT sql FROM main.sqlite_master WHERE type = 'index' AND name = ?1", -1,
                           &statement, nullptr);
        const QByteArray name = match.captured(1).toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        QString existing;
        if (sqlite3_step(statement) == SQLITE_ROW)
            existing = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
        if (normalized(existing) != normalized(match.captured(0)))
            changes << QStringLiteral("DROP INDEX IF EXISTS main.%1; %2;").arg(match.captured(1), match.captured(0));
    }
    if (changes.isEmpty())
        return;
    const QByteArray sql = (QStringLiteral("BEGIN IMMEDIATE; ") + changes.join(QLatin1Char(' ')) +
                            QStringLiteral(" COMMIT;"))
                               .toUtf8();
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK && !sqlite3_get_autocommit(db))
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace DataFolder
