#include "platform/postgres/PasswordChecks.h"

#include <QRegularExpression>

namespace {

QString unquoted(const QString &literal)
{
    return QString(literal).replace(QLatin1String("''"), QLatin1String("'"));
}

} // namespace

namespace PasswordChecks {

std::optional<SupervisorCheck> supervisorCheck(const QString &sql)
{
    // The whole text, each value one literal with its quotes doubled: anything else is not the
    // prompt's check and runs as any statement does.
    static const QRegularExpression prompt(QStringLiteral(
        "^Select EmployeeId, Password from password\\.\\.tbpasswordmain where departmentid in \\('4','00'\\) "
        "and Right_Code1 = 'A' and Right_Code2 = 'S' and Employeeid = '((?:[^']|'')*)' "
        "and Password = '((?:[^']|'')*)'$"));
    const QRegularExpressionMatch match = prompt.match(sql);
    if (!match.hasMatch())
        return std::nullopt;
    return SupervisorCheck{unquoted(match.captured(1)), unquoted(match.captured(2))};
}

QString lockedOutMessage(const QString &employeeId, const QString &until)
{
    return QStringLiteral(
               "Too many wrong passwords were given for employee ID %1. Its passwords are not checked "
               "until %2 (the server's time); ask the administrator if it cannot wait.")
        .arg(employeeId, until);
}

} // namespace PasswordChecks
