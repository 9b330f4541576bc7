#include "platform/Administration.h"

#include "platform/DatabaseScripts.h"
#include "platform/Error.h"
#include "platform/postgres/Libpq.h"

#include <QRegularExpression>
#include <QStringList>

#include <libpq-fe.h>

#include <memory>
#include <optional>

namespace {

[[noreturn]] void fail(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("ServerSetup"), description);
}

// The workstations' transactions all take this lock first (see PostgresConnection).
constexpr const char *SaveLock = "SELECT pg_advisory_xact_lock(7419263)";

// The functions and procedures of this version in place of those of an earlier one (their
// results keep their columns, so they can be replaced in place).
QString replacingFunctions()
{
    static const QRegularExpression create(QStringLiteral("^CREATE (FUNCTION|VIEW) "),
                                           QRegularExpression::MultilineOption);
    return DatabaseScripts::text(QStringLiteral("postgres/functions.sql"))
        .replace(create, QStringLiteral("CREATE OR REPLACE \\1 "));
}

// The indexes of one block of schema.sql (between its "-- ---- <title>" and "-- ---- end" lines),
// made where missing.
QString schemaIndexes(const QString &title, const QString &what)
{
    const QString schema = DatabaseScripts::text(QStringLiteral("postgres/schema.sql"));
    const QRegularExpression block(QStringLiteral("^-- ---- ") + QRegularExpression::escape(title) +
                                       QStringLiteral(".*?^-- ---- end[^\\n]*$"),
                                   QRegularExpression::MultilineOption |
                                       QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = block.match(schema);
    if (!match.hasMatch() || !match.captured().contains(QLatin1String("CREATE INDEX ")))
        fail(QStringLiteral("The program's server schema lacks %1; nothing was changed.").arg(what));
    return QStringLiteral("SET LOCAL search_path = inventory, public;\n") +
           match.captured()
               .replace(QLatin1String("CREATE INDEX "), QLatin1String("CREATE INDEX IF NOT EXISTS "))
               .replace(QLatin1String("CREATE STATISTICS "),
                        QLatin1String("CREATE STATISTICS IF NOT EXISTS ")) +
           QLatin1Char('\n');
}

// The request list's indexes of this version, in place of those of versions 2 and 3.
QString requestListIndexes()
{
    return schemaIndexes(QStringLiteral("The request list"), QStringLiteral("the request list's indexes")) +
           QStringLiteral(
               "DROP INDEX IF EXISTS inventory.ixInvWithdrawRequest_LocationStatus, "
               "inventory.ixInvWithdrawRequest_LocationPending, inventory.ixInvWithdrawRequest_ListPending, "
               "inventory.ixInvWithdrawRequest_ListStatus;\n"
               "ANALYZE inventory.tbInvWithdrawRequest;\n");
}

// The index the product search's name match uses.
QString productSearchIndexes()
{
    return schemaIndexes(QStringLiteral("The product search"), QStringLiteral("the product search's index"));
}

struct Server
{
    PgConnection connection{nullptr, &PQfinish};

    void connect(const QString &serverName) { connection = connectDirectly(serverName, QStringLiteral("ServerSetup")); }

    // A failed step ends the work: the open transaction goes with the connection. The advice is
    // added when two rows would hold the same key.
    void exec(const QString &sql, const QString &step, const QString &duplicateKeyAdvice = QString())
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.toUtf8().constData()),
                                                               &PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return;
        const QString message = QString::fromUtf8(PQerrorMessage(connection.get())).trimmed();
        const char *state = PQresultErrorField(result.get(), PG_DIAG_SQLSTATE);
        if (!duplicateKeyAdvice.isEmpty() && state && qstrcmp(state, "23505") == 0)
            fail(QStringLiteral("%1 failed; nothing was changed. %2\n%3")
                     .arg(step, duplicateKeyAdvice, message));
        fail(QStringLiteral("%1 failed; nothing was changed.\n%2").arg(step, message));
    }

    // The first value of a one-row answer; nothing when the statement failed.
    std::optional<QString> value(const QString &sql)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(
            PQexec(connection.get(), sql.toUtf8().constData()), &PQclear);
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) != 1)
            return std::nullopt;
        return QString::fromUtf8(PQgetvalue(result.get(), 0, 0));
    }

    long long count(const QString &sql)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), sql.toUtf8().constData()),
                                                               &PQclear);
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) != 1)
            fail(QString::fromUtf8(PQerrorMessage(connection.get())).trimmed());
        return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
    }

    // The set-up creates the roles, installs extensions and changes the database's own rights:
    // said first, and refused before anything is done when the account lacks them.
    void requireAdministratorRights(const std::function<void(const QString &)> &say)
    {
        say(QStringLiteral(
            "This needs an account that owns the database (or a superuser) and has the CREATEROLE "
            "right: it creates the roles inventory_request_owner, inventory_request_client and "
            "inventory_request_supply, installs the extensions citext and pgcrypto, and takes "
            "the database's rights from PUBLIC"));
        const std::optional<QString> missing = value(QStringLiteral(
            "SELECT concat_ws(', ', CASE WHEN NOT (r.rolsuper OR r.rolcreaterole) THEN 'the CREATEROLE "
            "right' END, "
            "CASE WHEN NOT (r.rolsuper OR pg_catalog.pg_has_role(current_user, d.datdba, 'MEMBER')) "
            "THEN 'the ownership of the database' END) "
            "FROM pg_catalog.pg_roles r, pg_catalog.pg_database d "
            "WHERE r.rolname = current_user AND d.datname = current_database()"));
        if (!missing)
            fail(QString::fromUtf8(PQerrorMessage(connection.get())).trimmed());
        if (!missing->isEmpty())
            fail(QStringLiteral(
                     "The account \"%1\" lacks %2, which this needs; nothing was changed. A superuser "
                     "grants it (ALTER ROLE %1 CREATEROLE; ALTER DATABASE %3 OWNER TO %1).")
                     .arg(QString::fromUtf8(PQuser(connection.get())), *missing,
                          QString::fromUtf8(PQdb(connection.get()))));
    }

    // The roles, the stored passwords' hashes, the triggers that hold the workstations to what the
    // client does, the audit, and each role's grants.
    void secure(const std::function<void(const QString &)> &say)
    {
        say(QStringLiteral("Hashing the staff's passwords and guarding the requests"));
        exec(DatabaseScripts::text(QStringLiteral("postgres/security.sql")),
             QStringLiteral("Hashing the passwords and guarding the requests"));
        say(QStringLiteral("Granting the roles inventory_request_client and inventory_request_supply"));
        exec(DatabaseScripts::text(QStringLiteral("postgres/roles.sql")),
             QStringLiteral("Granting the roles"));
    }
};

} // namespace

