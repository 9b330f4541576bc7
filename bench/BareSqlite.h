#pragma once

#include "bench/Bare.h"

struct sqlite3;

// The statements on a plain SQLite connection to the data folder's files, in the form the
// client's connection runs them (DistinctFirst included).
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
    QString m_name;
    sqlite3 *m_db = nullptr;
};
