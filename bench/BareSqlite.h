#pragma once

#include "bench/Bare.h"

#include <QHash>

struct sqlite3;
struct sqlite3_stmt;

// The statements on a plain SQLite connection to the data folder's files, in the form the
// client's connection runs them (DistinctFirst, inserts of literals as one prepared statement,
// no rewrite of rows an update would leave as they are).
class BareSqlite final : public Bare
{
public:
    explicit BareSqlite(const QString &folder);
    ~BareSqlite();
    BareSqlite(const BareSqlite &) = delete;
    BareSqlite &operator=(const BareSqlite &) = delete;

    qint64 run(const QStringList &tsqlStatements) override;
    void exec(const QString &sqliteSql) override;
    // The query plan SQLite chooses for a client statement, one step a line.
    QString queryPlan(const QString &tsql) override;

    sqlite3 *handle() const { return m_db; }

private:
    bool hasTriggers(const QString &table);

    QString m_name;
    sqlite3 *m_db = nullptr;
    QHash<QString, sqlite3_stmt *> m_inserts; // prepared inserts by shape
};