namespace ServerSetup {

void run(const QString &serverName, Content content, const std::function<void(const QString &)> &progress)
{
    auto say = [&](const QString &line) {
        if (progress)
            progress(line);
    };
    Server server;
    server.connect(serverName);
    server.requireAdministratorRights(say);

    const long long tables = server.count(QStringLiteral(
        "SELECT count(*) FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f') AND n.nspname NOT IN ('pg_catalog', 'information_schema') "
        "AND n.nspname NOT LIKE 'pg_toast%'"));
    if (tables > 0)
        fail(QStringLiteral("The database \"%1\" already holds %2 tables; the set-up only fills an empty database "
                            "and changed nothing.")
                 .arg(QString::fromUtf8(PQdb(server.connection.get())))
                 .arg(tables));

    server.exec(QStringLiteral("BEGIN"), QStringLiteral("Starting the set-up"));
    say(QStringLiteral("Creating the tables of the schemas inventory and password"));
    server.exec(DatabaseScripts::text(QStringLiteral("postgres/schema.sql")), QStringLiteral("Creating the tables"));
    server.exec(DatabaseScripts::text(QStringLiteral("postgres/trailing-blanks.sql")),
                QStringLiteral("Creating the triggers that store texts without trailing blanks"));
    say(QStringLiteral("Creating the functions and stored procedures"));
    server.exec(DatabaseScripts::text(QStringLiteral("postgres/functions.sql")), QStringLiteral("Creating the functions"));
    if (content == Content::DemoData) {
        say(QStringLiteral("Loading the demo hospital"));
        const QString demo = DatabaseScripts::text(QStringLiteral("demo.sql"));
        server.exec(DatabaseScripts::text(QStringLiteral("postgres/demo-support.sql")), QStringLiteral("Preparing the demo"));
        server.exec(QStringLiteral("SET LOCAL search_path = inventory, setup_support, public;\n") +
                        DatabaseScripts::splitByDatabase(demo).value(QStringLiteral("inventory")),
                    QStringLiteral("Loading the demo's inventory"));
        server.exec(QStringLiteral("SET LOCAL search_path = password, public;\n") + DatabaseScripts::splitByDatabase(demo).value(QStringLiteral("password")),
                    QStringLiteral("Loading the demo's staff"));
        server.exec(QStringLiteral("DROP SCHEMA setup_support CASCADE"), QStringLiteral("Finishing the demo"));
    }
    // New request lines are numbered after those already there.
    server.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('inventory.tbinvwithdrawrequest', "
                               "'withdrawrequestid'), coalesce(max(WithdrawRequestID), 0) + 1, false) "
                               "FROM inventory.tbInvWithdrawRequest"),
                QStringLiteral("Numbering the request lines"));
    server.secure(say);
    server.exec(QStringLiteral("RESET search_path"), QStringLiteral("Finishing the set-up"));
    server.exec(QStringLiteral("COMMIT"), QStringLiteral("Committing the set-up"));
    say(QStringLiteral("Done"));
}

