#pragma once

#include "platform/Error.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

// The database gateway. The client writes T-SQL exactly as a SQL Server client would; the
// connection appends each statement to the SQL trace and passes it through the dialect adapter
// (TsqlAdapter) to the embedded SQLite files or to a PostgreSQL server. Failures are thrown as
// Error.

enum class CursorLocation { Server = 2, Client = 3 };
enum class CursorType { ForwardOnly = 0, Keyset = 1, Dynamic = 2, Static = 3 };
enum class LockType { ReadOnly = 1, Pessimistic = 2, Optimistic = 3, BatchOptimistic = 4 };

class Connection;

// The rows of one result, read at once (a client-side, disconnected result).
struct ResultTable
{
    QStringList columns;
    QVector<QVector<QVariant>> rows;

    int columnIndex(const QString &name) const; // case-insensitive; -1 when absent
};

// A client-side recordset: every row is read when it opens. Fields are found by name without
// regard to letter case, as on SQL Server; a database NULL stays a null QVariant, distinct from
// an empty text. Dates come back as QDateTime.
class Recordset
{
public:
    Recordset() = default;

    // Opens on the statement; throws Error when the statement fails. An open recordset is
    // closed first. The lock type is recorded only.
    void Open(const QString &sql, Connection *connection, CursorType cursorType = CursorType::Dynamic,
              LockType lockType = LockType::ReadOnly);
    // Takes the rows a statement returned (Connection::Execute).
    void OpenFrom(std::shared_ptr<const ResultTable> table);

    CursorLocation cursorLocation = CursorLocation::Client;

    bool IsOpen() const { return m_open; } // the State property: open or closed
    void Close();

    int RecordCount() const;
    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveNext();
    void MoveLast();
    int AbsolutePosition() const { return m_position; } // 0-based row index
    void setAbsolutePosition(int row);

    // Value of a field of the current row; throws Error when there is no current row or no
    // column of that name.
    QVariant Fields(const QString &name) const;
    QVariant Fields(int index) const;
    bool HasField(const QString &name) const;
    int FieldCount() const;
    QString FieldName(int index) const;

    LockType lockType() const { return m_lockType; }
    CursorType cursorType() const { return m_cursorType; }
    QString Source() const { return m_source; }

    // The whole result, shared, for models that show it.
    std::shared_ptr<const ResultTable> table() const { return m_table; }

private:
    std::shared_ptr<const ResultTable> m_table;
    int m_position = 0;
    bool m_open = false;
    LockType m_lockType = LockType::ReadOnly;
    CursorType m_cursorType = CursorType::Dynamic;
    QString m_source;
};

// A connection to the client's two databases: the embedded SQLite files of a data folder
// (platform/sqlite) or the two schemas of a PostgreSQL database (platform/postgres). Every
// statement goes to the SQL trace as built and through the dialect adapter of its database.
class Connection
{
public:
    // Opens INVENTORY.sqlite in the folder as the main database and attaches Password.sqlite as
    // "Password"; WAL, a busy timeout, the collation and functions of SQL Server's dialect.
    // Throws Error with a clear description when a file cannot be opened.
    static std::unique_ptr<Connection> open(const QString &folder);
    // Connects to a PostgreSQL server set up for the client. serverName is anything libpq takes:
    // "host=... dbname=...", a postgresql:// URI or "service=..."; PG* variables and ~/.pgpass
    // apply. Throws Error with a clear description, within seconds, when the server cannot be
    // reached, refuses the log-in or lacks the client's schema.
    static std::unique_ptr<Connection> openServer(const QString &serverName);
    // Opens the data folder the program works in (DataFolder::prepare builds the demo databases
    // in an empty one; a private folder is its user's alone) and reads a row of each database, so
    // that a missing, locked or damaged file is named at the log-on rather than at the first
    // statement of the editor. Throws Error.
    static std::unique_ptr<Connection> openDataFolder(const QString &folder, bool privateFolder);
    // A server address as it may be kept or shown (the settings, messages): without any password
    // it holds. ~/.pgpass is the place for a password.
    static QString serverNameWithoutPassword(const QString &serverName);
    virtual ~Connection();

    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Runs a statement written in the client's T-SQL; returns the rows it produced (empty for
    // statements that return none). Throws Error.
    ResultTable Execute(const QString &sql);
    std::shared_ptr<const ResultTable> query(const QString &sql); // as Execute, shared result

    // Transactions nest: an inner one is a savepoint ("level1", "level2", ...), so its rollback
    // undoes only its own work. Committing or rolling back with none begun throws Error.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool inTransaction() const { return m_transactionDepth > 0; }

    // The log-on check of a server: the register's spelling of the employee id when the password
    // (in the register's scrambled form) is right, empty when not. The password travels only as a
    // bound value. Throws Error, among others when too many wrong passwords locked the id out.
    virtual QString checkServerLogon(const QString &employeeId, const QString &password);
    // The log-on check of either database, as checkServerLogon: the staff register's spelling of
    // the id when the password is right, empty when not; the password only ever bound.
    virtual QString checkLogon(const QString &employeeId, const QString &password) = 0;

    // What differs between the engines for code that runs queries of its own (the report).
    enum class Feature {
        StoredReportViews, // the database keeps the report's views; a report creates none
    };
    virtual bool hasFeature(Feature feature) const = 0;
    // Whether the connection reaches the database of that name: "main" for the inventory, or the
    // name another one is reached by ("Password"), in any letter case.
    virtual bool reachesDatabase(const QString &name) = 0;

    QSqlDatabase database() const; // for the system's own internal queries with bound values
    QString folder() const { return m_folder; }         // empty on a server
    QString serverName() const { return m_serverName; } // empty on the embedded files
    bool onServer() const { return !m_serverName.isEmpty(); }
    QString connectionName() const { return m_name; }

    // How long a statement waits for another process's lock before it fails; applies to
    // connections opened afterwards. 5000 ms unless changed (tests shorten it).
    static void setBusyTimeout(int milliseconds);
    static int busyTimeout();

protected:
    Connection() = default;
    // Runs one statement of the client's T-SQL on the database (the trace has it already).
    virtual ResultTable run(const QString &sql) = 0;

    // The engine's part of a transaction. The outermost transaction begins, commits and rolls
    // back; a hook that fails after the engine ended the transaction sets m_transactionDepth to 0
    // before it throws. Savepoints are named by their level.
    virtual void beginTransaction() = 0;
    virtual void commitTransaction() = 0;
    virtual void rollbackTransaction() = 0;
    virtual void savepoint(int level) = 0;
    virtual void releaseSavepoint(int level) = 0;
    virtual void rollbackToSavepoint(int level) = 0;
    // Asked when a rollback finds no transaction: whether the engine ended it already (a lost
    // server connection), so that the rollback has nothing left to do.
    virtual bool transactionEndedByEngine() { return false; }
    // Closes and forgets the Qt connection of this name.
    void closeDatabase();

    QString m_folder;
    QString m_serverName;
    QString m_name;
    int m_transactionDepth = 0;
};

// Doubles every single quote, so a value joined between quotes stays one literal.
QString SqlText(const QString &value);

// How either database refuses a text that holds more than one statement.
QString OneStatementOnlyMessage();
