#include "platform/postgres/ServerCheck.h"

#include "platform/Error.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/postgres/ServerSetup.h"
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