int upgrade(const QString &serverName, const std::function<void(const QString &)> &progress)
{
    auto say = [&](const QString &line) {
        if (progress)
            progress(line);
    };
    Server server;
    server.connect(serverName);
    server.requireAdministratorRights(say);
    const QString database = QString::fromUtf8(PQdb(server.connection.get()));
    server.exec(QStringLiteral("BEGIN"), QStringLiteral("Starting the upgrade"));
    // Saves under way finish first; the workstations' next ones wait for the upgrade.
    server.exec(QString::fromLatin1(SaveLock), QStringLiteral("Waiting for the workstations' saves"));
    const std::optional<QString> found =
        server.value(QStringLiteral("SELECT max(Version) FROM inventory.tbInvSchemaVersion"));
    if (!found || found->isEmpty())
        fail(QStringLiteral("The database \"%1\" holds no inventory schema that this account can read; "
                            "\"inventory-request-admin setup\" sets up an empty one. Nothing was changed.")
                 .arg(database));
    const int version = found->toInt();
    if (version > SchemaVersion)
        fail(QStringLiteral(
                 "The database \"%1\" was set up by a later version of the program (schema version %2; "
                 "this one knows up to %3). Nothing was changed.")
                 .arg(database)
                 .arg(version)
                 .arg(SchemaVersion));
    if (version == SchemaVersion) {
        server.exec(QStringLiteral("ROLLBACK"), QStringLiteral("Ending the upgrade"));
        say(QStringLiteral("The database \"%1\" is at schema version %2 already; nothing to do.")
                .arg(database)
                .arg(version));
        return version;
    }
    if (version < 2)
        fail(QStringLiteral("The database \"%1\" has the unknown schema version %2. Nothing was changed.")
                 .arg(database)
                 .arg(version));

    // Version 3: texts are stored without trailing blanks; the procedures find their keys by index;
    // the product search finds names by index. Version 4: the request list has an index for each
    // state it lists. Version 5: a department's pending lines have an index (made with the request
    // list's), and the server is secured (below). Every step may run again on a version 3 or 4
    // database: it changes nothing there that is already done.
    say(QStringLiteral("Removing the trailing blanks of the stored texts and of every later write"));
    server.exec(DatabaseScripts::text(QStringLiteral("postgres/trailing-blanks.sql")),
                QStringLiteral("Removing the trailing blanks of the stored texts"),
                QStringLiteral("Two rows hold the same key once their trailing blanks are removed: correct one of "
                               "them and run the upgrade again."));

    say(QStringLiteral("Replacing the functions and stored procedures with this version's"));
    server.exec(replacingFunctions(), QStringLiteral("Replacing the functions and stored procedures"));
    say(QStringLiteral("Making the request list's indexes"));
    server.exec(requestListIndexes(), QStringLiteral("Making the request list's indexes"));
    say(QStringLiteral("Making the product search's index"));
    server.exec(productSearchIndexes(), QStringLiteral("Making the product search's index"));
    // Version 5: roles that own nothing they don't need, hashed passwords, guarded requests, the audit.
    server.secure(say);
    server.exec(QStringLiteral("RESET search_path"), QStringLiteral("Finishing the upgrade"));

    server.exec(QStringLiteral("INSERT INTO inventory.tbInvSchemaVersion (Version, AppliedOn) VALUES (%1, "
                               "LOCALTIMESTAMP(0))")
                    .arg(SchemaVersion),
                QStringLiteral("Recording the schema version"));
    server.exec(QStringLiteral("COMMIT"), QStringLiteral("Committing the upgrade"));
    say(QStringLiteral("Upgraded the database \"%1\" from schema version %2 to %3.")
            .arg(database)
            .arg(version)
            .arg(SchemaVersion));
    return version;
}

} // namespace ServerSetup
