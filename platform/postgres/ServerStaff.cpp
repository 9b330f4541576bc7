#include "platform/Administration.h"

#include "platform/Error.h"
#include "platform/postgres/Libpq.h"

#include <QStringList>

namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("ServerStaff"), description);
}

class Administrator
{
public:
    explicit Administrator(const QString &serverName)
        : m_connection(connectDirectly(serverName, QStringLiteral("ServerStaff")))
    {
    }

    // Runs one statement with bound values; the rows as texts.
    QVector<QStringList> run(const char *sql, const QStringList &values = {})
    {
        const PgResult result = execBound(m_connection.get(), sql, values);
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
            fail(QString::fromUtf8(PQerrorMessage(m_connection.get())).trimmed());
        return resultRows(result.get());
    }

private:
    PgConnection m_connection;
};

} // namespace

namespace ServerStaff {

void setPassword(const QString &serverName, const QString &employeeId, const QString &scrambled)
{
    Administrator server(serverName);
    // The trigger store_password_hash turns the scrambled form into its hash as it is written.
    const QVector<QStringList> rows = server.run("WITH changed AS (UPDATE password.tbPasswordMain SET "
                                                 "Password = $2 WHERE EmployeeID = rtrim($1)::citext "
                                                 "RETURNING EmployeeID::text AS id) "
                                                 "SELECT id, audit.record('password set', id) FROM changed",
                                                 {employeeId, scrambled});
    if (rows.isEmpty())
        fail(QStringLiteral("The staff register has no employee \"%1\"; no password was set.")
                 .arg(employeeId));
}

bool unlock(const QString &serverName, const QString &employeeId)
{
    Administrator server(serverName);
    const bool locked = !server.run("SELECT password.locked_until($1::text) IS NOT NULL", {employeeId})
                             .value(0)
                             .value(0)
                             .startsWith(QLatin1Char('f'));
    server.run("SELECT audit.record('unlocked', rtrim($1::text))", {employeeId});
    return locked;
}

QVector<AuditEvent> audit(const QString &serverName, const QString &since)
{
    Administrator server(serverName);
    QVector<AuditEvent> events;
    const QVector<QStringList> rows =
        since.trimmed().isEmpty()
            ? server.run(
                  "SELECT to_char(EventTime, 'YYYY-MM-DD HH24:MI:SS'), Event, coalesce(EmployeeID, ''), "
                  "coalesce(DocumentNumber, ''), DatabaseRole, ClientAddress FROM audit.tbAuditEvent "
                  "ORDER BY AuditID")
            : server.run(
                  "SELECT to_char(EventTime, 'YYYY-MM-DD HH24:MI:SS'), Event, coalesce(EmployeeID, ''), "
                  "coalesce(DocumentNumber, ''), DatabaseRole, ClientAddress FROM audit.tbAuditEvent "
                  "WHERE EventTime >= $1::timestamptz ORDER BY AuditID",
                  {since.trimmed()});
    for (const QStringList &row : rows)
        events.append({row.value(0), row.value(1), row.value(2), row.value(3), row.value(4), row.value(5)});
    return events;
}

} // namespace ServerStaff
