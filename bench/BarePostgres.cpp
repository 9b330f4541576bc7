#include "bench/BarePostgres.h"

#include "platform/tsql/DistinctFirst.h"
#include "platform/Error.h"
#include "platform/tsql/TsqlAdapter.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/tsql/PostgresPasses.h"

#include <libpq-fe.h>

#include <vector>

namespace {

[[noreturn]] void fail(PGconn *connection, const QString &sql)
{
    throw Error(Error::DatabaseError, QStringLiteral("BarePostgres"),
                QString::fromUtf8(PQerrorMessage(connection)).trimmed() + QStringLiteral("\nin: ") + sql);
}

// The client's transactions take this lock first (PostgresConnection).
constexpr const char *SaveLock = "SELECT pg_advisory_xact_lock(7419263)";

} // namespace

BarePostgres::BarePostgres(const QString &serverName)
    : m_connection(PQconnectdb(ServerAddress::connectionString(serverName).toUtf8().constData()))
{
    if (PQstatus(m_connection) != CONNECTION_OK) {
        const QString reason = QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
        PQfinish(m_connection);
        throw Error(Error::DatabaseError, QStringLiteral("BarePostgres"), reason);
    }
    PQsetNoticeProcessor(m_connection, [](void *, const char *) {}, nullptr);
    // The same session settings as the client's connection.
    exec(QStringLiteral("SET search_path = inventory, password, public; SET jit = off"));
}

qint64 BarePostgres::serverProcess() const
{
    return PQbackendPID(m_connection);
}

BarePostgres::~BarePostgres()
{
    PQfinish(m_connection);
}

void BarePostgres::exec(const QString &postgresSql)
{
    PGresult *result = PQexec(m_connection, postgresSql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(m_connection, postgresSql);
}

BarePostgres::Sent BarePostgres::sent(const QString &tsql)
{
    const AdaptedStatement adapted = TsqlAdapter::adapt(tsql, SqlDialect::Postgres);
    Sent statement;
    if (adapted.isProcedureCall()) {
        QStringList marks;
        for (int i = 0; i < adapted.arguments.size(); ++i) {
            marks << QStringLiteral("$%1").arg(i + 1);
            statement.values << adapted.arguments.at(i).toString().toUtf8();
        }
        statement.sql = QStringLiteral("SELECT * FROM inventory.%1(%2)")
                            .arg(adapted.procedure.toLower(), marks.join(QStringLiteral(", ")));
        return statement;
    }
    // The form the client's connection runs, when the statement has one.
    const QString folded = DistinctFirst::rewrite(adapted.sql, PostgresPasses::distinctFirstOptions());
    statement.sql = folded.isEmpty() ? adapted.sql : folded;
    statement.writes = !adapted.sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
    return statement;
}

qint64 BarePostgres::send(const Sent &statement, QString *output)
{
    const QByteArray sql = statement.sql.toUtf8();
    std::vector<const char *> values;
    for (const QByteArray &value : statement.values)
        values.push_back(value.constData());
    PGresult *result = PQexecParams(m_connection, sql.constData(), int(values.size()), nullptr, values.data(), nullptr,
                                    nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        PQclear(result);
        fail(m_connection, statement.sql);
    }
    // Every value read, as a reader of the result must.
    const int rows = PQntuples(result);
    const int columns = PQnfields(result);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const char *value = PQgetvalue(result, row, column);
            if (output)
                *output += QString::fromUtf8(value) + QLatin1Char('\n');
        }
    }
    PQclear(result);
    return rows;
}

qint64 BarePostgres::run(const QStringList &tsqlStatements)
{
    qint64 rows = 0;
    bool inTransaction = false;
    try {
        for (const QString &tsql : tsqlStatements) {
            const Sent statement = sent(tsql);
            if (statement.writes && !inTransaction) {
                exec(QStringLiteral("BEGIN"));
                inTransaction = true;
                exec(QString::fromLatin1(SaveLock));
            }
            rows += send(statement);
        }
    } catch (...) {
        if (inTransaction)
            PQclear(PQexec(m_connection, "ROLLBACK"));
        throw;
    }
    if (inTransaction)
        exec(QStringLiteral("COMMIT"));
    return rows;
}

QString BarePostgres::queryPlan(const QString &tsql)
{
    // A procedure is a SQL function the planner inlines: its plan is that of its body, with the
    // arguments bound.
    Sent statement = sent(tsql);
    const QString asRun = statement.sql;
    statement.sql = QStringLiteral("EXPLAIN (ANALYZE, BUFFERS) ") + statement.sql;
    QString plan;
    exec(QStringLiteral("BEGIN"));
    try {
        send(statement, &plan);
    } catch (...) {
        PQclear(PQexec(m_connection, "ROLLBACK"));
        throw;
    }
    exec(QStringLiteral("ROLLBACK"));
    QString indented = QStringLiteral("  as run: ") + asRun + QLatin1Char('\n');
    for (const QString &line : plan.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        indented += QStringLiteral("  ") + line + QLatin1Char('\n');
    return indented;
}
