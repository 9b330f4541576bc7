// The connection on the embedded SQLite files: INVENTORY.sqlite with Password.sqlite attached.

#include "platform/sqlite/SqliteConnection.h"

#include "platform/StatementRecord.h"
#include "platform/tsql/SqlitePasses.h"
#include "platform/tsql/TsqlAdapter.h"
#include "platform/sqlite/DataFolder.h"
#include "platform/sqlite/FileDamage.h"
#include "platform/sqlite/SchemaUpgrade.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>

#include <sqlite3.h>

#include <atomic>

namespace {

const QString DatabaseSource = QStringLiteral("Database");

std::atomic<int> g_busyTimeout{5000};
std::atomic<int> g_connectionCounter{0};

[[noreturn]] void databaseError(const QString &description)
{
    throw Error(Error::DatabaseError, DatabaseSource, description);
}

QString lastMessage(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

[[noreturn]] void failure(sqlite3 *db, int rc)
{
    if (FileDamage::isDamaged(rc)) {
        const QString folder = QFileInfo(QString::fromUtf8(sqlite3_db_filename(db, "main"))).absolutePath();
        databaseError(QStringLiteral("A database file in the data folder \"%1\" (INVENTORY.sqlite or "
                                     "Password.sqlite) is damaged: %2. %3")
                          .arg(QDir::toNativeSeparators(folder), lastMessage(db), FileDamage::restoreAdvice()));
    }
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        databaseError(
            QStringLiteral("The database is in use by another workstation and did not become free in "
                           "time; please try again. (%1)")
                .arg(lastMessage(db)));
    if ((rc & 0xff) == SQLITE_FULL)
        databaseError(QStringLiteral("The disk that holds the database is full; nothing was changed. Free some "
                                     "space and try again. (%1)")
                          .arg(lastMessage(db)));
    if ((rc & 0xff) == SQLITE_READONLY || (rc & 0xff) == SQLITE_CANTOPEN)
        databaseError(QStringLiteral("The database cannot be written (its folder or file is read-only); nothing "
                                     "was changed. (%1)")
                          .arg(lastMessage(db)));
    databaseError(lastMessage(db));
}

int digits(const QString &text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// 'yyyy-MM-dd', 'yyyy-MM-dd HH:mm:ss' (or with 'T', or with fractions of a second).
QDateTime parseIsoDateTime(const QString &text, bool timeRequired)
{
    const int size = int(text.size());
    if (size < 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return QDateTime();
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    if (!date.isValid())
        return QDateTime();
    if (size == 10)
        return timeRequired ? QDateTime() : QDateTime(date, QTime(0, 0));
    if (size < 19 || (text.at(10) != QLatin1Char(' ') && text.at(10) != QLatin1Char('T')) ||
        text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':'))
        return QDateTime();
    int milliseconds = 0;
    if (size > 19) {
        if (timeRequired || text.at(19) != QLatin1Char('.') || size == 20)
            return QDateTime();
        const int fraction = digits(text, 20, std::min(3, size - 20));
        if (fraction < 0)
            return QDateTime();
        milliseconds = fraction * (size - 20 == 1 ? 100 : size - 20 == 2 ? 10 : 1);
    }
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2), milliseconds);
    if (!time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}

bool isDateType(const char *declared)
{
    if (!declared)
        return false;
    const QByteArray type = QByteArray(declared).toUpper();
    return type.contains("DATE") || type.contains("TIME");
}

QVariant columnValue(sqlite3_stmt *statement, int column, bool dateColumn)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_column_int64(statement, column);
        if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
            return QVariant(int(value));
        return QVariant(value);
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
        const QString text = QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column));
        // A date column gives a date; so does an expression such as GetDate() whose text has
        // exactly the form the database keeps dates in. Text columns stay text.
        if (dateColumn || (text.size() == 19 && !sqlite3_column_decltype(statement, column))) {
            const QDateTime value = parseIsoDateTime(text, !dateColumn);
            if (value.isValid())
                return QVariant(value);
        }
        return QVariant(text);
    }
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(statement, column)));
    }
    default:
        return QVariant();
    }
}

