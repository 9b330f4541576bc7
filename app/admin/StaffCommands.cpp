#include "app/admin/AdminCommand.h"
#include "app/admin/DataFolderArgument.h"

#include "pickers/core/modEncryption.h"
#include "platform/Error.h"
#include "platform/Administration.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace {

const QString kServerHelp =
    QString::fromLatin1(kServerAddressHelp) +
    QStringLiteral("Run it as an administrator: a member of the role inventory_request_owner.\n\n");

bool takeTwo(const QStringList &arguments, const char *command, QTextStream &err)
{
    if (arguments.size() == 2 && !arguments.first().startsWith(QLatin1String("--")) &&
        !arguments.last().startsWith(QLatin1String("--")))
        return true;
    err << "inventory-request-admin: " << command << " takes a server name and an employee id (see "
        << "inventory-request-admin " << command << " --help)\n";
    return false;
}

// A line from the terminal without echo, or from standard input when that is no terminal.
std::string readSecretLine(QTextStream &out, const char *prompt)
{
    const bool terminal = ::isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        out << prompt;
        out.flush();
        ::tcgetattr(STDIN_FILENO, &saved);
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        out << '\n';
        out.flush();
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int password(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!takeTwo(arguments, "password", err))
        return 2;
    const std::string typed = readSecretLine(out, "New password: ");
    if (::isatty(STDIN_FILENO) && readSecretLine(out, "The same password again: ") != typed) {
        err << "inventory-request-admin: the two passwords differ; nothing was changed.\n";
        return 1;
    }
    // The workstations send the password scrambled (trimmed, as the log-on and the prompt do).
    const QString given = QString::fromStdString(typed).trimmed();
    if (given.isEmpty()) {
        err << "inventory-request-admin: an empty password is not set; nothing was changed.\n";
        return 1;
    }
    return runReportingSteps(out, err, [&](const StepReporter &say) {
        ServerStaff::setPassword(arguments.first(), arguments.last(), StaffPasswordForm(given));
        say(QStringLiteral("The password of employee %1 is set.").arg(arguments.last()));
    });
}

int unlock(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!takeTwo(arguments, "unlock", err))
        return 2;
    return runReportingSteps(out, err, [&](const StepReporter &say) {
        const bool locked = ServerStaff::unlock(arguments.first(), arguments.last());
        say(locked ? QStringLiteral("Employee ID %1 is no longer locked out.").arg(arguments.last())
                   : QStringLiteral(
                         "Employee ID %1 was not locked out; its count of wrong passwords starts anew.")
                         .arg(arguments.last()));
    });
}

int audit(const QStringList &given, QTextStream &out, QTextStream &err)
{
    QStringList arguments = given;
    QString misuse;
    const QString since = takeOption(arguments, QStringLiteral("--since"), misuse);
    if (misuse.isEmpty() && (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--"))))
        misuse = QStringLiteral("audit takes one server name and optionally --since DATE");
    if (!misuse.isEmpty()) {
        err << "inventory-request-admin: " << misuse << " (see inventory-request-admin audit --help)\n";
        return 2;
    }
    return runReportingSteps(out, err, [&](const StepReporter &say) {
        say(QStringLiteral("Time\tEvent\tEmployee\tDocument\tDatabase role\tClient address"));
        for (const ServerStaff::AuditEvent &event : ServerStaff::audit(arguments.first(), since))
            say(QStringList{event.time, event.event, event.employeeId, event.documentNumber,
                            event.databaseRole, event.clientAddress}
                    .join(QLatin1Char('\t')));
    });
}

} // namespace

AdminCommand passwordCommand()
{
    return {
        QStringLiteral("password"), QStringLiteral("set a staff member's password on a server"),
        QStringLiteral("Usage: inventory-request-admin password SERVER EMPLOYEE\n\n"
                       "Sets the password with which the employee logs on and verifies requests. It is\n"
                       "read from the terminal without echo, twice (from standard input, once, when that\n"
                       "is no terminal), and stored only as its bcrypt hash; the audit records it.\n\n") +
            kServerHelp +
            QStringLiteral("Exit status: 0 set, 1 refused or failed (nothing changed), 2 misuse.\n"),
        password};
}

AdminCommand unlockCommand()
{
    return {
        QStringLiteral("unlock"), QStringLiteral("end a lock-out after too many wrong passwords"),
        QStringLiteral("Usage: inventory-request-admin unlock SERVER EMPLOYEE\n\n"
                       "Five wrong passwords for one employee id within 15 minutes (at the log-on or the\n"
                       "supervisor prompt) lock that id for 15 minutes. This ends the lock-out at once\n"
                       "and starts the count of wrong passwords anew; the audit records it.\n\n") +
            kServerHelp + QStringLiteral("Exit status: 0 done, 1 failed, 2 misuse.\n"),
        unlock};
}

AdminCommand auditCommand()
{
    return {
        QStringLiteral("audit"), QStringLiteral("print a server's record of log-ons, checks and marks"),
        QStringLiteral("Usage: inventory-request-admin audit SERVER [--since DATE]\n\n"
                       "Prints the server's audit, oldest first, one event a line with tabs between the\n"
                       "time (the server's clock), the event, the employee id, the document number, the\n"
                       "database role and the client's address. Events: log-on, log-on refused,\n"
                       "supervisor check, supervisor check refused, locked out, refused while locked\n"
                       "out, unlocked, password set, verified, deleted, processed. --since prints only\n"
                       "the events from that date or time on (\"2026-12-01\", \"2026-12-01 08:00\").\n\n") +
            kServerHelp + QStringLiteral("Exit status: 0 printed, 1 failed, 2 misuse.\n"),
        audit};
}
