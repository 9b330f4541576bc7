#pragma once

#include <QString>
#include <QVector>

// The administrator's work on the staff's passwords of a server set up for the client: setting
// one, ending a lock-out, reading the audit. Each connects as the administrator, who is a member
// of the owner role. Every function throws Error with a clear description.
namespace ServerStaff {

// Stores the employee's password (in the register's scrambled form) as its hash, and records it in
// the audit. Throws when the register has no such employee.
void setPassword(const QString &serverName, const QString &employeeId, const QString &scrambled);

// Ends a lock-out of the employee id at once (recorded in the audit); returns whether it was locked.
bool unlock(const QString &serverName, const QString &employeeId);

struct AuditEvent
{
    QString time; // the server's clock, "YYYY-MM-DD HH:MM:SS" in the server's time zone
    QString event;
    QString employeeId;
    QString documentNumber;
    QString databaseRole;
    QString clientAddress;
};

// The audit in the order it was written; since is a date or time the server reads ("2026-12-01"),
// empty for all.
QVector<AuditEvent> audit(const QString &serverName, const QString &since = QString());

} // namespace ServerStaff
