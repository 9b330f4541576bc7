#include "app/admin/AdminCommand.h"
#include "app/admin/DataFolderArgument.h"

#include "platform/Administration.h"

#include <QDir>

namespace {

int checkServer(const QString &server, QTextStream &out, QTextStream &err)
{
    const ServerCheck::Result result = ServerCheck::run(server);
    out << result.verdict();
    if (!result.connection.isEmpty())
        out << ' ' << result.connection;
    out << '\n';
    for (const QString &problem : result.problems)
        err << problem << '\n';
    return result.passed() ? 0 : 1;
}

int check(const QStringList &given, QTextStream &out, QTextStream &err)
{
    QStringList arguments = given;
    QString misuse;
    const QString server = takeOption(arguments, QStringLiteral("--server"), misuse);
    const QString folder = takeDataFolder(arguments, misuse);
    if (!arguments.isEmpty() && misuse.isEmpty())
        misuse = QStringLiteral("check takes no argument \"%1\"").arg(arguments.first());
    if (!misuse.isEmpty()) {
        err << "inventory-request-admin: " << misuse << " (see inventory-request-admin check --help)\n";
        return 2;
    }
    if (!server.isNull())
        return checkServer(server, out, err);
    const DataFolderCheck::Result result = DataFolderCheck::run(folder);
    out << result.verdict() << '\n';
    for (const DataFolderCheck::FileResult &file : result.files)
        for (const QString &problem : file.problems)
            err << QDir::toNativeSeparators(file.path) << ": " << problem << '\n';
    return result.passed() ? 0 : 1;
}

} // namespace

AdminCommand checkCommand()
{
    return {
        QStringLiteral("check"), QStringLiteral("check the data folder's databases for damage"),
        QStringLiteral("Usage: inventory-request-admin check [--data FOLDER]\n"
                       "       inventory-request-admin check --server SERVER\n\n"
                       "Runs SQLite's integrity check on INVENTORY.sqlite and Password.sqlite and prints\n"
                       "a one-line verdict; the problems found follow on standard error. Safe while\n"
                       "clients run.\n\n"
                       "Options:\n") +
            QString::fromLatin1(kDataFolderHelp) +
            QStringLiteral("  --server SERVER  a PostgreSQL server (what the log-on dialog's \"Server\" box\n"
                           "                 takes): checks that it answers and holds every table and\n"
                           "                 procedure that setup makes, readable by this account,\n"
                           "                 with the texts' triggers, and that the workstations are held\n"
                           "                 to their rights (roles, hashed passwords, the requests'\n"
                           "                 guards, the audit, no CREATE on public for PUBLIC); a server\n"
                           "                 set up by an earlier version fails, naming\n"
                           "                 \"inventory-request-admin upgrade\"; says whether its own\n"
                           "                 connection is encrypted\n"
                           "\nExit status: 0 passed, 1 a file or the server failed the check, 2 misuse.\n"),
        check};
}
