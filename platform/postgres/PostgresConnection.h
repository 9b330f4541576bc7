#pragma once

#include "platform/Database.h"

#include <QHash>
#include <QSet>

#include <utility>

class QSqlQuery;

// The connection to a PostgreSQL server set up for the client (inventory-request-admin setup):
// the schemas "inventory" and "password" of one database. Made by Connection::openServer.
//
// A transaction first takes one advisory lock of the client, so two workstations saving at the
// same moment queue and never take the same new number. A connection that the server dropped
// (a restart, a network failure) fails the statement with one clear message and is opened anew
// by the next statement.
class PostgresConnection final : public Connection
{
public:
    ~PostgresConnection() override;

    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;

protected:
    ResultTable run(const QString &sql) override;

private:
    friend class Connection;
    PostgresConnection() = default;
    void connect();
    void reconnectIfDropped();
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    bool dropped() const;
    bool connectionLost(const class QSqlError &error) const;
    ResultTable runAdapted(const struct AdaptedStatement &adapted, const QString &sql);
    void checkArguments(const struct AdaptedStatement &call);

    bool m_dropped = false;
    // The fewest and most arguments each procedure takes, by lower-case name.
    QHash<QString, std::pair<int, int>> m_parameterCounts;
    QSet<QString> m_unfoldable; // statements whose DistinctFirst form the server refused
};
