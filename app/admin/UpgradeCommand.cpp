#include "app/admin/AdminCommand.h"
#include "app/admin/DataFolderArgument.h"

#include "platform/Administration.h"

namespace {

int upgrade(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--"))) {
        err << "inventory-request-admin: upgrade takes one server name (see inventory-request-admin upgrade "
               "--help)\n";
        return 2;
    }
    return runReportingSteps(out, err,
                             [&](const StepReporter &say) { ServerSetup::upgrade(arguments.first(), say); });
}

} // namespace

AdminCommand upgradeCommand()
{
    return {
        QStringLiteral("upgrade"), QStringLiteral("bring a server set up by an earlier version up to date"),
        QStringLiteral("Usage: inventory-request-admin upgrade SERVER\n\n"
                       "Brings the database that SERVER names, set up by an earlier version of\n"
                       "inventory-request, to the schema this version's workstations need, keeping\n"
                       "every row: texts are then stored without trailing blanks (removed from the\n"
                       "rows already there, and from every later write), the functions and stored\n"
                       "procedures are this version's, the request list gets its indexes, and the\n"
                       "roles, the staff's passwords (hashed in place: nobody needs a new one), the\n"
                       "requests' guards and the audit are made as setup makes them.\n"
                       "Everything happens in one transaction, which waits for the saves under way;\n"
                       "when a step cannot be done (two keys that differ only in trailing blanks)\n"
                       "nothing is changed and the reason is shown. A database already up to date\n"
                       "is left as it is.\n\n") +
            QString::fromLatin1(kServerAddressHelp) +
            QStringLiteral("Run it as the database's owner with the CREATEROLE right (or a superuser).\n\n"
                           "Exit status: 0 upgraded or up to date, 1 refused or failed (nothing changed),\n"
                           "2 misuse.\n"),
        upgrade};
}
