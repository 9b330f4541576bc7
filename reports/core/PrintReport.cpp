#include "reports/core/PrintReport.h"

#include "platform/CurrentUser.h"
#include "reports/core/Report.h"
#include "shell/Session.h"

void PrintReport(const QString &reportPath, const QVariantList &values)
{
    std::shared_ptr<Report> report = Report::OpenReport(reportPath);
    report->setReportComments(gCompany);

    for (ReportTable &table : report->Tables()) {
        const qsizetype dot = table.Location.indexOf(QLatin1Char('.'));
        if (dot < 0)
            throw Error(-1, QStringLiteral("PrintReport"),
                        QStringLiteral("The table location \"%1\" names no database.").arg(table.Location));
        table.Location = gCurrentUser->Database() + table.Location.mid(dot);
        report->LogOnTable(table, gCurrentUser->ServerName(), gCurrentUser->Database(), QStringLiteral("sa"),
                           gCurrentUser->ServerPassword(), CurrentConnection());
    }

    if (!values.isEmpty()) {
        int counter = 0;
        for (ReportParameterField &field : report->ParameterFields()) {
            if (counter > values.size() - 1)
                break;
            if (field.Name == QLatin1String("{?@SupplierCode}") || field.Name == QLatin1String("{?SupplierID}"))
                field.AddCurrentValue(QString(QStringLiteral(" ") + values.at(counter).toString()));
            else
                field.AddCurrentValue(values.at(counter));
            ++counter;
        }
    }
    gReport = report;
}