void bindValue(sqlite3_stmt *statement, int index, const QVariant &value)
{
    if (value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(statement, index, value.toDouble());
        break;
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

// The procedures only compare their arguments with columns, and SQL Server's comparison ignores
// trailing blanks while the columns' NOCASE collation does not: a text argument loses them before
// it is bound ('2001  ' finds the employee 2001). The bodies are kept in each file, so files made
// earlier get the same answers.
QVariant comparedArgument(const QVariant &argument)
{
    if (argument.typeId() != QMetaType::QString)
        return argument;
    return TsqlAdapter::withoutTrailingBlanks(argument.toString());
}

// Resets a statement on every way out, so no read transaction stays open behind a cached one.
class StatementUse
{
public:
    StatementUse(sqlite3_stmt *statement, bool owned) : m_statement(statement), m_owned(owned) {}
    ~StatementUse()
    {
        if (m_owned) {
            sqlite3_finalize(m_statement);
        } else {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;

private:
    sqlite3_stmt *m_statement;
    bool m_owned;
};

} // namespace

// ---------------------------------------------------------------------------------------------

struct SqliteConnection::State
{
    sqlite3 *db = nullptr;
    QHash<QString, sqlite3_stmt *> statements; // read-only statements by text
    QHash<QString, sqlite3_stmt *> inserts;    // inserts of literal values, by their form with parameters
    QHash<QString, QString> procedures;        // procedure body by lower-case name

    ~State()
    {
        clearStatements();
        clearInserts();
    }

    void clearStatements()
    {
        for (sqlite3_stmt *statement : std::as_const(statements))
            sqlite3_finalize(statement);
        statements.clear();
    }

    void clearInserts()
    {
        for (sqlite3_stmt *statement : std::as_const(inserts))
            sqlite3_finalize(statement);
        inserts.clear();
    }

    // Inserts that differ only in their values run one prepared statement with the values bound.
    ResultTable insert(const LiteralInsert &insert)
    {
        sqlite3_stmt *statement = inserts.value(insert.shape);
        if (!statement) {
            const QByteArray text = insert.shape.toUtf8();
            const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr);
            if (rc != SQLITE_OK) {
                sqlite3_finalize(statement);
                failure(db, rc);
            }
            if (inserts.size() >= 20)
                clearInserts();
            inserts.insert(insert.shape, statement);
        }
        StatementRecord::ran(StatementRecord::Engine::Sqlite, insert.shape, insert.values);
        StatementUse use(statement, false);
        for (int i = 0; i < insert.values.size(); ++i)
            bindValue(statement, i + 1, insert.values.at(i));
        return run(statement);
    }

    // Whether an UPDATE of the table may fire a trigger, in any of the connection's databases.
    bool hasTriggers(const QString &table)
    {
        const auto [statement, owned] = prepare(QStringLiteral(
            "SELECT 1 FROM main.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE "
            "UNION ALL SELECT 1 FROM Password.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE "
            "UNION ALL SELECT 1 FROM temp.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE"));
        StatementUse use(statement, owned);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(statement);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            failure(db, rc);
        return rc == SQLITE_ROW;
    }

    // A prepared statement and whether the caller must finalize it. Read-only statements are
    // kept for the next time: lists and lookups repeat, while inserts carry their values.
    std::pair<sqlite3_stmt *, bool> prepare(const QString &sql)
    {
        if (sqlite3_stmt *cached = statements.value(sql))
            return {cached, false};
        sqlite3_stmt *statement = fasterForm(sql);
        const QByteArray text = sql.toUtf8();
        const char *tail = nullptr;
        if (!statement) {
            StatementRecord::ran(StatementRecord::Engine::Sqlite, sql);
            const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, &tail);
            if (rc != SQLITE_OK)
                failure(db, rc);
        }
        if (!statement)
            return {nullptr, true};
        for (const char *rest = tail; rest && *rest; ++rest) {
            if (!QChar::isSpace(uchar(*rest)) && *rest != ';') {
                sqlite3_finalize(statement);
                // A second statement can only come from a value that ended its quotes early.
                databaseError(OneStatementOnlyMessage());
            }
        }
        if (!sqlite3_stmt_readonly(statement))
            return {statement, true};
        if (statements.size() >= 200)
            clearStatements();
        statements.insert(sql, statement);
        return {statement, false};
    }

    // The statement in the form that folds rows before looking up, when it has that form and
    // SQLite compiles it; otherwise null, and the statement runs as it was given.
    sqlite3_stmt *fasterForm(const QString &sql)
    {
        const QString rewritten = SqlitePasses::foldedDistinct(sql);
        if (rewritten.isEmpty())
            return nullptr;
        const QByteArray text = rewritten.toUtf8();
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            return nullptr;
        }
        StatementRecord::ran(StatementRecord::Engine::Sqlite, rewritten);
        return statement;
    }

    ResultTable run(sqlite3_stmt *statement)
    {
        ResultTable table;
        const int count = sqlite3_column_count(statement);
        QVector<bool> dateColumns(count);
        for (int i = 0; i < count; ++i) {
            table.columns.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
            dateColumns[i] = isDateType(sqlite3_column_decltype(statement, i));
        }
        // The lines of a request share their dates: a date column's value is converted once for
        // each run of equal texts.
        struct LastDate
        {
            QByteArray text;
            QVariant value;
        };
        QVector<LastDate> lastDates(count);
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            QVector<QVariant> row(count);
            for (int i = 0; i < count; ++i) {
                if (!dateColumns.at(i) || sqlite3_column_type(statement, i) != SQLITE_TEXT) {
                    row[i] = columnValue(statement, i, dateColumns.at(i));
                    continue;
                }
                const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
                const QByteArrayView text(bytes, sqlite3_column_bytes(statement, i));
                LastDate &last = lastDates[i];
                if (last.value.isNull() || last.text != text) {
                    last.value = columnValue(statement, i, true);
                    last.text = text.toByteArray();
                }
                row[i] = last.value;
            }
            table.rows.append(std::move(row));
        }
        if (rc != SQLITE_DONE)
            failure(db, rc);
        return table;
    }

    QString procedureBody(const QString &name)
    {
        const QString key = name.toLower();
        const auto found = procedures.constFind(key);
        if (found != procedures.constEnd())
            return found.value();
        const auto [statement, owned] = prepare(
            QStringLiteral("SELECT Body FROM main.tbInvProcedure WHERE ProcName = ?1 COLLATE NOCASE"));
        StatementUse use(statement, owned);
        const QByteArray text = name.toUtf8();
        sqlite3_bind_text(statement, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            databaseError(QStringLiteral("Could not find stored procedure '%1'.").arg(name));
        if (rc != SQLITE_ROW)
            failure(db, rc);
        const QString body =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)),
                              sqlite3_column_bytes(statement, 0));
        procedures.insert(key, body);
        return body;
    }

    ResultTable call(const AdaptedStatement &adapted)
    {
        const auto [statement, owned] = prepare(procedureBody(adapted.procedure));
        if (!statement)
            return ResultTable();
        StatementUse use(statement, owned);
        const int parameters = sqlite3_bind_parameter_count(statement);
        if (adapted.arguments.size() > parameters)
            databaseError(QStringLiteral("Procedure or function %1 has too many arguments specified.")
                              .arg(adapted.procedure));
        if (adapted.arguments.size() < parameters)
            databaseError(QStringLiteral("Procedure or function '%1' expects parameter %2, which was not "
                                         "supplied.")
                              .arg(adapted.procedure)
                              .arg(adapted.arguments.size() + 1));
        for (int i = 0; i < adapted.arguments.size(); ++i)
            bindValue(statement, i + 1, comparedArgument(adapted.arguments.at(i)));
        return run(statement);
    }
};

