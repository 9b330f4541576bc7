// inventory-request-admin: the administrator's tools beside the client, which keeps no command
// line of its own.

#include "app/admin/AdminCommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// Each command lives in a unit of its own; this is the list the program offers.
QList<AdminCommand> adminCommands()
{
    return {backupCommand(),   checkCommand(),  setupCommand(), upgradeCommand(),
            passwordCommand(), unlockCommand(), auditCommand()};
}

void printOverview(QTextStream &out, const QList<AdminCommand> &commands)
{
    out << "Usage: inventory-request-admin <command> [arguments]\n"
           "       inventory-request-admin <command> --help\n\n"
           "The administrator's tools of inventory-request.\n\nCommands:\n";
    for (const AdminCommand &command : commands)
        out << "  " << command.name.leftJustified(10) << command.summary << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(db);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("inventory-request"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QList<AdminCommand> commands = adminCommands();
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty()) {
        printOverview(err, commands);
        return 2;
    }
    const QString name = arguments.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printOverview(out, commands);
        return 0;
    }
    for (const AdminCommand &command : commands) {
        if (command.name != name)
            continue;
        if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
            out << command.help;
            return 0;
        }
        return command.run(arguments, out, err);
    }
    err << "inventory-request-admin: unknown command \"" << name << "\"\n\n";
    printOverview(err, commands);
    return 2;
}
