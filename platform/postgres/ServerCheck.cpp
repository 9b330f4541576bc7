#include "platform/Administration.h"

#include "platform/Error.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/DatabaseScripts.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

// The tables and procedures to expect are read from the scripts setup runs (kept in the program
// beside the embedded files' own), so the check never falls behind the schema.
QStringList expectedTables()
{
    static const QRegularExpression createTable(QStringLiteral("^\\s*CREATE TABLE\\s+(\\w+)"),
                                                QRegularExpression::MultilineOption
                                                    | QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (const QString &schema : {QStringLiteral("inventory"), QStringLiteral("password")}) {
        auto matches = createTable.globalMatch(DatabaseScripts::part(QStringLiteral("postgres/schema.sql"), schema));
        while (matches.hasNext())
            tables << schema + QLatin1Char('.') + matches.next().captured(1).toLower();
    }
    return tables;
}

QStringList proceduresOf(const QString &functionsScript)
{
    static const QRegularExpression statement(QStringLiteral("^\\s*CREATE FUNCTION\\s+(sp_inv_\\w+)"),
                                              QRegularExpression::MultilineOption
                                                  | QRegularExpression::CaseInsensitiveOption);
    QStringList procedures;
    auto matches = statement.globalMatch(functionsScript);
    while (matches.hasNext())
        procedures << matches.next().captured(1).toLower();
    return procedures;
}

// What keeps the workstations to their own rights (see db/postgres/security.sql and roles.sql),
// each missing part named with what the upgrade or the administrator does about it.
QStringList securityProblems(const QString &server, QSqlDatabase db)
{
    static const QString checks = QStringLiteral(R"(
WITH our_functions AS (
    SELECT p.oid, p.oid::regprocedure::text AS name, p.proconfig, n.nspname, p.proname
      FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace
     WHERE n.nspname IN ('inventory', 'password', 'audit') AND p.prokind <> 'a'
       AND NOT EXISTS (SELECT FROM pg_catalog.pg_depend d WHERE d.classid = 'pg_catalog.pg_proc'::regclass
                          AND d.objid = p.oid AND d.deptype = 'e'))
SELECT 'has no role ' || r || ' (the upgrade makes it)'
  FROM unnest(ARRAY['inventory_request_owner', 'inventory_request_client', 'inventory_request_supply']) r
 WHERE NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = r)
UNION ALL
SELECT 'lets PUBLIC create objects in the schema public (REVOKE CREATE ON SCHEMA public FROM PUBLIC)'
 WHERE pg_catalog.has_schema_privilege('public', 'public', 'CREATE')
UNION ALL
SELECT 'lets PUBLIC connect to the database (the upgrade grants it to the client''s roles only)'
 WHERE pg_catalog.has_database_privilege('public', current_database(), 'CONNECT')
UNION ALL
SELECT 'has no pgcrypto in the schema crypto, so the staff''s passwords are not stored as hashes'
 WHERE NOT EXISTS (SELECT FROM pg_catalog.pg_extension e JOIN pg_catalog.pg_namespace n ON n.oid = e.extnamespace
                    WHERE e.extname = 'pgcrypto' AND n.nspname = 'crypto')
UNION ALL
SELECT 'has no audit table audit.tbAuditEvent'
 WHERE NOT EXISTS (SELECT FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
                    WHERE n.nspname = 'audit' AND c.relname = 'tbauditevent')
UNION ALL
SELECT 'lets the workstations read the staff''s passwords (password.tbPasswordMain.Password)'
 WHERE EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'inventory_request_client')
   AND pg_catalog.has_column_privilege('inventory_request_client', 'password.tbpasswordmain', 'password', 'SELECT')
UNION ALL
SELECT 'lets the workstations write the master data of ' || c.oid::regclass::text
  FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
 WHERE n.nspname IN ('inventory', 'password') AND c.relkind = 'r' AND c.relname <> 'tbinvwithdrawrequest'
   AND EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'inventory_request_client')
   AND pg_catalog.has_table_privilege('inventory_request_client', c.oid, 'INSERT, UPDATE, DELETE, TRUNCATE')
UNION ALL
SELECT 'has no trigger ' || t || ' (the upgrade makes it)'
  FROM unnest(ARRAY['guard_request_lines', 'guard_request_marks', 'audit_request_marks', 'store_password_hash']) t
 WHERE NOT EXISTS (SELECT FROM pg_catalog.pg_trigger g WHERE g.tgname = t AND g.tgenabled <> 'D')
UNION ALL
SELECT 'runs the function ' || name || ' without a fixed search_path' FROM our_functions
 WHERE NOT EXISTS (SELECT FROM unnest(proconfig) s WHERE s LIKE 'search_path=pg_catalog%')
   AND NOT (nspname = 'inventory'
            AND proname IN ('getdate', 'like_regex', 'patindex', 'convert_varchar', 'same_code', 'ifnull'))
UNION ALL
SELECT 'lets PUBLIC run the function ' || name FROM our_functions
 WHERE pg_catalog.has_function_privilege('public', oid, 'EXECUTE')
UNION ALL
SELECT 'cannot end a workstation session that holds the locks the others wait for (a superuser: GRANT '
       || 'pg_read_all_stats, pg_signal_backend TO inventory_request_owner)'
 WHERE EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'inventory_request_owner')
   AND NOT (pg_catalog.pg_has_role('inventory_request_owner', 'pg_signal_backend', 'USAGE')
            AND pg_catalog.pg_has_role('inventory_request_owner', 'pg_read_all_stats', 'USAGE'))
