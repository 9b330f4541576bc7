#pragma once

#include "platform/Database.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

// A report definition of the system's own format (JSON, kept in ".rpt" files beside the
// program): a title, the tables it reads with their locations (database.owner.table), its
// parameter fields in order, a query over those tables in which parameter values are bound, and
// its layout.

struct ReportTable
{
    QString name;     // the name the query uses, e.g. "tbInvWithdrawRequest"
    QString Location; // database.owner.table, e.g. "INVENTORY.dbo.tbInvWithdrawRequest"
    bool loggedOn = false;
};

struct ReportParameterField
{
    QString Name; // "{?DocumentNumber}"
    QVariant currentValue;
    bool hasCurrentValue = false;

    void AddCurrentValue(const QVariant &value)
    {
        currentValue = value;
        hasCurrentValue = true;
    }
};

// The rows a report shows, read once when the report is run.
struct ReportData
{
    ResultTable rows;
    QMap<QString, QVariant> parameters; // by name without braces: "DocumentNumber"
};

class Report
{
public:
    // Opens a temporary copy of the definition (the file itself is never written). Throws Error
    // when the file is missing or is not a report definition.
    static std::shared_ptr<Report> OpenReport(const QString &path);

    QString Title() const { return m_title; }
    QString FileName() const { return m_fileName; }

    // The report-level text that names the company (printed in the page header).
    QString ReportComments() const { return m_comments; }
    void setReportComments(const QString &text) { m_comments = text; }

    QList<ReportTable> &Tables() { return m_tables; }
    const QList<ReportTable> &Tables() const { return m_tables; }
    QList<ReportParameterField> &ParameterFields() { return m_parameters; }
    const QList<ReportParameterField> &ParameterFields() const { return m_parameters; }

    // Logs a table on: the connection must reach the table's database. Throws Error otherwise.
    void LogOnTable(ReportTable &table, const QString &server, const QString &database,
                    const QString &user, const QString &password, Connection *connection);

    // Runs the report's query with its parameters bound; throws Error when a parameter has no
    // value, a table was not logged on, or the query fails.
    ReportData Run(Connection *connection) const;

    const QJsonObject &Layout() const { return m_layout; }

private:
    QString m_fileName;
    QString m_title;
    QString m_comments;
    QString m_query;
    QStringList m_prepare; // statements run before the query, e.g. temporary views
    QList<ReportTable> m_tables;
    QList<ReportParameterField> m_parameters;
    QJsonObject m_layout;
};
