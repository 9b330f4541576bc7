#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// The limit a window's operation can approach: the statements it sends, as the dialect adapter
// turns them into SQLite, run straight on a SQLite connection of their own, every row stepped
// and every column read, with no recordset, no model and no widget.
class BareSqlite
{
public:
    explicit BareSqlite(const QString &folder);
    ~BareSqlite();
    BareSqlite(const BareSqlite &) = delete;
    BareSqlite &operator=(const BareSqlite &) = delete;

    // Runs the client's T-SQL statements in order; a run that writes is one transaction, as the
    // window's save is. Returns the number of rows the statements returned. Throws Error.
    qint64 run(const QStringList &tsqlStatements);

    // Runs SQLite SQL as it is (arranging data between measured runs).
    void exec(const QString &sqliteSql);
    // The query plan SQLite chooses for a client statement, one step a line.
    QString queryPlan(const QString &tsql);

    sqlite3 *handle() const { return m_db; }

private:
    QString m_name;
    sqlite3 *m_db = nullptr;
};
