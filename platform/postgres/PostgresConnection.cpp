#include "platform/postgres/PostgresConnection.h"

#include "platform/tsql/SqlTokenizer.h"
#include "platform/StatementRecord.h"
#include "platform/tsql/PostgresPasses.h"
#include "platform/tsql/SchemaFacts.h"
#include "platform/tsql/TsqlAdapter.h"
#include "platform/postgres/Libpq.h"
#include "platform/postgres/PasswordChecks.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/Administration.h"

#include <QHash>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <libpq-fe.h>

#include <atomic>

namespace {

std::atomic<int> g_connectionCounter{0};

// Taken by every transaction of the client: saves queue instead of racing for a number.
constexpr const char *SaveLock = "SELECT pg_advisory_xact_lock(7419263)";

[[noreturn]] void databaseError(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("Database"), description);
}

QStringList spelledColumns(const QSqlRecord &record, const QString &tsql)
{
    QHash<QString, QString> written;
    for (const SqlToken &token : tokenizeSql(tsql)) {
        if (token.kind == SqlToken::Word || token.kind == SqlToken::QuotedName)
            written.insert(token.nameValue().toLower(), token.nameValue());
    }
    QStringList columns;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        // Column names as the schema spells them: PostgreSQL gives unquoted names in lower case,
        // while the client shows and finds them as written.
        const QString spelled = SchemaFacts::spelling(name);
        columns << written.value(name, spelled.isEmpty() ? name : spelled);
    }
    return columns;
}

// Values as the embedded files give them: whole numbers that fit as int, no typed nulls.
QVariant clientValue(QVariant value, QMetaType columnType)
{
    if (value.isNull())
        return QVariant();
    // The driver gives a positive 64-bit count or sum as unsigned.
    if (value.typeId() == QMetaType::ULongLong || columnType.id() == QMetaType::LongLong)
        value = value.toLongLong();
    if (value.typeId() == QMetaType::LongLong) {
        const qlonglong number = value.toLongLong();
        if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
            return int(number);
    }
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    return value;
}

// At most this many inserts wait for the next statement; a longer run is sent in parts.
constexpr int HeldInsertLimit = 1000;

} // namespace

std::unique_ptr<Connection> Connection::openServer(const QString &serverName)
{
    std::unique_ptr<PostgresConnection> connection(new PostgresConnection);
    connection->m_serverName = serverName.trimmed();
    connection->m_name = QStringLiteral("inventory-request-server-%1").arg(++g_connectionCounter);
    connection->connect();
    return connection;
}

PostgresConnection::~PostgresConnection()
{
    closeDatabase();
}

void PostgresConnection::connect()
{
    closeDatabase();
    ServerAddress::open(m_serverName, m_name);
    m_dropped = false;
    m_heldInserts.clear();
    m_watchedTables.clear();
    QSqlQuery query(database());
    // The client names tables with or without their database; a lock held by another
    // workstation is waited for as long as on the embedded files, then reported.
    // The client's statements are short: compiling one to machine code (JIT, which the planner
    // chooses for the processed request list's estimate) costs more than it saves.
    // The client reads few rows by their keys from tables a server keeps in memory: an index
    // look-up costs about as much as reading the next page (the default prices it four times
    // higher, and joins a request's lines to the whole catalogue instead).
    // No parallel workers: starting them costs a search more than they save, and the server's
    // processors serve the other workstations.
    // A backslash in a literal is a character, whatever the server or the address set: the client
    // doubles quotes only, as on SQL Server.
    // A workstation never waits inside a transaction for its user; a session that does (another
    // program on the ward's log-in) would hold the locks every other workstation's save waits for.
    // All in one round trip.
    if (!query.exec(QStringLiteral("SET search_path = inventory, password, public; SET lock_timeout = %1; "
                                   "SET jit = off; SET random_page_cost = 1.1; "
                                   "SET max_parallel_workers_per_gather = 0; SET standard_conforming_strings = on; "
                                   "SET idle_in_transaction_session_timeout = 5000")
                        .arg(busyTimeout())))
        databaseError(query.lastError().text());
    for (const char *check : {"SELECT count(*) FROM inventory.tbInvLocation", "SELECT count(*) FROM password.tbPasswordMain"}) {
        if (!query.exec(QString::fromLatin1(check))) {
            const QString reason = query.lastError().databaseText();
            closeDatabase();
            databaseError(QStringLiteral("The database on the server \"%1\" does not hold the inventory tables, or "
                                         "this log-in may not read them; an administrator sets it up with "
                                         "\"inventory-request-admin setup\".\n%2")
                              .arg(ServerAddress::withoutPassword(m_serverName), reason.trimmed()));
        }
    }
    // A database set up by an earlier version compares texts otherwise; the administrator upgrades
    // it once for every workstation.
    const int version = query.exec(QStringLiteral("SELECT max(Version) FROM inventory.tbInvSchemaVersion")) && query.next()
                            ? query.value(0).toInt()
                            : 0;
    if (version < ServerSetup::SchemaVersion) {
        closeDatabase();
        databaseError(QStringLiteral("The database on the server \"%1\" was set up by an earlier version of the program "
                                     "(schema version %2; this one needs %3). An administrator upgrades it, keeping "
                                     "every row, with \"inventory-request-admin upgrade\".")
                          .arg(ServerAddress::withoutPassword(m_serverName))
                          .arg(version)
                          .arg(ServerSetup::SchemaVersion));
    }
    if (!m_logonToken.isEmpty())
        resumeLogon();
}

