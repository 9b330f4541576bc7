#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// What the administrator program does with each engine's storage: setting a server up and
// upgrading it, the staff's passwords on a server, checking and backing up a data folder.
// Declared at the gateway, so that the program above names no engine's header; each engine's
// folder implements its part (platform/postgres, platform/sqlite).

// ---- The shared server -----------------------------------------------------------------------

// Sets up an empty PostgreSQL database for the client: the schemas "inventory" and "password"
// with their tables, the functions and stored procedures, the workstations' role
// inventory_request_client with only the grants the client's statements need, and optionally the
// demo hospital. Everything happens in one transaction: a failure leaves the database as it was.
namespace ServerSetup {

// The version of the server's schema this program sets up and works with, recorded in
// inventory.tbInvSchemaVersion. 3: texts are stored without trailing blanks, the procedures find
// their keys by index, and the request list has indexes holding every column it reads. 4: the
// request list has an index for each state of the lines it lists. 5: an owner role owns everything,
// the staff's passwords are bcrypt hashes checked only by the server, the requests are guarded by
// triggers, wrong passwords lock an id out, and the audit records it; a department's pending lines
// have an index of their own (the restock suggestion sums them).
constexpr int SchemaVersion = 5;

enum class Content { SchemaOnly, DemoData };

// Throws Error when the server cannot be reached, the database already holds tables, or a step
// fails. progress receives a line per step.
void run(const QString &serverName, Content content, const std::function<void(const QString &)> &progress = {});

// Brings a database set up by an earlier version to SchemaVersion, keeping every row, in one
// transaction that first waits for the workstations' saves under way. Returns the version found
// (SchemaVersion when there was nothing to do). Throws Error, having changed nothing, when the
// server cannot be reached, holds no schema of the client or a later one, or a step cannot be
// done (such as two keys that differ only in trailing blanks).
int upgrade(const QString &serverName, const std::function<void(const QString &)> &progress = {});

} // namespace ServerSetup

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

// ---- The embedded files ---------------------------------------------------------------------

// SQLite's integrity check of the two database files of a data folder, safe to run while
// clients work (it reads, as a client does).
namespace DataFolderCheck {

struct FileResult
{
    QString path;
    QStringList problems; // empty when the file passed; at most a few, as SQLite reports them
};

struct Result
{
    QString folder;
    QList<FileResult> files;

    bool passed() const;
    // One line for the administrator: what was checked and whether it passed.
    QString verdict() const;
};

// Never throws: a missing, unreadable or damaged file is a failed check with its reason.
Result run(const QString &folder);

} // namespace DataFolderCheck

// Copies the two database files of a data folder through SQLite's online backup, while clients
// go on working: both copies show the data as it stood when the backup began, each complete.
namespace DataFolderBackup {

struct Progress
{
    QString file;   // "INVENTORY.sqlite" or "Password.sqlite"
    qint64 bytes = 0; // the file's size
    int percent = 0;
};

// Writes INVENTORY.sqlite and Password.sqlite into target, made if needed (0700 when made) and
// not already holding either file; the copies are readable by their owner alone. The progress
// callback is called after each step of each file. Throws Error with a clear description; a
// failed backup leaves no copy behind.
void run(const QString &folder, const QString &target, const std::function<void(const Progress &)> &progress = {});

} // namespace DataFolderBackup