UNION ALL
SELECT 'does not end sessions idle in a transaction (ALTER DATABASE ' || quote_ident(current_database())
       || ' SET idle_in_transaction_session_timeout = ''5s'')'
 WHERE NOT EXISTS (SELECT FROM pg_catalog.pg_db_role_setting s JOIN pg_catalog.pg_database d ON d.oid = s.setdatabase
                    WHERE d.datname = current_database() AND s.setrole = 0
                      AND EXISTS (SELECT FROM unnest(s.setconfig) c
                                   WHERE c LIKE 'idle_in_transaction_session_timeout=%'
                                     AND c <> 'idle_in_transaction_session_timeout=0'))
)");
    QStringList problems;
    QSqlQuery query(db);
    if (!query.exec(checks)) {
        problems << QStringLiteral("the server \"%1\" cannot be checked for the workstations' rights (%2)")
                        .arg(server,
                             query.lastError().databaseText().section(QLatin1Char('\n'), 0, 0).simplified());
        return problems;
    }
    while (query.next())
        problems << QStringLiteral("the server \"%1\" %2").arg(server, query.value(0).toString());
    // Stored passwords that are not hashes yet: only an account that may read them can tell.
    QSqlQuery passwords(db);
    if (passwords.exec(
            QStringLiteral("SELECT count(*) FROM password.tbPasswordMain WHERE Password IS NOT NULL AND "
                           "NOT password.is_password_hash(Password::text)")) &&
        passwords.next() && passwords.value(0).toInt() > 0)
        problems << QStringLiteral(
                        "the server \"%1\" stores %2 staff passwords that are not hashes (the upgrade "
                        "hashes them)")
                        .arg(server)
                        .arg(passwords.value(0).toInt());
    return problems;
}

QStringList schemaProblems(const QString &server, QSqlDatabase db)
{
    QStringList problems;
    for (const QString &table : expectedTables()) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(table)))
            problems << QStringLiteral("the server \"%1\" has no table %2 this account can read (%3)")
                            .arg(server, table, query.lastError().databaseText().section(QLatin1Char('\n'), 0, 0).simplified());
    }
    for (const QString &procedure : proceduresOf(DatabaseScripts::text(QStringLiteral("postgres/functions.sql")))) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT count(*) FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace "
                                     "WHERE n.nspname = 'inventory' AND p.proname = ?"));
        query.addBindValue(procedure);
        if (!query.exec() || !query.next() || query.value(0).toInt() == 0)
            problems << QStringLiteral("the server \"%1\" has no procedure inventory.%2").arg(server, procedure);
    }
    // Every table with texts keeps them without trailing blanks.
    QSqlQuery untrimmed(db);
    if (untrimmed.exec(QStringLiteral(
            "SELECT DISTINCT n.nspname || '.' || c.relname FROM pg_catalog.pg_class c "
            "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
            "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
            "JOIN pg_catalog.pg_type t ON t.oid = a.atttypid AND t.typname = 'citext' "
            "WHERE c.relkind = 'r' AND n.nspname IN ('inventory', 'password') AND NOT EXISTS (SELECT FROM "
            "pg_catalog.pg_trigger g WHERE g.tgrelid = c.oid AND g.tgname = 'trim_trailing_blanks' AND "
            "g.tgenabled <> 'D') "
            "ORDER BY 1"))) {
        while (untrimmed.next())
            problems << QStringLiteral(
                            "the server \"%1\" stores the texts of %2 with their trailing blanks (its "
                            "trigger trim_trailing_blanks is missing or disabled)")
                            .arg(server, untrimmed.value(0).toString());
    }
    problems << securityProblems(server, db);
    QSqlQuery version(db);
    if (version.exec(QStringLiteral("SELECT max(Version) FROM inventory.tbInvSchemaVersion")) &&
        version.next() && version.value(0).toInt() < ServerSetup::SchemaVersion)
        problems << QStringLiteral("the server \"%1\" has schema version %2 and the workstations need %3: "
                                   "\"inventory-request-admin upgrade\" brings it up to date")
                        .arg(server)
                        .arg(version.value(0).toInt())
                        .arg(ServerSetup::SchemaVersion);
    return problems;
}

} // namespace

namespace ServerCheck {

QString Result::verdict() const
{
    if (passed())
        return QStringLiteral("OK: the server \"%1\" answers and holds the schemas inventory and password with every "
                              "table and procedure.")
            .arg(server);
    QString first = problems.first();
    if (first.endsWith(QLatin1Char('.')))
        first.chop(1);
    return QStringLiteral("FAILED: %1%2").arg(
        first, problems.size() > 1 ? QStringLiteral(" (and %1 more problems)").arg(problems.size() - 1) : QString())
           + (first.endsWith(QLatin1Char('?')) ? QString() : QStringLiteral("."));
}

Result run(const QString &serverName)
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("ir-server-check-%1").arg(++counter);
    Result result;
    result.server = ServerAddress::withoutPassword(serverName);
    try {
        QSqlDatabase db = ServerAddress::open(serverName, name);
        result.connection = ServerAddress::encryption(db);
        result.problems = schemaProblems(result.server, db);
        db.close();
    } catch (const Error &error) {
        result.problems << error.Description().simplified();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace ServerCheck