// A call of a password check, the values bound (libpq sends them apart from the text, so no
// password reaches a statement text); each row's values as text, null kept as a null QString.
QVector<QStringList> PostgresConnection::callChecking(const char *call, const QStringList &values)
{
    if (m_transactionDepth > 0)
        sendHeldInserts();
    else
        reconnectIfDropped();
    PGconn *native = nativeHandle();
    if (!native)
        databaseError(QStringLiteral("The connection to the database server is not open."));
    StatementRecord::ran(StatementRecord::Engine::Postgres, QString::fromUtf8(call));
    const PgResult result = execBound(native, call, values);
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK) {
        const char *state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
        const char *primary = PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY);
        const QString code = QString::fromLatin1(state ? state : "");
        failed(code, QString::fromUtf8(primary ? primary : PQerrorMessage(native)).trimmed(),
               connectionLost(code));
    }
    return resultRows(result.get());
}

QString PostgresConnection::checkLogon(const QString &employeeId, const QString &password)
{
    return checkServerLogon(employeeId, password);
}

// The report's views are made by inventory-request-admin setup, in the inventory schema.
bool PostgresConnection::hasFeature(Feature feature) const
{
    return feature == Feature::StoredReportViews;
}

// The databases are schemas; the main one is "inventory".
bool PostgresConnection::reachesDatabase(const QString &name)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT 1 FROM information_schema.schemata WHERE schema_name = ?"));
    query.addBindValue(name == QLatin1String("main") ? QStringLiteral("inventory") : name.toLower());
    return query.exec() && query.next();
}

QString Connection::serverNameWithoutPassword(const QString &serverName)
{
    return ServerAddress::withoutPassword(serverName);
}

QString PostgresConnection::checkServerLogon(const QString &employeeId, const QString &password)
{
    const QVector<QStringList> rows = callChecking(PasswordChecks::LogonCall, {employeeId, password});
    if (rows.isEmpty())
        return QString();
    if (!rows.first().value(2).isEmpty())
        databaseError(PasswordChecks::lockedOutMessage(employeeId, rows.first().value(2)));
    m_logonToken = rows.first().value(1);
    return rows.first().value(0);
}

// The supervisor prompt's statement answers as the register would: the id and no password when
// the server accepts it, no row when not.
ResultTable PostgresConnection::checkSupervisor(const PasswordChecks::SupervisorCheck &check)
{
    const QVector<QStringList> rows =
        callChecking(PasswordChecks::SupervisorCall, {check.employeeId, check.password});
    if (!rows.isEmpty() && !rows.first().value(1).isEmpty())
        databaseError(PasswordChecks::lockedOutMessage(check.employeeId, rows.first().value(1)));
    ResultTable table;
    table.columns = QStringList{QStringLiteral("EmployeeId"), QStringLiteral("Password")};
    if (!rows.isEmpty() && rows.first().value(0) == QLatin1String("t"))
        table.rows.append({check.employeeId, QVariant()});
    return table;
}

void PostgresConnection::resumeLogon()
{
    const QVector<QStringList> rows = callChecking(PasswordChecks::ResumeCall, {m_logonToken});
    // An expired log-on leaves the session without one: the server then refuses its writes.
    if (rows.isEmpty() || rows.first().value(0) != QLatin1String("t"))
        m_logonToken.clear();
}

PGconn *PostgresConnection::nativeHandle() const
{
    return ::nativeHandle(database());
}

