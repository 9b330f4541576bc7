#include "app/admin/AdminCommand.h"
#include "app/admin/DataFolderArgument.h"

#include "platform/Administration.h"

namespace {

int setup(const QStringList &given, QTextStream &out, QTextStream &err)
{
    QStringList arguments = given;
    const bool demo = arguments.removeAll(QStringLiteral("--demo")) > 0;
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--"))) {
        err << "inventory-request-admin: setup takes one server name and optionally --demo "
               "(see inventory-request-admin setup --help)\n";
        return 2;
    }
    const auto content = demo ? ServerSetup::Content::DemoData : ServerSetup::Content::SchemaOnly;
    return runReportingSteps(
        out, err, [&](const StepReporter &say) { ServerSetup::run(arguments.first(), content, say); });
}

} // namespace

AdminCommand setupCommand()
{
    return {
        QStringLiteral("setup"), QStringLiteral("set up an empty PostgreSQL database for the workstations"),
        QStringLiteral("Usage: inventory-request-admin setup SERVER [--demo]\n\n"
                       "Creates in the empty PostgreSQL database that SERVER names the schemas\n"
                       "inventory and password with their tables, the functions and stored\n"
                       "procedures, the roles inventory_request_owner (owns it all),\n"
                       "inventory_request_client (the workstations: make their log-in roles members)\n"
                       "and inventory_request_supply (the central supply's programs), the staff's\n"
                       "passwords as bcrypt hashes and the audit. With --demo\n"
                       "the demo hospital is loaded too. Refuses a database that already holds\n"
                       "tables. Everything happens in one transaction.\n\n") +
            QString::fromLatin1(kServerAddressHelp) +
            QStringLiteral("Run it as the database's owner with the CREATEROLE right (or a superuser).\n\n"
                           "Exit status: 0 set up, 1 refused or failed (nothing changed), 2 misuse.\n"),
        setup};
}