// ---------------------------------------------------------------------------------------------
// ---------------------------------------------------------------------------------------------

SqliteConnection::SqliteConnection() : m_state(std::make_unique<State>()) {}

void Connection::setBusyTimeout(int milliseconds)
{
    g_busyTimeout = milliseconds;
}

int Connection::busyTimeout()
{
    return g_busyTimeout;
}

std::unique_ptr<Connection> Connection::open(const QString &folder)
{
    const QString inventoryPath = QDir(folder).filePath(QStringLiteral("INVENTORY.sqlite"));
    const QString passwordPath = QDir(folder).filePath(QStringLiteral("Password.sqlite"));
    auto cannotOpen = [](const QString &path, const QString &reason, const QString &advice = QString()) {
        databaseError(QStringLiteral("The database file %1 cannot be opened: %2")
                          .arg(QDir::toNativeSeparators(path), reason)
                      + (advice.isEmpty() ? QString() : QLatin1Char(' ') + advice));
    };
    // SQLite would quietly create a missing file; a missing database is a failure here.
    for (const QString &path : {inventoryPath, passwordPath}) {
        const QFileInfo info(path);
        if (!info.exists())
            cannotOpen(path, QStringLiteral("the file does not exist."), FileDamage::restoreAdvice());
        if (!info.isFile())
            cannotOpen(path, QStringLiteral("it is not a file."));
    }

    SchemaUpgrade::upgradeFile(inventoryPath, QStringLiteral("inventory"));
    SchemaUpgrade::upgradeFile(passwordPath, QStringLiteral("password"));

    std::unique_ptr<SqliteConnection> connection(new SqliteConnection);
    connection->m_folder = folder;
    connection->m_name = QStringLiteral("inventory-request-%1").arg(++g_connectionCounter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->m_name);
        db.setDatabaseName(inventoryPath);
        if (!db.open())
            cannotOpen(inventoryPath, db.lastError().text());
        connection->m_state->db = sqliteHandle(db);
        registerSqlServerDialect(db);
    }
    sqlite3 *db = connection->m_state->db;
    sqlite3_busy_timeout(db, g_busyTimeout);

    auto check = [&](const QString &path, const char *sql) {
        const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            cannotOpen(path, lastMessage(db) + QLatin1Char('.'), FileDamage::isDamaged(rc) ? FileDamage::restoreAdvice() : QString());
    };
    check(inventoryPath, "SELECT count(*) FROM main.sqlite_master");
    {
        sqlite3_stmt *attach = nullptr;
        const QByteArray path = passwordPath.toUtf8();
        int rc = sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS Password", -1, &attach, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(attach, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(attach);
        }
        sqlite3_finalize(attach);
        if (rc != SQLITE_OK && rc != SQLITE_DONE)
            cannotOpen(passwordPath, lastMessage(db) + QLatin1Char('.'), FileDamage::isDamaged(rc) ? FileDamage::restoreAdvice() : QString());
    }
    check(passwordPath, "SELECT count(*) FROM Password.sqlite_master");
    // Write-ahead logging lets several client processes read while one writes. A file on a
    // read-only medium keeps its journal mode; that is no reason to refuse it.
    // A page cache of 16 MB keeps the pages a list or a search reads between one refresh and the
    // next, instead of reading them again from the file.
    for (const char *pragma : {"PRAGMA main.journal_mode=WAL", "PRAGMA Password.journal_mode=WAL",
                               "PRAGMA main.synchronous=NORMAL", "PRAGMA Password.synchronous=NORMAL",
                               "PRAGMA main.cache_size=-16384"})
        sqlite3_exec(db, pragma, nullptr, nullptr, nullptr);
    DataFolder::updateIndexes(db);
    return connection;
}

