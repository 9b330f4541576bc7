#pragma once

#include <QString>
#include <QStringList>

// The limit a window's operation can approach: the statements it sends, as the dialect adapter
// turns them into the backend's SQL, run straight on a connection of their own with every row
// and every column read, with no recordset, no model and no widget. One per backend.
class Bare
{
public:
    virtual ~Bare() = default;

    // Runs the client's T-SQL statements in order; a run that writes is one transaction, as the
    // window's save is. Returns the number of rows the statements returned. Throws Error.
    virtual qint64 run(const QStringList &tsqlStatements) = 0;

    // Runs the backend's own SQL as it is (arranging data between measured runs).
    virtual void exec(const QString &sql) = 0;

    // How the backend answers a client statement, for finding where the time goes.
    virtual QString queryPlan(const QString &tsql) = 0;

    // The server process that runs the statements, whose CPU time counts too; 0 when the engine
    // runs in the client's own process.
    virtual qint64 serverProcess() const { return 0; }
};
