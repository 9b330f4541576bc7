#pragma once

#include "platform/Database.h"

#include <memory>

// The connection on the embedded files of a data folder: INVENTORY.sqlite as the main database
// with Password.sqlite attached as "Password". Made by Connection::open.
class SqliteConnection final : public Connection
{
public:
    ~SqliteConnection() override;

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

private:
    friend class Connection;
    struct State;
    SqliteConnection();
    void runControl(const char *sql);
    std::unique_ptr<State> m_state;
};
