#pragma once

#include "platform/Database.h"

#include <QHash>
#include <QSet>
#include <QVector>

#include <utility>

class QSqlQuery;
namespace PasswordChecks {
struct SupervisorCheck;
}

// The connection to a PostgreSQL server set up for the client (inventory-request-admin setup):
// the schemas "inventory" and "password" of one database. Made by Connection::openServer.
//
// A transaction first takes one advisory lock of the client, so two workstations saving at the
// same moment queue and never take the same new number. A connection that the server dropped
// (a restart, a network failure) fails the statement with one clear message and is opened anew
// by the next statement.
//
// Inside a transaction, inserts that return nothing are held and sent together in one round trip
// just before the next other statement, savepoint or commit, in the order they were given; the
// first that fails fails that statement, which leaves the transaction for the caller to roll back,
// or the commit, which then rolls it back: nothing of the save is kept. An update that only locks rows (every
// column set to itself) reads them FOR NO KEY UPDATE instead, unless a trigger other than the texts' trimming
// and the requests' guards watches the table: the same rows wait and are locked, without new row versions.
class PostgresConnection final : public Connection
{
public:
    ~PostgresConnection() override;

    QString checkServerLogon(const QString &employeeId, const QString &password) override;
    QString checkLogon(const QString &employeeId, const QString &password) override;
    bool hasFeature(Feature feature) const override;
    bool reachesDatabase(const QString &name) override;

protected:
    ResultTable run(const QString &sql) override;
    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;
    void savepoint(int level) override;
    void releaseSavepoint(int level) override;
    void rollbackToSavepoint(int level) override;
    bool transactionEndedByEngine() override;

private:
    friend class Connection;
    PostgresConnection() = default;
    void connect();
    void reconnectIfDropped();
    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    bool dropped() const;
    bool connectionLost(const QString &sqlState) const;
    ResultTable runAdapted(const struct AdaptedStatement &adapted, const QString &sql);
    void checkArguments(const struct AdaptedStatement &call);
    [[noreturn]] void failed(const QString &code, const QString &reason, bool lost);
    struct pg_conn *nativeHandle() const;
    void sendHeldInserts();
    QVector<QStringList> callChecking(const char *call, const QStringList &values);
    ResultTable checkSupervisor(const struct PasswordChecks::SupervisorCheck &check);
    void resumeLogon();
    bool lockNeedsUpdate(const QString &target);
    void takeSaveLock();
    bool endStuckSessionsAfterLockWait();

    struct HeldInsert
    {
        QByteArray sql;   // as the server runs it, without a final ';'
        QString statement; // as the client built it, for the message when it fails
    };

    bool m_dropped = false;
    bool m_lockWaitFailed = false; // the last lock wait ran out (lock_timeout)
    // The fewest and most arguments each procedure takes, by lower-case name.
    QHash<QString, std::pair<int, int>> m_parameterCounts;
    QSet<QString> m_unfoldable; // statements whose DistinctFirst form the server refused
    QVector<HeldInsert> m_heldInserts;
    // The server's proof of this workstation's log-on, kept in memory only: a new connection after
    // a dropped one resumes the same log-on with it.
    QString m_logonToken;
    // Whether an update of the table is seen by a trigger other than the texts' trimming, by the
    // table as the statements write it.
    QHash<QString, bool> m_watchedTables;
};
