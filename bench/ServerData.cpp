#include "bench/ServerData.h"

#include "platform/Error.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/Administration.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QStandardPaths>
#include <QUuid>
#include <QVersionNumber>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace ServerData {
namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("ServerData"), description);
}

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

class Server
{
public:
    explicit Server(const QString &serverName)
        : m_connection(PQconnectdb(ServerAddress::connectionString(serverName).toUtf8().constData()), &PQfinish)
    {
        if (PQstatus(m_connection.get()) != CONNECTION_OK)
            fail(QStringLiteral("Cannot connect to %1: %2").arg(serverName, error()));
        PQsetNoticeProcessor(m_connection.get(), [](void *, const char *) {}, nullptr);
    }

    PGconn *handle() const { return m_connection.get(); }
    QString error() const { return QString::fromUtf8(PQerrorMessage(m_connection.get())).trimmed(); }

    Result exec(const QString &sql)
    {
        Result result(PQexec(m_connection.get(), sql.toUtf8().constData()), &PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN)
            fail(QStringLiteral("%1\nin: %2").arg(error(), sql));
        return result;
    }

    QString value(const QString &sql)
    {
        const Result result = exec(sql);
        return PQntuples(result.get()) > 0 ? QString::fromUtf8(PQgetvalue(result.get(), 0, 0)) : QString();
    }

private:
    std::unique_ptr<PGconn, decltype(&PQfinish)> m_connection;
};

QString quoted(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

QString onDatabase(const QString &maintenanceServer, const QString &database)
{
    return maintenanceServer + QStringLiteral(" dbname=") + database;
}

bool databaseExists(Server &server, const QString &name)
{
    return !server.value(QStringLiteral("SELECT 1 FROM pg_catalog.pg_database WHERE datname = %1").arg(quoted(name)))
                .isEmpty();
}

// The program of Debian's newest PostgreSQL, or the one on the PATH.
QString postgresProgram(const QString &name)
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QVersionNumber newest;
    QString found;
    for (const QString &version : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString path = versions.filePath(version + QStringLiteral("/bin/") + name);
        if (QFileInfo(path).isExecutable() && QVersionNumber::fromString(version) > newest) {
            newest = QVersionNumber::fromString(version);
            found = path;
        }
    }
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        fail(QStringLiteral("The PostgreSQL program %1 is not installed.").arg(name));
    return found;
}

void runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(postgresProgram(program), arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(QStringLiteral("%1 failed:\n%2").arg(program, QString::fromUtf8(process.readAll()).trimmed()));
}

// One table's rows from SQLite into COPY's text format, sent in large pieces.
class CopyStream
{
public:
    explicit CopyStream(Server &server) : m_server(server) { m_buffer.reserve(Chunk + 4096); }

    void field(const unsigned char *text, int length, bool first)
    {
        if (!first)
            m_buffer.push_back('\t');
        if (!text) {
            m_buffer.append("\\N");
            return;
        }
        for (int i = 0; i < length; ++i) {
            const char c = char(text[i]);
            switch (c) {
            case '\\': m_buffer.append("\\\\"); break;
            case '\t': m_buffer.append("\\t"); break;
            case '\n': m_buffer.append("\\n"); break;
            case '\r': m_buffer.append("\\r"); break;
            default: m_buffer.push_back(c);
            }
        }
    }

    void endRow()
    {
        m_buffer.push_back('\n');
        if (m_buffer.size() >= Chunk)
            flush();
    }

    void finish()
    {
        flush();
        if (PQputCopyEnd(m_server.handle(), nullptr) != 1)
            fail(m_server.error());
        Result result(PQgetResult(m_server.handle()), &PQclear);
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
            fail(m_server.error());
        while (PGresult *rest = PQgetResult(m_server.handle()))
            PQclear(rest);
    }

private:
    static constexpr size_t Chunk = 1 << 20;

    void flush()
    {
        if (!m_buffer.empty() && PQputCopyData(m_server.handle(), m_buffer.data(), int(m_buffer.size())) != 1)
            fail(m_server.error());
        m_buffer.clear();
    }

    Server &m_server;
    std::string m_buffer;
};

