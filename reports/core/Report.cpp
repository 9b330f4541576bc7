#include "reports/core/Report.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryFile>

namespace {

const QString kSource = QStringLiteral("Report");

[[noreturn]] void fail(const QString &description)
{
    throw Error(-1, kSource, description);
}

// The database part of a location; the main file is reached as "main", the others by the name
// they are attached under.
QString schemaOf(const QString &database)
{
    return database.compare(QLatin1String("INVENTORY"), Qt::CaseInsensitive) == 0 ? QStringLiteral("main")
                                                                                   : database;
}

} // namespace

std::shared_ptr<Report> Report::OpenReport(const QString &path)
{
    // Work on a temporary copy, so the definition in the program's folder is never touched.
    QFile original(path);
    if (!original.exists())
        fail(QStringLiteral("The report file \"%1\" was not found.").arg(path));
    QTemporaryFile copy;
    if (!copy.open() || !original.open(QIODevice::ReadOnly))
        fail(QStringLiteral("The report file \"%1\" cannot be read.").arg(path));
    copy.write(original.readAll());
    copy.seek(0);

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(copy.readAll(), &parseError);
    if (document.isNull() || !document.isObject())
        fail(QStringLiteral("The report file \"%1\" is not a report definition: %2")
                 .arg(path, parseError.errorString()));
    const QJsonObject root = document.object();

    auto report = std::make_shared<Report>();
    report->m_fileName = path;
    report->m_title = root.value(QLatin1String("title")).toString();
    report->m_query = root.value(QLatin1String("query")).toString();
    report->m_layout = root.value(QLatin1String("layout")).toObject();
    for (const QJsonValue &statement : root.value(QLatin1String("prepare")).toArray())
        report->m_prepare.append(statement.toString());
    for (const QJsonValue &t : root.value(QLatin1String("tables")).toArray()) {
        const QJsonObject table = t.toObject();
        report->m_tables.append(ReportTable{table.value(QLatin1String("name")).toString(),
                                            table.value(QLatin1String("location")).toString()});
    }
    for (const QJsonValue &p : root.value(QLatin1String("parameters")).toArray())
        report->m_parameters.append(ReportParameterField{p.toString()});
    if (report->m_query.isEmpty() || report->m_tables.isEmpty())
        fail(QStringLiteral("The report file \"%1\" has no query or no tables.").arg(path));
    return report;
}

void Report::LogOnTable(ReportTable &table, const QString &server, const QString &database, const QString &user,
                        const QString &password, Connection *connection)
{
    Q_UNUSED(user)
    Q_UNUSED(password)
    const QStringList parts = table.Location.split(QLatin1Char('.'));
    if (parts.size() != 3 || parts.first().isEmpty() || parts.last().isEmpty())
        fail(QStringLiteral("The location \"%1\" of table %2 is not of the form database.owner.table.")
                 .arg(table.Location, table.name));
    if (!connection)
        fail(QStringLiteral("Log on to %1 failed for table %2: no connection.").arg(server, table.name));
    if (!connection->reachesDatabase(schemaOf(parts.first())))
        fail(QStringLiteral("Log on failed for table %1: the database %2 (%3) cannot be reached.")
                 .arg(table.name, parts.first(), database));
    table.loggedOn = true;
}

ReportData Report::Run(Connection *connection) const
{
    if (!connection)
        fail(QStringLiteral("The report has no connection."));

    // Table names in the query stand as {name}; each becomes schema.table of its location.
    QString sql = m_query;
    for (const ReportTable &table : m_tables) {
        if (!table.loggedOn)
            fail(QStringLiteral("Table %1 of the report is not logged on.").arg(table.name));
        const QStringList parts = table.Location.split(QLatin1Char('.'));
        const QString schema = schemaOf(parts.first());
        // Names of the main database stay unqualified, so the report's own views are found too.
        sql.replace(QLatin1Char('{') + table.name + QLatin1Char('}'),
                    schema == QLatin1String("main") ? parts.last() : schema + QLatin1Char('.') + parts.last());
    }

    // Parameters stand as {?Name}; their values are bound, never joined into the text.
    ReportData data;
    QList<QVariant> bound;
    static const QRegularExpression placeholder(QStringLiteral("\\{\\?[^}]+\\}"));
    QString prepared;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(0);
        auto field = std::find_if(m_parameters.begin(), m_parameters.end(),
                                  [&](const ReportParameterField &f) { return f.Name == name; });
        if (field == m_parameters.end() || !field->hasCurrentValue)
            fail(QStringLiteral("The report parameter %1 has no value.").arg(name));
        prepared += sql.mid(from, match.capturedStart() - from) + QLatin1Char('?');
        from = match.capturedEnd();
        bound.append(field->currentValue);
    }
    prepared += sql.mid(from);
    for (const ReportParameterField &field : m_parameters) {
        if (field.hasCurrentValue)
            data.parameters.insert(field.Name.mid(2, field.Name.size() - 3), field.currentValue);
    }

    // A server keeps the report's views in its schema (inventory-request-admin setup made them).
    const bool viewsStored = connection->hasFeature(Connection::Feature::StoredReportViews);
    for (const QString &statement : viewsStored ? QStringList() : m_prepare) {
        QSqlQuery setup(connection->database());
        if (!setup.exec(statement))
            fail(QStringLiteral("The report cannot be prepared: %1").arg(setup.lastError().text()));
    }

    QSqlQuery query(connection->database());
    query.setForwardOnly(true);
    if (!query.prepare(prepared))
        fail(QStringLiteral("The report query cannot be prepared: %1").arg(query.lastError().text()));
    for (const QVariant &value : bound)
        query.addBindValue(value);
    if (!query.exec())
        fail(QStringLiteral("The report query failed: %1").arg(query.lastError().text()));

    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        data.rows.columns.append(record.fieldName(i));
    while (query.next()) {
        QVector<QVariant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(query.value(i));
        data.rows.rows.append(row);
    }
    return data;
}
