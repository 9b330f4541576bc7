#include "platform/Database.h"

#include "platform/SqlTrace.h"
#include "platform/StatementRecord.h"

// The parts of the gateway that do not depend on the database engine: the connection's trace,
// results and recordsets.

namespace {

const QString RecordsetSource = QStringLiteral("ADODB.Recordset");

} // namespace

int ResultTable::columnIndex(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString SqlText(const QString &value)
{
    return QString(value).replace(QLatin1Char('\''), QLatin1String("''"));
}

QString OneStatementOnlyMessage()
{
    return QStringLiteral("Only one statement can be run at a time.");
}

// ---------------------------------------------------------------------------------------------

Connection::~Connection() = default;

QString Connection::checkServerLogon(const QString &, const QString &)
{
    throw Error(Error::DatabaseError, QStringLiteral("Database"),
                QStringLiteral("The embedded files check a log-on with the staff register's own query."));
}

ResultTable Connection::Execute(const QString &sql)
{
    SqlTrace::record(sql);
    StatementRecord::given(onServer() ? StatementRecord::Engine::Postgres : StatementRecord::Engine::Sqlite, sql);
    return run(sql);
}

void Connection::BeginTrans()
{
    if (m_transactionDepth == 0)
        beginTransaction();
    else
        savepoint(m_transactionDepth);
    ++m_transactionDepth;
}

void Connection::CommitTrans()
{
    if (m_transactionDepth == 0)
        throw Error(Error::DatabaseError, QStringLiteral("Database"), QStringLiteral("No transaction is active."));
    if (m_transactionDepth > 1) {
        releaseSavepoint(m_transactionDepth - 1);
        --m_transactionDepth;
        return;
    }
    commitTransaction();
    m_transactionDepth = 0;
}

void Connection::RollbackTrans()
{
    if (m_transactionDepth == 0) {
        if (transactionEndedByEngine())
            return;
        throw Error(Error::DatabaseError, QStringLiteral("Database"), QStringLiteral("No transaction is active."));
    }
    if (m_transactionDepth == 1) {
        m_transactionDepth = 0;
        rollbackTransaction();
        return;
    }
    --m_transactionDepth;
    rollbackToSavepoint(m_transactionDepth);
}

std::shared_ptr<const ResultTable> Connection::query(const QString &sql)
{
    return std::make_shared<const ResultTable>(Execute(sql));
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

void Connection::closeDatabase()
{
    if (m_name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

// ---------------------------------------------------------------------------------------------

namespace {

[[noreturn]] void recordsetError(qint32 number, const QString &description)
{
    throw Error(number, RecordsetSource, description);
}

[[noreturn]] void closedError()
{
    recordsetError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
}

} // namespace

void Recordset::Open(const QString &sql, Connection *connection, CursorType cursorType, LockType lockType)
{
    if (!connection)
        recordsetError(3709, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                            "either closed or invalid in this context."));
    Close();
    m_source = sql;
    m_cursorType = cursorType;
    m_lockType = lockType;
    m_table = connection->query(sql);
    m_position = 0;
    m_open = true;
}

void Recordset::OpenFrom(std::shared_ptr<const ResultTable> table)
{
    Close();
    m_table = table ? std::move(table) : std::make_shared<const ResultTable>();
    m_position = 0;
    m_open = true;
}

void Recordset::Close()
{
    m_table.reset();
    m_position = 0;
    m_open = false;
}

int Recordset::RecordCount() const
{
    if (!m_open)
        closedError();
    return int(m_table->rows.size());
}

bool Recordset::Eof() const
{
    if (!m_open)
        closedError();
    return m_position >= m_table->rows.size();
}

bool Recordset::Bof() const
{
    if (!m_open)
        closedError();
    return m_table->rows.isEmpty() || m_position < 0;
}

void Recordset::MoveFirst()
{
    if (!m_open)
        closedError();
    m_position = 0;
}

void Recordset::MoveNext()
{
    if (Eof())
        recordsetError(3021,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                      "Requested operation requires a current record."));
    ++m_position;
}

void Recordset::MoveLast()
{
    if (!m_open)
        closedError();
    m_position = std::max(0, int(m_table->rows.size()) - 1);
}

void Recordset::setAbsolutePosition(int row)
{
    if (!m_open)
        closedError();
    if (row < 0 || row > m_table->rows.size())
        recordsetError(3001,
                       QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or are "
                                      "in conflict with one another."));
    m_position = row;
}

QVariant Recordset::Fields(const QString &name) const
{
    if (!m_open)
        closedError();
    const int index = m_table->columnIndex(name);
    if (index < 0)
        recordsetError(3265, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                            "requested name or ordinal."));
    return Fields(index);
}

QVariant Recordset::Fields(int index) const
{
    if (!m_open)
        closedError();
    if (index < 0 || index >= m_table->columns.size())
        recordsetError(3265, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                            "requested name or ordinal."));
    if (m_position < 0 || m_position >= m_table->rows.size())
        recordsetError(3021,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                      "Requested operation requires a current record."));
    return m_table->rows.at(m_position).at(index);
}

bool Recordset::HasField(const QString &name) const
{
    return m_open && m_table->columnIndex(name) >= 0;
}

int Recordset::FieldCount() const
{
    return m_open ? int(m_table->columns.size()) : 0;
}

QString Recordset::FieldName(int index) const
{
    if (!m_open || index < 0 || index >= m_table->columns.size())
        return QString();
    return m_table->columns.at(index);
}
