#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

// One command of the administrator program: its name on the command line, a line for the
// overview, the text of "<command> --help", and the work itself. run() gets the arguments after
// the command's name and returns the program's exit status (0 success, 1 failure, 2 misuse).
struct AdminCommand
{
    QString name;
    QString summary;
    QString help;
    std::function<int(const QStringList &arguments, QTextStream &out, QTextStream &err)> run;
};

// The commands, each defined in a unit of its own (app/admin/<Name>Command.cpp) and listed by
// main.cpp in the order the overview shows them.
AdminCommand backupCommand();
AdminCommand checkCommand();
AdminCommand setupCommand();
AdminCommand upgradeCommand();
AdminCommand passwordCommand();
AdminCommand unlockCommand();
AdminCommand auditCommand();

// Runs work that reports its steps line by line: each line goes to out as it comes, a failure's
// description to err. Returns the exit status: 0 done, 1 failed.
using StepReporter = std::function<void(const QString &line)>;
int runReportingSteps(QTextStream &out, QTextStream &err, const std::function<void(const StepReporter &)> &work);
