#include "tests/support/TestSession.h"

#include "platform/SqlTrace.h"
#include "shell/Session.h"

#include "platform/postgres/ServerAddress.h"
#include "platform/Administration.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <QCoreApplication>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>

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

QString testServer()
{
    return qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER").trimmed();
}

QString serverDatabase(const QString &name)
{
    return testServer() + QStringLiteral(" dbname=") + name;
}

// Runs a statement on the server's maintenance database (creating and dropping databases).
void onServer(const QString &sql)
{
    PGconn *connection = PQconnectdb(ServerAddress::connectionString(testServer()).toUtf8().constData());
    QString failure;
    if (PQstatus(connection) != CONNECTION_OK) {
        failure = QString::fromUtf8(PQerrorMessage(connection));
    } else {
        PGresult *result = PQexec(connection, sql.toUtf8().constData());
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            failure = QString::fromUtf8(PQerrorMessage(connection));
        PQclear(result);
    }
    PQfinish(connection);
    if (!failure.isEmpty())
        fail(QStringLiteral("%1\nin: %2").arg(failure.trimmed(), sql));
}

// SQLite functions that tests use when they arrange or inspect data directly (raw()).
void addRawSupport(const QString &database)
{
    PGconn *connection = PQconnectdb(ServerAddress::connectionString(serverDatabase(database)).toUtf8().constData());
    PGresult *result = PQexec(connection, R"(
        CREATE SCHEMA test_support;
        CREATE FUNCTION test_support.concat_step(state text, value anyelement, separator text) RETURNS text
            LANGUAGE sql IMMUTABLE AS $$ SELECT CASE WHEN value IS NULL THEN state WHEN state IS NULL
                                                     THEN value::text ELSE state || separator || value::text END $$;
        CREATE FUNCTION test_support.concat_one(state text, value anyelement) RETURNS text
            LANGUAGE sql IMMUTABLE AS $$ SELECT test_support.concat_step(state, value, ',') $$;
        CREATE AGGREGATE test_support.group_concat(anyelement) (SFUNC = test_support.concat_one, STYPE = text);
        CREATE AGGREGATE test_support.group_concat(anyelement, text) (SFUNC = test_support.concat_step, STYPE = text);
        CREATE FUNCTION test_support.length(value timestamp) RETURNS integer LANGUAGE sql IMMUTABLE
            AS $$ SELECT length(to_char(value, 'YYYY-MM-DD HH24:MI:SS')) $$;
    )");
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString message = QString::fromUtf8(PQerrorMessage(connection));
    PQclear(result);
    PQfinish(connection);
    if (!ok)
        fail(message);
}

// The template databases of this test program, dropped when it ends.
class ServerTemplates
{
public:
    ~ServerTemplates()
    {
        for (const QString &name : std::as_const(m_names)) {
            try {
                onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (const Error &) {
            }
        }
    }

    QString get(DataFolder::Content content)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const int kind = content == DataFolder::Content::DemoData ? 1 : 0;
        if (m_names[kind].isEmpty()) {
            const QString name = QStringLiteral("ir_template_%1_%2").arg(QCoreApplication::applicationPid()).arg(kind);
            onServer(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
            onServer(QStringLiteral("CREATE DATABASE %1").arg(name));
            m_names[kind] = name;
            ServerSetup::run(serverDatabase(name), content == DataFolder::Content::DemoData
                                                       ? ServerSetup::Content::DemoData
                                                       : ServerSetup::Content::SchemaOnly);
            addRawSupport(name);
        }
        return m_names[kind];
    }

private:
    std::mutex m_mutex;
    QString m_names[2];
};

ServerTemplates &serverTemplates()
{
    static ServerTemplates templates;
    return templates;
}

} // namespace

bool TestDatabase::onServer()
{
    return qEnvironmentVariable("INVENTORY_REQUEST_TEST_BACKEND") == QLatin1String("postgres");
}

QString TestDatabase::serverUnavailable()
{
    if (onServer() && testServer().isEmpty())
        return QStringLiteral("no PostgreSQL server given: INVENTORY_REQUEST_TEST_SERVER names one (bash scripts/test "
                              "starts a private server and sets it)");
    return QString();
}

bool TestDatabase::serverGiven()
{
    return !testServer().isEmpty();
}

TestDatabase::TestDatabase(DataFolder::Content content, Backend backend)
{
    if (!m_dir.isValid())
        fail(QStringLiteral("No temporary folder for the test database."));
    if (backend == Backend::Server || (backend == Backend::Chosen && onServer())) {
        static std::atomic<int> counter{0};
        const QString templateName = serverTemplates().get(content);
        m_serverDatabase =
            QStringLiteral("ir_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        ::onServer(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(m_serverDatabase));
        ::onServer(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_serverDatabase, templateName));
        m_connection = Connection::openServer(serverDatabase(m_serverDatabase));
        m_rawName = QStringLiteral("ir-test-raw:") + m_serverDatabase;
        QSqlDatabase db = ServerAddress::open(serverDatabase(m_serverDatabase), m_rawName);
        QSqlQuery(db).exec(QStringLiteral("SET search_path = inventory, password, test_support, public"));
        return;
    }
    const QDir source(templateFolder(content));
    const QDir target(m_dir.path());
    for (const QString &file : kDatabaseFiles) {
        if (!QFile::copy(source.filePath(file), target.filePath(file)))
            fail(QStringLiteral("Cannot copy the test database %1.").arg(file));
        QFile(target.filePath(file)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    m_connection = Connection::open(m_dir.path());
    openRawConnection(m_dir.path());
    m_rawName = rawConnectionName(m_dir.path());
}

TestDatabase::~TestDatabase()
{
    m_connection.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(m_rawName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_rawName);
    if (!m_serverDatabase.isEmpty()) {
        try {
            ::onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_serverDatabase));
        } catch (const Error &) {
        }
    }
}

QString TestDatabase::serverName() const
{
    return m_serverDatabase.isEmpty() ? QString() : serverDatabase(m_serverDatabase);
}

QString TestDatabase::address() const
{
    return m_serverDatabase.isEmpty() ? folder() : serverDatabase(m_serverDatabase);
}

std::unique_ptr<Connection> TestDatabase::openAnotherConnection() const
{
    return m_serverDatabase.isEmpty() ? Connection::open(folder()) : Connection::openServer(address());
}

void TestDatabase::raw(const QString &sqliteSql) const
{
    if (!m_serverDatabase.isEmpty()) {
        QSqlQuery query(QSqlDatabase::database(m_rawName, false));
        if (!query.exec(sqliteSql))
            fail(QStringLiteral("%1\nin: %2").arg(query.lastError().text(), sqliteSql));
        return;
    }
    QSqlDatabase db = QSqlDatabase::database(m_rawName, false);
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
    QSqlQuery query(QSqlDatabase::database(m_rawName, false));
    if (!query.exec(sqliteSql))
        fail(QStringLiteral("%1\nin: %2").arg(query.lastError().text(), sqliteSql));
    if (!query.next())
        return QVariant();
    // The embedded files keep dates as text; a test reads them the same way from the server.
    const QVariant value = query.value(0);
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (value.typeId() == QMetaType::LongLong && value.toLongLong() == int(value.toLongLong()))
        return int(value.toLongLong());
    return value;
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
