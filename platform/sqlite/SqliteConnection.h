#pragma once

#include "platform/Database.h"

#include <memory>

// The connection on the embedded files of a data folder: INVENTORY.sqlite as the main database
// with Password.sqlite attached as "Password". Made by Connection::open.
class SqliteConnection final : public Connection
{
public:
    ~SqliteConnection() override;

    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;

protected:
    ResultTable run(const QString &sql) override;

private:
    friend class Connection;
    struct State;
    SqliteConnection();
    void runControl(const char *sql);
    std::unique_ptr<State> m_state;
};