SqliteConnection::~SqliteConnection()
{
    if (m_state && m_state->db && m_transactionDepth > 0)
        sqlite3_exec(m_state->db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (m_state && m_state->db) {
        // Keeps the query planner's statistics in step with the growing data (sampled, so closing
        // stays quick); skipped at once when another workstation holds the database.
        sqlite3_busy_timeout(m_state->db, 0);
        sqlite3_exec(m_state->db, "PRAGMA analysis_limit=1000; PRAGMA optimize;", nullptr, nullptr, nullptr);
    }
    m_state.reset();
    closeDatabase();
}

ResultTable SqliteConnection::run(const QString &sql)
{
    try {
        const AdaptedStatement adapted = TsqlAdapter::adapt(sql);
        if (adapted.isProcedureCall())
            return m_state->call(adapted);
        if (const auto insert = SqlitePasses::boundInsert(adapted.sql))
            return m_state->insert(*insert);
        const auto [statement, owned] = m_state->prepare(adapted.sql);
        if (!statement)
            return ResultTable();
        StatementUse use(statement, owned);
        // An update that sets columns to themselves only locks the rows. A transaction here began
        // with the write lock of the whole database (BEGIN IMMEDIATE), so no other connection can
        // be writing them: the rows are left as they are, unless a trigger would see the update.
        if (m_transactionDepth > 0 && !sqlite3_get_autocommit(m_state->db)) {
            const QString table = SqlitePasses::lockOnlyUpdateTable(adapted.sql);
            if (!table.isEmpty() && !m_state->hasTriggers(table))
                return ResultTable();
        }
        return m_state->run(statement);
    } catch (const Error &) {
        // A failure such as a full disk may end the transaction inside SQLite; follow it, so that
        // the caller's RollbackTrans does not fail in turn.
        if (m_transactionDepth > 0 && sqlite3_get_autocommit(m_state->db))
            m_transactionDepth = 0;
        throw;
    }
}

void SqliteConnection::runControl(const char *sql)
{
    const int rc = sqlite3_exec(m_state->db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        failure(m_state->db, rc);
}

void SqliteConnection::beginTransaction()
{
    runControl("BEGIN IMMEDIATE"); // takes the write lock now: two savers queue, never collide
}

void SqliteConnection::commitTransaction()
{
    try {
        runControl("COMMIT");
    } catch (const Error &) {
        if (sqlite3_get_autocommit(m_state->db))
            m_transactionDepth = 0;
        throw;
    }
}

void SqliteConnection::rollbackTransaction()
{
    if (!sqlite3_get_autocommit(m_state->db))
        runControl("ROLLBACK");
}

void SqliteConnection::savepoint(int level)
{
    runControl(QStringLiteral("SAVEPOINT level%1").arg(level).toUtf8().constData());
}

void SqliteConnection::releaseSavepoint(int level)
{
    runControl(QStringLiteral("RELEASE level%1").arg(level).toUtf8().constData());
}

void SqliteConnection::rollbackToSavepoint(int level)
{
    const QByteArray name = "level" + QByteArray::number(level);
    const QByteArray sql = "ROLLBACK TO " + name + "; RELEASE " + name;
    runControl(sql.constData());
}