bool PostgresConnection::dropped() const
{
    PGconn *native = nativeHandle();
    return !native || PQstatus(native) == CONNECTION_BAD;
}

// The server ended the session (a restart, an administrator) or the network cut it; libpq may
// see the socket closed only on its next call, so the error's SQLSTATE tells it first.
bool PostgresConnection::connectionLost(const QString &sqlState) const
{
    return dropped() || sqlState.startsWith(QLatin1String("08")) || sqlState.startsWith(QLatin1String("57P"));
}

void PostgresConnection::reconnectIfDropped()
{
    if (m_dropped || dropped())
        connect();
}

QSqlQuery PostgresConnection::exec(const QString &sql, const QVariantList &values)
{
    StatementRecord::ran(StatementRecord::Engine::Postgres, sql, values);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    bool ok;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = ok && query.exec();
    }
    if (ok)
        return query;
    const QSqlError error = query.lastError();
    const QString reason = (error.databaseText().trimmed().isEmpty() ? error.text() : error.databaseText()).trimmed();
    failed(error.nativeErrorCode(), reason, connectionLost(error.nativeErrorCode()));
}

void PostgresConnection::failed(const QString &code, const QString &reason, bool lost)
{
    if (lost) {
        // Whatever the open transaction held is gone with the connection; nothing was half-saved.
        m_dropped = true;
        m_transactionDepth = 0;
        databaseError(QStringLiteral("The connection to the database server was lost; what was being saved was "
                                     "not saved. Please try again: the program connects anew.\n(%1)")
                          .arg(reason));
    }
    if (code == QLatin1String("55P03")) {
        m_lockWaitFailed = true;
        databaseError(QStringLiteral("The database is in use by another workstation and did not become free in "
                                     "time; please try again. (%1)")
                          .arg(reason));
    }
    databaseError(reason);
}

// The held inserts, in one round trip of the simple-query protocol: the server runs them in order
// and stops at the first that fails, which the results tell apart one by one.
void PostgresConnection::sendHeldInserts()
{
    if (m_heldInserts.isEmpty())
        return;
    const QVector<HeldInsert> held = std::exchange(m_heldInserts, {});
    PGconn *native = nativeHandle();
    // Only on a connection that is idle in its transaction (Qt's driver has read every result).
    if (held.size() == 1 || !native || PQtransactionStatus(native) != PQTRANS_INTRANS) {
        for (const HeldInsert &insert : held)
            exec(QString::fromUtf8(insert.sql));
        return;
    }
    QByteArray batch;
    qsizetype size = 0;
    for (const HeldInsert &insert : held)
        size += insert.sql.size() + 3;
    batch.reserve(size);
    for (const HeldInsert &insert : held) {
        StatementRecord::ran(StatementRecord::Engine::Postgres, QString::fromUtf8(insert.sql));
        batch += insert.sql;
        batch += "\n;\n";
    }
    if (!PQsendQuery(native, batch.constData()))
        failed(QString(), QString::fromUtf8(PQerrorMessage(native)).trimmed(), dropped());
    int index = 0;
    int failedAt = -1;
    QString code;
    QString reason;
    while (PGresult *result = PQgetResult(native)) {
        const ExecStatusType status = PQresultStatus(result);
        if (failedAt < 0 && status != PGRES_COMMAND_OK) {
            failedAt = index;
            code = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
            reason = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
            if (reason.isEmpty())
                reason = QString::fromUtf8(PQerrorMessage(native)).trimmed();
        }
        PQclear(result);
        ++index;
    }
    if (failedAt < 0 && index < held.size()) {
        failedAt = index;
        reason = QString::fromUtf8(PQerrorMessage(native)).trimmed();
    }
    if (failedAt < 0)
        return;
    failed(code, QStringLiteral("%1\n(in: %2)").arg(reason, held.at(qMin(failedAt, int(held.size()) - 1)).statement),
           connectionLost(code));
}

// Whether an update of the table must run as an update: a trigger on updates other than the texts'
// trimming (which leaves trimmed texts as they are) and the requests' guards would see it.
bool PostgresConnection::lockNeedsUpdate(const QString &target)
{
    const auto known = m_watchedTables.constFind(target);
    if (known != m_watchedTables.constEnd())
        return *known;
    // The requests' guards see an update only when it changes a row, and their audit only what changed.
    QSqlQuery query =
        exec(QStringLiteral("SELECT count(*) FROM pg_catalog.pg_trigger WHERE tgrelid = to_regclass(?) "
                            "AND NOT tgisinternal AND (tgtype & 16) <> 0 AND tgname NOT IN "
                            "('trim_trailing_blanks', 'guard_request_marks', 'audit_request_marks')"),
             {target});
    // A table the server does not know fails as the update would.
    const bool watched = !query.next() || query.value(0).toLongLong() > 0;
    m_watchedTables.insert(target, watched);
    return watched;
}

