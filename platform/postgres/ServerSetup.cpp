#include "platform/postgres/ServerSetup.h"

#include "platform/Error.h"
#include "platform/postgres/ServerAddress.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <libpq-fe.h>

#include <memory>

namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("ServerSetup"), description);
}

QString script(const QString &name)
{
    QFile file(QStringLiteral(":/db/") + name);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("The database script \"%1\" is missing from the program.").arg(name));
    return QString::fromUtf8(file.readAll());
}

// The part of a script of both databases that belongs to one ("-- @database NAME" lines).
QString part(const QString &text, const QString &database)
{
    static const QRegularExpression marker(QStringLiteral("^\\s*--\\s*@database\\s+(\\w+)\\s*$"),
                                           QRegularExpression::MultilineOption);
    QString result;
    QString current = QStringLiteral("inventory");
    int from = 0;
    auto matches = marker.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        if (current == database)
            result += text.mid(from, match.capturedStart() - from);
        current = match.captured(1).toLower();
        from = int(match.capturedEnd());
    }
    if (current == database)
        result += text.mid(from);
    return result;
}

struct Server
{
    std::unique_ptr<PGconn, decltype(&PQfinish)> connection{nullptr, &PQfinish};

    void exec(const QString &sql, const QString &step)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.toUtf8().constData()),
                                                               &PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            fail(QStringLiteral("%1 failed; nothing was changed.\n%2")
                     .arg(step, QString::fromUtf8(PQerrorMessage(connection.get())).trimmed()));
    }

    long long count(const QString &sql)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.toUtf8().constData()),
                                                               &PQclear);
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) != 1)
            fail(QString::fromUtf8(PQerrorMessage(connection.get())).trimmed());
        return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
    }
};

} // namespace

namespace ServerSetup {

void run(const QString &serverName, Content content, const std::function<void(const QString &)> &progress)
{
    auto say = [&](const QString &line) {
        if (progress)
            progress(line);
    };
    Server server;
    server.connection.reset(PQconnectdb(ServerAddress::connectionString(serverName).toUtf8().constData()));
    if (PQstatus(server.connection.get()) != CONNECTION_OK)
        fail(QStringLiteral("The database server \"%1\" cannot be reached or refused the log-on:\n%2")
                 .arg(serverName, QString::fromUtf8(PQerrorMessage(server.connection.get())).trimmed()));
    PQsetNoticeProcessor(server.connection.get(), [](void *, const char *) {}, nullptr);

    const long long tables = server.count(QStringLiteral(
        "SELECT count(*) FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
        "AND n.nspname NOT LIKE 'pg_toast%'"));
    if (tables > 0)
        fail(QStringLiteral("The database \"%1\" already holds %2 tables; the set-up only fills an empty database "
                            "and changed nothing.")
                 .arg(QString::fromUtf8(PQdb(server.connection.get())))
                 .arg(tables));

    server.exec(QStringLiteral("BEGIN"), QStringLiteral("Starting the set-up"));
    say(QStringLiteral("Creating the tables of the schemas inventory and password"));
    server.exec(script(QStringLiteral("postgres/schema.sql")), QStringLiteral("Creating the tables"));
    say(QStringLiteral("Creating the functions and stored procedures"));
    server.exec(script(QStringLiteral("postgres/functions.sql")), QStringLiteral("Creating the functions"));
    if (content == Content::DemoData) {
        say(QStringLiteral("Loading the demo hospital"));
        const QString demo = script(QStringLiteral("demo.sql"));
        server.exec(script(QStringLiteral("postgres/demo-support.sql")), QStringLiteral("Preparing the demo"));
        server.exec(QStringLiteral("SET LOCAL search_path = inventory, setup_support, public;\n") +
                        part(demo, QStringLiteral("inventory")),
                    QStringLiteral("Loading the demo's inventory"));
        server.exec(QStringLiteral("SET LOCAL search_path = password, public;\n") + part(demo, QStringLiteral("password")),
                    QStringLiteral("Loading the demo's staff"));
        server.exec(QStringLiteral("DROP SCHEMA setup_support CASCADE"), QStringLiteral("Finishing the demo"));
    }
    // New request lines are numbered after those already there.
    server.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('inventory.tbinvwithdrawrequest', "
                               "'withdrawrequestid'), coalesce(max(WithdrawRequestID), 0) + 1, false) "
                               "FROM inventory.tbInvWithdrawRequest"),
                QStringLiteral("Numbering the request lines"));
    say(QStringLiteral("Granting the workstations' role inventory_request_client"));
    server.exec(script(QStringLiteral("postgres/roles.sql")), QStringLiteral("Granting the workstations' role"));
    server.exec(QStringLiteral("RESET search_path"), QStringLiteral("Finishing the set-up"));
    server.exec(QStringLiteral("COMMIT"), QStringLiteral("Committing the set-up"));
    say(QStringLiteral("Done"));
}

} // namespace ServerSetup
