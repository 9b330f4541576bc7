#pragma once

#include <QString>
#include <QStringList>

// Whether a PostgreSQL server is ready for the workstations: it answers, and its database holds
// the schemas "inventory" and "password" with every table and stored procedure that setup makes,
// readable by the account checking.
namespace ServerCheck {

struct Result
{
    QString server;
    QStringList problems; // empty when the server passed
    QString connection;   // how the check's own connection was protected; empty when none was made

    bool passed() const { return problems.isEmpty(); }
    // One line for the administrator: what was checked and whether it passed.
    QString verdict() const;
};

// Never throws: a server that cannot be reached is a failed check with its reason.
Result run(const QString &serverName);

} // namespace ServerCheck