// A call names a procedure the database has, with as many arguments as it takes (parameters with
// a default may be left out; of several procedures of the name, any one may take the call); the
// messages are SQL Server's.
void PostgresConnection::checkArguments(const AdaptedStatement &call)
{
    const QString name = call.procedure.toLower();
    if (!m_parameterCounts.contains(name)) {
        QSqlQuery query = exec(QStringLiteral("SELECT min(p.pronargs - p.pronargdefaults), max(p.pronargs) FROM "
                                              "pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = "
                                              "p.pronamespace WHERE n.nspname = 'inventory' AND p.proname = ?"),
                               {name});
        const bool found = query.next() && !query.value(0).isNull();
        m_parameterCounts.insert(name, found ? std::pair{query.value(0).toInt(), query.value(1).toInt()}
                                             : std::pair{-1, -1});
    }
    const auto [fewest, most] = m_parameterCounts.value(name);
    if (most < 0)
        databaseError(QStringLiteral("Could not find stored procedure '%1'.").arg(call.procedure));
    if (call.arguments.size() > most)
        databaseError(QStringLiteral("Procedure or function %1 has too many arguments specified.").arg(call.procedure));
    if (call.arguments.size() < fewest)
        databaseError(QStringLiteral("Procedure or function '%1' expects parameter %2, which was not supplied.")
                          .arg(call.procedure)
                          .arg(call.arguments.size() + 1));
}

ResultTable PostgresConnection::run(const QString &sql)
{
    if (const std::optional<PasswordChecks::SupervisorCheck> check = PasswordChecks::supervisorCheck(sql))
        return checkSupervisor(*check);
    const AdaptedStatement adapted = TsqlAdapter::adapt(sql, SqlDialect::Postgres);
    // The server would run every statement of the text, as the embedded files' engine would not.
    if (!adapted.isProcedureCall() && !holdsOneStatement(adapted.sql))
        databaseError(OneStatementOnlyMessage());
    if (m_transactionDepth > 0) {
        if (m_dropped)
            databaseError(QStringLiteral("The connection to the database server was lost."));
        QByteArray held = PostgresPasses::heldInsert(adapted);
        if (!held.isEmpty()) {
            m_heldInserts.append({std::move(held), sql});
            if (m_heldInserts.size() >= HeldInsertLimit)
                sendHeldInserts();
            return ResultTable();
        }
        sendHeldInserts();
        return runAdapted(adapted, sql);
    }
    reconnectIfDropped();
    try {
        return runAdapted(adapted, sql);
    } catch (const Error &) {
        // A session the server ended while the workstation sat idle shows only now. A read runs
        // again on a new connection; a write may have reached the server, so its failure is told.
        const bool read = !adapted.isProcedureCall() && adapted.sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
        if (!m_dropped || !read)
            throw;
    }
    connect();
    return runAdapted(adapted, sql);
}

ResultTable PostgresConnection::runAdapted(const AdaptedStatement &adapted, const QString &sql)
{
    QSqlQuery query;
    if (adapted.isProcedureCall()) {
        QStringList marks;
        QVariantList values;
        for (const QVariant &argument : adapted.arguments) {
            marks << QStringLiteral("?");
            values << (argument.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(argument.toString()));
        }
        checkArguments(adapted);
        query = exec(QStringLiteral("SELECT * FROM inventory.%1(%2)")
                         .arg(adapted.procedure.toLower(), marks.join(QStringLiteral(", "))),
                     values);
    } else if (const auto lock = m_transactionDepth > 0 ? PostgresPasses::rowLock(adapted.sql) : std::nullopt;
               lock && !lockNeedsUpdate(lock->target)) {
        query = exec(lock->sql);
        return ResultTable();
    } else {
        // Outside a transaction only, so that a folded form the server refuses costs no more than
        // running the statement as it was.
        const QString folded = m_transactionDepth == 0 && !m_unfoldable.contains(adapted.sql)
                                   ? PostgresPasses::foldedDistinct(adapted.sql)
                                   : QString();
        if (folded.isEmpty()) {
            query = exec(adapted.sql);
        } else {
            try {
                query = exec(folded);
            } catch (const Error &) {
                if (m_dropped)
                    throw;
                m_unfoldable.insert(adapted.sql);
                query = exec(adapted.sql);
            }
        }
    }
    ResultTable table;
    if (!query.isSelect())
        return table;
    const QSqlRecord record = query.record();
    table.columns = spelledColumns(record, sql);
    // The column types once, not a copy of the field per value read.
    QVector<QMetaType> types(record.count());
    for (int i = 0; i < record.count(); ++i)
        types[i] = record.field(i).metaType();
    if (query.size() > 0)
        table.rows.reserve(query.size());
    while (query.next()) {
        QVector<QVariant> row(types.size());
        for (int i = 0; i < types.size(); ++i)
            row[i] = clientValue(query.value(i), types.at(i));
        table.rows.append(std::move(row));
    }
    return table;
}

