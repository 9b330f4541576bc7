#include "bench/BareSqlite.h"

#include "platform/tsql/DistinctFirst.h"
#include "platform/Error.h"
#include "platform/sqlite/SqliteDialect.h"
#include "platform/tsql/LiteralInsert.h"
#include "platform/tsql/TsqlAdapter.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

#include <sqlite3.h>

namespace {

[[noreturn]] void fail(sqlite3 *db, const QString &sql)
{
    throw Error(Error::DatabaseError, QStringLiteral("BareSqlite"),
                QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral("\nin: ") + sql);
}

sqlite3_stmt *prepare(sqlite3 *db, const QString &sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        fail(db, sql);
    return statement;
}

// Steps every row and reads every column the way a reader of the result must.
qint64 stepAll(sqlite3 *db, sqlite3_stmt *statement, const QString &sql)
{
    qint64 rows = 0;
    const int columns = sqlite3_column_count(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                (void)sqlite3_column_bytes(statement, c);
        }
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        fail(db, sql);
    return rows;
}

QString procedureBody(sqlite3 *db, const QString &name)
{
    const QString sql = QStringLiteral("SELECT Body FROM main.tbInvProcedure WHERE ProcName = '%1' COLLATE NOCASE")
                            .arg(QString(name).replace(QLatin1Char('\''), QStringLiteral("''")));
    sqlite3_stmt *statement = prepare(db, sql);
    QString body;
    if (sqlite3_step(statement) == SQLITE_ROW)
        body = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    if (body.isEmpty())
        fail(db, sql);
    return body;
}

} // namespace

BareSqlite::BareSqlite(const QString &folder)
    : m_name(QStringLiteral("ir-bare-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(QDir(folder).filePath(QStringLiteral("INVENTORY.sqlite")));
    if (!db.open())
        throw Error(Error::DatabaseError, QStringLiteral("BareSqlite"), db.lastError().text());
    registerSqlServerDialect(db);
    m_db = sqliteHandle(db);
    sqlite3_busy_timeout(m_db, 5000);
    exec(QStringLiteral("ATTACH DATABASE '%1' AS Password")
             .arg(QDir(folder).filePath(QStringLiteral("Password.sqlite")).replace(QLatin1Char('\''),
                                                                                  QStringLiteral("''"))));
    // The same settings the client's connection runs with.
    exec(QStringLiteral("PRAGMA main.synchronous=NORMAL; PRAGMA Password.synchronous=NORMAL; "
                        "PRAGMA main.cache_size=-16384"));
}

BareSqlite::~BareSqlite()
{
    for (sqlite3_stmt *statement : std::as_const(m_inserts))
        sqlite3_finalize(statement);
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

void BareSqlite::exec(const QString &sqliteSql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sqliteSql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        sqlite3_free(message);
        fail(m_db, sqliteSql);
    }
}

qint64 BareSqlite::run(const QStringList &tsqlStatements)
{
    qint64 rows = 0;
    bool inTransaction = false;
    try {
        for (const QString &tsql : tsqlStatements) {
            const AdaptedStatement adapted = TsqlAdapter::adapt(tsql);
            sqlite3_stmt *statement = nullptr;
            QString sql = adapted.sql;
            if (adapted.isProcedureCall()) {
                sql = procedureBody(m_db, adapted.procedure);
                statement = prepare(m_db, sql);
                for (int i = 0; i < adapted.arguments.size(); ++i) {
                    const QByteArray value = adapted.arguments.at(i).toString().toUtf8();
                    sqlite3_bind_text(statement, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
                }
            } else if (const auto insert = LiteralInsert::parse(sql)) {
                // Inserts that differ only in their values share one prepared statement, as on the
                // client's connection.
                sqlite3_stmt *shape = m_inserts.value(insert->shape);
                if (!shape) {
                    shape = prepare(m_db, insert->shape);
                    m_inserts.insert(insert->shape, shape);
                }
                if (!inTransaction) {
                    exec(QStringLiteral("BEGIN IMMEDIATE"));
                    inTransaction = true;
                }
                for (int i = 0; i < insert->values.size(); ++i) {
                    const QVariant &value = insert->values.at(i);
                    if (value.typeId() == QMetaType::LongLong) {
                        sqlite3_bind_int64(shape, i + 1, value.toLongLong());
                    } else {
                        const QByteArray text = value.toString().toUtf8();
                        sqlite3_bind_text(shape, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                    }
                }
                const int rc = sqlite3_step(shape);
                sqlite3_reset(shape);
                sqlite3_clear_bindings(shape);
                if (rc != SQLITE_DONE)
                    fail(m_db, sql);
                continue;
            } else if (inTransaction && !unchangingUpdateTable(sql).isEmpty() && !hasTriggers(unchangingUpdateTable(sql))) {
                // An update that sets columns to themselves only locks the rows, which the write
                // lock of the transaction already holds: the client's connection skips it too.
                continue;
            } else {
                // The form the client's connection runs, when the statement has one.
                const QString faster = DistinctFirst::rewrite(sql);
                if (!faster.isEmpty())
                    sqlite3_prepare_v2(m_db, faster.toUtf8().constData(), -1, &statement, nullptr);
                if (!statement)
                    statement = prepare(m_db, sql);
            }
            if (!inTransaction && !sqlite3_stmt_readonly(statement)) {
                exec(QStringLiteral("BEGIN IMMEDIATE"));
                inTransaction = true;
            }
            rows += stepAll(m_db, statement, sql);
        }
    } catch (...) {
        if (inTransaction)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (inTransaction)
        exec(QStringLiteral("COMMIT"));
    return rows;
}

bool BareSqlite::hasTriggers(const QString &table)
{
    sqlite3_stmt *statement = prepare(m_db, QStringLiteral(
        "SELECT 1 FROM main.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE "
        "UNION ALL SELECT 1 FROM Password.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE"));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    const bool found = sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return found;
}

QString BareSqlite::queryPlan(const QString &tsql)
{
    const AdaptedStatement adapted = TsqlAdapter::adapt(tsql);
    QString statementSql = adapted.isProcedureCall() ? procedureBody(m_db, adapted.procedure) : adapted.sql;
    const QString faster = DistinctFirst::rewrite(statementSql);
    if (!faster.isEmpty())
        statementSql = faster;
    const QString sql = QStringLiteral("EXPLAIN QUERY PLAN ") + statementSql;
    sqlite3_stmt *statement = prepare(m_db, sql);
    for (int i = 0; i < adapted.arguments.size(); ++i) {
        const QByteArray value = adapted.arguments.at(i).toString().toUtf8();
        sqlite3_bind_text(statement, i + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    }
    QString plan = QStringLiteral("  as run: ") + statementSql + QLatin1Char('\n');
    while (sqlite3_step(statement) == SQLITE_ROW)
        plan += QStringLiteral("  ") + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 3)))
                + QLatin1Char('\n');
    sqlite3_finalize(statement);
    return plan;
}
