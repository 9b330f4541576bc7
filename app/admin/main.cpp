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
    // The manual page is made from this text and each command's help, so it stays in the form
    // the page generator reads: headings ending in a colon, items indented by two blanks.
    out << "\nSERVER, where a command takes one, is what the client's log-on dialog's \"Server\" box\n"
           "takes: \"host=... dbname=...\", a postgresql:// URI or \"service=...\". A data folder\n"
           "holds INVENTORY.sqlite and Password.sqlite.\n\n"
           "Exit status: 0 done, 1 refused or failed (the message says why), 2 misuse.\n\n"
           "Environment:\n"
           "  INVENTORY_REQUEST_DATA  the data folder when --data is not given\n"
           "                 (otherwise ~/.local/share/inventory-request)\n"
           "  INVENTORY_REQUEST_SQL_TRACE  the client's statement trace; these commands do\n"
           "                 not write to it\n"
           "  PGHOST, PGPORT, PGDATABASE, PGUSER, PGSERVICE, PGPASSFILE, PGCONNECT_TIMEOUT\n"
           "                 libpq's variables, for what SERVER leaves out\n\n"
           "Files:\n"
           "  ~/.local/share/inventory-request/INVENTORY.sqlite, Password.sqlite\n"
           "                 the data folder's databases, when INVENTORY_REQUEST_DATA is not set\n"
           "  ~/.pgpass, ~/.pg_service.conf\n"
           "                 libpq's password and service files, for a SERVER\n\n"
           "Examples:\n"
           "  Set up an empty database on the hospital's server, with the demo hospital:\n"
           "    inventory-request-admin setup \"host=db.hospital.example dbname=inventory\" --demo\n"
           "  Bring a server set up by an earlier version up to date:\n"
           "    inventory-request-admin upgrade service=inventory\n"
           "  Back up the data folder while clients run, and check it after a power cut:\n"
           "    inventory-request-admin backup /srv/backup/inventory-$(date +%F)\n"
           "    inventory-request-admin check\n"
           "  Check a server:\n"
           "    inventory-request-admin check --server service=inventory\n";
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
