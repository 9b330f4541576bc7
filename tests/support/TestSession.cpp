#include "tests/support/TestSession.h"

#include "platform/SqlTrace.h"
#include "shell/Session.h"

#include "platform/sqlite/SqliteDialect.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <map>
#include <mutex>

namespace {

const QStringList kDatabaseFiles{QStringLiteral("INVENTORY.sqlite"), QStringLiteral("Password.sqlite")};

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("TestDatabase"), description);
}

// Building the demo takes a moment; each test program builds each kind once and copies it.
QString templateFolder(DataFolder::Content content)
{
    static std::mutex mutex;
    static std::map<DataFolder::Content, std::unique_ptr<QTemporaryDir>> templates;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<QTemporaryDir> &dir = templates[content];
    if (!dir) {
        auto built = std::make_unique<QTemporaryDir>();
        if (!built->isValid())
            fail(QStringLiteral("No temporary folder for the test databases."));
        DataFolder::create(built->path(), content);
        dir = std::move(built);
    }
    return dir->path();
}

// A direct SQLite connection on the folder, beside the client's: arranging and inspecting data
// must not go through the adapter or the trace.
QString rawConnectionName(const QString &folder)
{
    return QStringLiteral("ir-test-raw:") + folder;
}

void openRawConnection(const QString &folder)
{
    const QString name = rawConnectionName(folder);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QDir(folder).filePath(kDatabaseFiles[0]));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        fail(db.lastError().text());
    registerSqlServerDialect(db);
    QSqlQuery attach(db);
    if (!attach.exec(QStringLiteral("ATTACH DATABASE '%1' AS Password")
                         .arg(QDir(folder).filePath(kDatabaseFiles[1]).replace(QLatin1Char('\''),
                                                                                QStringLiteral("''")))))
        fail(attach.lastError().text());
}

} // namespace

TestDatabase::TestDatabase(DataFolder::Content content)
{
    if (!m_dir.isValid())
        fail(QStringLiteral("No temporary folder for the test database."));
    const QDir source(templateFolder(content));
    const QDir target(m_dir.path());
    for (const QString &file : kDatabaseFiles) {
        if (!QFile::copy(source.filePath(file), target.filePath(file)))
            fail(QStringLiteral("Cannot copy the test database %1.").arg(file));
        QFile(target.filePath(file)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    m_connection = Connection::open(m_dir.path());
    openRawConnection(m_dir.path());
}

TestDatabase::~TestDatabase()
{
    m_connection.reset();
    const QString name = rawConnectionName(m_dir.path());
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void TestDatabase::raw(const QString &sqliteSql) const
{
    QSqlDatabase db = QSqlDatabase::database(rawConnectionName(m_dir.path()), false);
    sqlite3 *native = sqliteHandle(db);
    char *message = nullptr;
    if (sqlite3_exec(native, sqliteSql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = message ? QString::fromUtf8(message) : QString::fromUtf8(sqlite3_errmsg(native));
        sqlite3_free(message);
        fail(QStringLiteral("%1\nin: %2").arg(reason, sqliteSql));
    }
}

QVariant TestDatabase::rawValue(const QString &sqliteSql) const
{
    QSqlQuery query(QSqlDatabase::database(rawConnectionName(m_dir.path()), false));
    if (!query.exec(sqliteSql))
        fail(QStringLiteral("%1\nin: %2").arg(query.lastError().text(), sqliteSql));
    return query.next() ? query.value(0) : QVariant();
}

TestSession::TestSession(const QString &employeeCode, DataFolder::Content content, bool loadSite)
    : m_db(content)
{
    ResetSession();
    SqlTrace::setObserver([this](const QString &statement) { m_trace << statement; });
    m_user = std::make_unique<CurrentUser>(nullptr, [](const QString &password) { return password; });
    m_user->setPasswordDeptCode(QStringLiteral("4"));
    m_user->attach(m_db.takeConnection(), employeeCode);
    gCurrentUser = m_user.get();
    if (loadSite) {
        LoadSiteInformation();
        gDefaultLocationID = QStringLiteral("94");
        gAllowedInventoryTypes = QStringLiteral("A");
    }
}

TestSession::~TestSession()
{
    SqlTrace::setObserver({});
    ResetSession();
}

Connection *TestSession::connection() const
{
    return m_user->sqlconnection();
}
