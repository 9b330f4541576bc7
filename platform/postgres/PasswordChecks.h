#pragma once

#include <QString>

#include <optional>

// The staff register's password checks on a server. The stored passwords are hashes that no
// workstation may read: the server checks them in functions that answer only whether the password
// is right (password.check_logon, password.check_supervisor), called with the password as a bound
// value, never inside a statement text. The client's own statements for the checks stay as they
// are; the server connection recognises them and calls the functions instead.
namespace PasswordChecks {

struct SupervisorCheck
{
    QString employeeId;
    QString password; // in the register's scrambled form
};

// The supervisor prompt's statement with its two values; nothing for any other statement.
std::optional<SupervisorCheck> supervisorCheck(const QString &sql);

// An employee id locked out by too many wrong passwords, until the server's time given.
QString lockedOutMessage(const QString &employeeId, const QString &until);

inline constexpr const char *LogonCall =
    "SELECT employee_id, logon_token, locked_until FROM password.check_logon($1, $2)";
inline constexpr const char *SupervisorCall =
    "SELECT accepted, locked_until FROM password.check_supervisor($1, $2)";
inline constexpr const char *ResumeCall = "SELECT password.resume_logon($1)";

} // namespace PasswordChecks
