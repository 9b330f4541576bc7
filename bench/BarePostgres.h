#pragma once

#include "bench/Bare.h"

#include <memory>

struct pg_conn;

// The statements on a plain libpq connection to the server database, in the form the client's
// server connection sends them: the adapter's PostgreSQL text, a procedure as a set-returning
// function with its arguments bound, a run that writes in one transaction that first takes the
// client's save lock.
class BarePostgres final : public Bare
{
public:
    explicit BarePostgres(const QString &serverName);
    ~BarePostgres() override;
    BarePostgres(const BarePostgres &) = delete;
    BarePostgres &operator=(const BarePostgres &) = delete;

    qint64 run(const QStringList &tsqlStatements) override;
    void exec(const QString &postgresSql) override;
    // EXPLAIN (ANALYZE, BUFFERS) of the statement as the client's connection sends it; statements
    // that write are rolled back.
    QString queryPlan(const QString &tsql) override;
    qint64 serverProcess() const override;

private:
    struct Sent
    {
        QString sql;
        QList<QByteArray> values;
        bool writes = false;
    };
    static Sent sent(const QString &tsql);
    qint64 send(const Sent &statement, QString *output = nullptr);

    pg_conn *m_connection = nullptr;
};