struct SqliteFolder
{
    QString name = QStringLiteral("ir-server-data-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    sqlite3 *db = nullptr;

    explicit SqliteFolder(const QString &folder)
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        connection.setDatabaseName(QDir(folder).filePath(QStringLiteral("INVENTORY.sqlite")));
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!connection.open())
            fail(connection.lastError().text());
        registerSqlServerDialect(connection);
        db = sqliteHandle(connection);
        const QString password = QDir(folder).filePath(QStringLiteral("Password.sqlite"));
        exec(QStringLiteral("ATTACH DATABASE %1 AS Password").arg(quoted(password)));
    }
    ~SqliteFolder()
    {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }

    void exec(const QString &sql)
    {
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sqlite3_errmsg(db)));
    }

    sqlite3_stmt *prepare(const QString &sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral("\nin: ") + sql);
        return statement;
    }

    // Lower-case table name -> the name as the file spells it.
    QHash<QString, QString> tables(const QString &schema)
    {
        QHash<QString, QString> names;
        sqlite3_stmt *statement =
            prepare(QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table'").arg(schema));
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const QString table = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
            names.insert(table.toLower(), table);
        }
        sqlite3_finalize(statement);
        return names;
    }

    QHash<QString, QString> columns(const QString &schema, const QString &table)
    {
        QHash<QString, QString> names;
        sqlite3_stmt *statement = prepare(QStringLiteral("PRAGMA %1.table_info(%2)").arg(schema, quoted(table)));
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const QString column = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1)));
            names.insert(column.toLower(), column);
        }
        sqlite3_finalize(statement);
        return names;
    }
};

QString identifier(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// Copies the rows of every server table that the set-up left empty from the file's table of the
// same name, column by column as both name them.
void copyRows(SqliteFolder &files, Server &server)
{
    const Result columns = server.exec(QStringLiteral(
        "SELECT c.table_schema, c.table_name, c.column_name FROM information_schema.columns c "
        "JOIN information_schema.tables t ON t.table_schema = c.table_schema AND t.table_name = c.table_name "
        "WHERE c.table_schema IN ('inventory', 'password') AND t.table_type = 'BASE TABLE' "
        "ORDER BY c.table_schema, c.table_name, c.ordinal_position"));
    struct Table
    {
        QString schema, name;
        QStringList columns;
    };
    std::vector<Table> tables;
    for (int row = 0; row < PQntuples(columns.get()); ++row) {
        const QString schema = QString::fromUtf8(PQgetvalue(columns.get(), row, 0));
        const QString name = QString::fromUtf8(PQgetvalue(columns.get(), row, 1));
        if (tables.empty() || tables.back().schema != schema || tables.back().name != name)
            tables.push_back({schema, name, {}});
        tables.back().columns << QString::fromUtf8(PQgetvalue(columns.get(), row, 2));
    }

    const QHash<QString, QString> fileTables[2] = {files.tables(QStringLiteral("main")),
                                                   files.tables(QStringLiteral("Password"))};
    for (const Table &table : tables) {
        const bool password = table.schema == QLatin1String("password");
        const QString fileSchema = password ? QStringLiteral("Password") : QStringLiteral("main");
        const QString fileTable = fileTables[password ? 1 : 0].value(table.name.toLower());
        const QString serverTable = identifier(table.schema) + QLatin1Char('.') + identifier(table.name);
        // Tables the set-up fills itself (the schema version) keep its rows.
        if (fileTable.isEmpty() || !server.value(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(serverTable)).isEmpty())
            continue;
        const QHash<QString, QString> fileColumns = files.columns(fileSchema, fileTable);
        QStringList serverNames, fileNames;
        for (const QString &column : table.columns) {
            const QString fileColumn = fileColumns.value(column.toLower());
            if (fileColumn.isEmpty())
                continue;
            serverNames << identifier(column);
            fileNames << identifier(fileColumn);
        }
        if (serverNames.isEmpty())
            continue;
        server.exec(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(serverTable, serverNames.join(QStringLiteral(", "))));
        CopyStream copy(server);
        sqlite3_stmt *statement = files.prepare(QStringLiteral("SELECT %1 FROM %2.%3")
                                                    .arg(fileNames.join(QStringLiteral(", ")), fileSchema,
                                                         identifier(fileTable)));
        const int count = int(fileNames.size());
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int c = 0; c < count; ++c) {
                const unsigned char *text =
                    sqlite3_column_type(statement, c) == SQLITE_NULL ? nullptr : sqlite3_column_text(statement, c);
                copy.field(text, text ? sqlite3_column_bytes(statement, c) : 0, c == 0);
            }
            copy.endRow();
        }
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(files.db)));
        copy.finish();
    }
}