// Nested transactions are savepoints, so an inner rollback undoes only its own work.
void PostgresConnection::beginTransaction()
{
    reconnectIfDropped();
    try {
        exec(QStringLiteral("BEGIN"));
    } catch (const Error &) {
        if (!m_dropped)
            throw;
        connect(); // ended while idle: nothing was begun yet, so begin anew
        exec(QStringLiteral("BEGIN"));
    }
    takeSaveLock();
}

void PostgresConnection::savepoint(int level)
{
    sendHeldInserts();
    exec(QStringLiteral("SAVEPOINT level%1").arg(level));
}

// Takes the save lock in the transaction just begun. A wait in vain ends the transaction; when that
// ends a stuck workstation's session, the transaction begins anew and waits once more.
void PostgresConnection::takeSaveLock()
{
    m_lockWaitFailed = false;
    for (int attempt = 0;; ++attempt) {
        try {
            exec(QString::fromLatin1(SaveLock));
            return;
        } catch (const Error &) {
            if (m_dropped)
                throw;
            exec(QStringLiteral("ROLLBACK"));
            if (attempt > 0 || !endStuckSessionsAfterLockWait())
                throw;
            exec(QStringLiteral("BEGIN"));
        }
    }
}

// A session of a workstation's log-in that holds a transaction idle (its own timeout turned off)
// would keep every other workstation from saving; after a wait in vain the server ends such
// sessions. Whether any was ended; false on a server that cannot (an older set-up, or one without
// the right to), where the wait's message stands.
bool PostgresConnection::endStuckSessionsAfterLockWait()
{
    if (!std::exchange(m_lockWaitFailed, false))
        return false;
    try {
        QSqlQuery ended = exec(QStringLiteral("SELECT inventory.end_stuck_sessions()"));
        return ended.next() && ended.value(0).toInt() > 0;
    } catch (const Error &) {
        return false;
    }
}

void PostgresConnection::commitTransaction()
{
    try {
        sendHeldInserts();
    } catch (const Error &) {
        // A held insert failed: the transaction ends here, rolled back, as a failed commit does.
        if (!m_dropped) {
            m_transactionDepth = 0;
            exec(QStringLiteral("ROLLBACK"));
        }
        throw;
    }
    m_transactionDepth = 0;
    try {
        exec(QStringLiteral("COMMIT"));
    } catch (const Error &) {
        if (!m_dropped)
            throw;
        // The server may have stored the work just before the connection went, or not.
        databaseError(QStringLiteral("The connection to the database server was lost while the save was being "
                                     "completed, so it is not known whether it was saved. Please look at the "
                                     "request list before saving again: the program connects anew."));
    }
}

void PostgresConnection::releaseSavepoint(int level)
{
    sendHeldInserts();
    exec(QStringLiteral("RELEASE SAVEPOINT level%1").arg(level));
}

// Held inserts came after the last savepoint (each one sends them): a rollback undoes them unsent.
bool PostgresConnection::transactionEndedByEngine()
{
    m_heldInserts.clear();
    return m_dropped; // the server rolled it back when the connection went
}

void PostgresConnection::rollbackTransaction()
{
    m_heldInserts.clear();
    exec(QStringLiteral("ROLLBACK"));
    // A row or table lock waited for in vain: the next try finds it free if a stuck
    // workstation held it.
    endStuckSessionsAfterLockWait();
}

void PostgresConnection::rollbackToSavepoint(int level)
{
    m_heldInserts.clear();
    exec(QStringLiteral("ROLLBACK TO SAVEPOINT level%1").arg(level));
    exec(QStringLiteral("RELEASE SAVEPOINT level%1").arg(level));
}