// Names the data set and the server schema it was loaded with, for the template and the dump.
QString dataSetKey(const QString &folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QFileInfo(folder).fileName().toUtf8());
    // Every server script of the set-up (the schema, functions, roles, triggers).
    const QDir scripts(QStringLiteral(":/db/postgres"));
    for (const QString &script : scripts.entryList(QDir::Files, QDir::Name)) {
        QFile file(scripts.filePath(script));
        if (file.open(QIODevice::ReadOnly))
            hash.addData(file.readAll());
    }
    return QString::fromLatin1(hash.result().toHex().left(16));
}

} // namespace

void load(const QString &folder, const QString &serverName)
{
    ServerSetup::run(serverName, ServerSetup::Content::SchemaOnly);
    SqliteFolder files(folder);
    Server server(serverName);
    server.exec(QStringLiteral("BEGIN"));
    copyRows(files, server);
    // New request lines are numbered after those copied, as the set-up does for its own rows.
    server.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('inventory.tbinvwithdrawrequest', "
                               "'withdrawrequestid'), coalesce(max(WithdrawRequestID), 0) + 1, false) "
                               "FROM inventory.tbInvWithdrawRequest"));
    server.exec(QStringLiteral("COMMIT"));
    // A bulk load leaves no statistics and no visibility map: plans would guess and index-only
    // scans would visit the table. A database in use has both from autovacuum.
    server.exec(QStringLiteral("VACUUM (ANALYZE)"));
}

QString workingDatabase(const QString &maintenanceServer, const QString &folder, const QString &dumpFolder,
                        const QString &workName)
{
    const QString key = dataSetKey(folder);
    const QString templateName = QStringLiteral("ir_bench_") + key;
    const QString dump = QDir(dumpFolder).filePath(QFileInfo(folder).fileName() + QStringLiteral("-pg") + key +
                                                   QStringLiteral(".dump"));
    Server server(maintenanceServer);
    if (!databaseExists(server, templateName)) {
        const QString building = templateName + QStringLiteral("_building");
        server.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(building));
        server.exec(QStringLiteral("CREATE DATABASE %1").arg(building));
        const QString buildingServer = onDatabase(maintenanceServer, building);
        if (QFileInfo::exists(dump)) {
            // The dump's objects belong to the owner role and are granted to the workstations' and
            // the supply's roles; roles belong to the whole server, which may be a new one.
            server.exec(QStringLiteral(
                "DO $$ DECLARE name text; BEGIN FOREACH name IN ARRAY ARRAY['inventory_request_owner', "
                "'inventory_request_client', 'inventory_request_supply'] LOOP IF NOT EXISTS (SELECT FROM "
                "pg_roles WHERE rolname = name) THEN EXECUTE format('CREATE ROLE %I NOLOGIN', name); END IF; "
                "END LOOP; END $$"));
            runProgram(QStringLiteral("pg_restore"),
                       {QStringLiteral("--exit-on-error"), QStringLiteral("--jobs=2"),
                        QStringLiteral("--dbname=") + ServerAddress::connectionString(buildingServer), dump});
            Server restored(buildingServer);
            restored.exec(QStringLiteral("VACUUM (ANALYZE)"));
        } else {
            load(folder, buildingServer);
            const QString partial = dump + QStringLiteral(".part");
            runProgram(QStringLiteral("pg_dump"),
                       {QStringLiteral("--format=custom"), QStringLiteral("--compress=1"),
                        QStringLiteral("--file=") + partial,
                        QStringLiteral("--dbname=") + ServerAddress::connectionString(buildingServer)});
            QFile::remove(dump);
            if (!QFile::rename(partial, dump))
                fail(QStringLiteral("Cannot rename %1 to %2.").arg(partial, dump));
        }
        server.exec(QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(building, templateName));
    }
    server.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(workName));
    server.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(workName, templateName));
    return onDatabase(maintenanceServer, workName);
}

void dropDatabase(const QString &maintenanceServer, const QString &name)
{
    Server server(maintenanceServer);
    server.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

} // namespace ServerData
