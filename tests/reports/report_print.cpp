#include "reports/ReportRenderer.h"
#include "reports/core/PrintReport.h"
#include "reports/core/Report.h"
#include "reports/frmReportViewer.h"
#include "reports/ReportViewerControl.h"
#include "shell/NumberText.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"
#include "ui_frmReportViewer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

QString reportPath(const QString &name)
{
    return QStringLiteral(IR_BUILD_DIR) + QLatin1Char('/') + name;
}

QString writeDefinition(const QTemporaryDir &dir, const QString &json)
{
    const QString path = dir.filePath(QStringLiteral("custom.rpt"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(json.toUtf8());
    return path;
}

const char *kLocationReport = R"({
    "title": "Locations",
    "tables": [ { "name": "tbInvLocation", "location": "OTHERDB.dbo.tbInvLocation" } ],
    "parameters": [ "{?LocationID}", "{?SupplierID}", "{?Unused}" ],
    "query": "SELECT Location FROM {tbInvLocation} WHERE LocationID = {?LocationID}",
    "layout": { "columns": [ { "title": "Location", "field": "Location" } ] }
})";

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(20000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(PrintReport, FillsParametersByPositionAndRetargetsTables)
{
    TestSession session;
    QTemporaryDir dir;
    gCompany = QStringLiteral("A HOSPITAL");
    PrintReport(writeDefinition(dir, QString::fromLatin1(kLocationReport)),
                {QStringLiteral("94"), QStringLiteral("S1")});
    ASSERT_TRUE(gReport);
    const auto &fields = gReport->ParameterFields();
    EXPECT_EQ(fields.at(0).currentValue.toString(), QStringLiteral("94"));
    // A supplier parameter takes its value with one leading blank.
    EXPECT_EQ(fields.at(1).currentValue.toString(), QStringLiteral(" S1"));
    // More fields than values: the rest are left alone.
    EXPECT_FALSE(fields.at(2).hasCurrentValue);
    EXPECT_EQ(gReport->ReportComments(), QStringLiteral("A HOSPITAL"));
    // The database part of the location is the current user's database; owner and table stay.
    EXPECT_EQ(gReport->Tables().first().Location, QStringLiteral("INVENTORY.dbo.tbInvLocation"));

    const ReportData data = gReport->Run(session.connection());
    ASSERT_EQ(data.rows.rows.size(), 1);
    EXPECT_EQ(data.rows.rows.first().first().toString(), QString::fromLatin1(Demo::CentralSupply));
}

TEST(PrintReport, ValuesAreBoundNotJoined)
{
    TestSession session;
    QTemporaryDir dir;
    PrintReport(writeDefinition(dir, QString::fromLatin1(kLocationReport)), {QStringLiteral("94' OR '1'='1")});
    const ReportData data = gReport->Run(session.connection());
    EXPECT_TRUE(data.rows.rows.isEmpty());
}

TEST(PrintReport, FailuresLeaveThePreparedReportAlone)
{
    TestSession session;
    QTemporaryDir dir;
    PrintReport(reportPath(QStringLiteral("DepartmentRequest_Short.rpt")), {QString::fromLatin1(Demo::PendingDoc)});
    const auto prepared = gReport;

    EXPECT_THROW(PrintReport(dir.filePath(QStringLiteral("missing.rpt")), {}), Error);
    QString noDot = QString::fromLatin1(kLocationReport);
    noDot.replace(QStringLiteral("OTHERDB.dbo.tbInvLocation"), QStringLiteral("tbInvLocation"));
    EXPECT_THROW(PrintReport(writeDefinition(dir, noDot), {}), Error);
    EXPECT_THROW(PrintReport(writeDefinition(dir, QStringLiteral("not a report")), {}), Error);
    EXPECT_EQ(gReport, prepared);

    // An empty value array fills nothing; running then names the missing parameter.
    PrintReport(reportPath(QStringLiteral("DepartmentRequest_Short.rpt")), {});
    EXPECT_FALSE(gReport->ParameterFields().first().hasCurrentValue);
    EXPECT_THROW(gReport->Run(session.connection()), Error);
}

TEST(ReportViewer, PdfHoldsTheFullRequest)
{
    TestSession session;
    gCompany = QString::fromLatin1(Demo::Company);
    gAddress1 = QString::fromLatin1(Demo::Address1);
    PrintReport(reportPath(QStringLiteral("DepartmentRequest.rpt")),
                {gCompany, gAddress1, QString::fromLatin1(Demo::PendingDoc)});
    frmReportViewer *viewer = ShowReportViewer(false, QStringLiteral("Inventory Master File"));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Inventory Master File"));
    EXPECT_FALSE(viewer->ui().CRViewer1->isGroupTreeShown());
    EXPECT_GE(viewer->ui().CRViewer1->pageCount(), 1);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("request.pdf"));
    viewer->ui().CRViewer1->exportPdf(pdf);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QString::fromLatin1(Demo::Company))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLatin1(Demo::Address1)));
    EXPECT_TRUE(text.contains(QStringLiteral("Document No.:")));
    EXPECT_TRUE(text.contains(QString::fromLatin1(Demo::CentralSupply)));
    EXPECT_TRUE(text.contains(QString::fromLatin1(Demo::EmergencyRoom)));
    EXPECT_TRUE(text.contains(QStringLiteral("Grand Total:")));

    // Every line of the request is printed, and the grand total is their sum.
    const ResultTable lines = session.connection()->Execute(
        QStringLiteral("Select ItemID, Quantity, UnitCost From INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '1'"));
    double total = 0;
    for (const auto &row : lines.rows) {
        EXPECT_TRUE(text.contains(row.at(0).toString())) << row.at(0).toString().toStdString();
        total += row.at(1).toDouble() * row.at(2).toDouble();
    }
    EXPECT_FALSE(lines.rows.isEmpty());
    EXPECT_TRUE(text.contains(QStringLiteral("Grand Total: ") + Format(total, QStringLiteral("###,###,##0.0000"))));

    // Closing the viewer releases the report.
    viewer->close();
    QApplication::processEvents();
    EXPECT_FALSE(gReport);
}

TEST(ReportViewer, ShortFormAndGroupTree)
{
    TestSession session;
    PrintReport(reportPath(QStringLiteral("DepartmentRequest_Short.rpt")), {QString::fromLatin1(Demo::FiveLineDoc)});
    frmReportViewer *viewer = ShowReportViewer(true, QStringLiteral("Inventory Master File"));
    EXPECT_TRUE(viewer->ui().CRViewer1->isGroupTreeShown());
    auto *tree = viewer->findChild<QTreeWidget *>(QStringLiteral("trvGroups"));
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), QString::fromLatin1(Demo::FiveLineDoc));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("short.pdf"));
    viewer->ui().CRViewer1->exportPdf(pdf);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("STOCK REQUEST No. 2")));
    EXPECT_FALSE(text.contains(QString::fromLatin1(Demo::Company)));
    viewer->close();
}

TEST(ReportViewer, ManyLinesFlowOverPages)
{
    TestSession session;
    session.raw(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120) "
        "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, isADS, LocationID, "
        "TargetLocationID, TransDate, UserID, Remarks) SELECT '900', '10001', i, 1.5, 'Y', '0', '94', '10', "
        "'2026-12-07 15:05:09', '1001', 'long' FROM n"));
    PrintReport(reportPath(QStringLiteral("DepartmentRequest.rpt")),
                {QStringLiteral("H"), QStringLiteral("A"), QStringLiteral("900")});
    const ReportData data = gReport->Run(session.connection());
    ASSERT_EQ(data.rows.rows.size(), 120);
    ReportRenderer renderer(*gReport, data);
    EXPECT_GE(renderer.pageCount(), 3);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    renderer.exportPdf(pdf);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of %1").arg(renderer.pageCount())));
    EXPECT_TRUE(text.contains(QStringLiteral("Grand Total: 10,890.0000"))); // 1.5 * (1 + ... + 120)
}

namespace {

struct PrintedWord
{
    QString text;
    double left, right;
};

// The words of one page of a PDF with their horizontal extent, as pdftotext reads them.
QList<PrintedWord> pageWords(const QString &pdf, int page)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page),
                                          QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(20000))
        return {};
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
    QList<PrintedWord> words;
    for (auto it = word.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto match = it.next();
        words.append({match.captured(3), match.captured(1).toDouble(), match.captured(2).toDouble()});
    }
    return words;
}

QString pageText(const QString &pdf, int page)
{
    QString text;
    for (const PrintedWord &w : pageWords(pdf, page))
        text += w.text + QLatin1Char(' ');
    return text;
}

} // namespace

TEST(ReportViewer, PrintedRequestAlignsHeadingsRepeatsThePageHeaderAndKeepsFractions)
{
    TestSession session;
    session.raw(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120) "
        "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, isADS, LocationID, "
        "TargetLocationID, TransDate, UserID, Remarks) SELECT '901', '10001', CASE i WHEN 1 THEN 2.5 ELSE i END, "
        "3, 'Y', '0', '94', '10', '2026-12-07 15:05:09', '1001', 'long' FROM n"));
    PrintReport(reportPath(QStringLiteral("DepartmentRequest.rpt")),
                {QString::fromLatin1(Demo::Company), QString::fromLatin1(Demo::Address1), QStringLiteral("901")});
    ReportRenderer renderer(*gReport, gReport->Run(session.connection()));
    ASSERT_GE(renderer.pageCount(), 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("request.pdf"));
    renderer.exportPdf(pdf);

    // Every page carries the page header: the hospital and the document number, above the headings.
    for (int page = 1; page <= renderer.pageCount(); ++page) {
        const QStringList words = pageText(pdf, page).split(QLatin1Char(' '));
        for (const char *word : {"RAPHAEL", "No.:", "901"})
            EXPECT_TRUE(words.contains(QLatin1String(word))) << word << " on page " << page;
        if (words.contains(QLatin1String("10001"))) { // lines have their headings above them
            EXPECT_TRUE(words.contains(QLatin1String("Quantity")) && words.contains(QLatin1String("Retail?")));
        }
    }

    // A right-aligned heading ends where its column's figures end; the fractional quantity prints
    // as stored, so quantity times unit cost is the printed line total.
    const QList<PrintedWord> words = pageWords(pdf, 1);
    const auto find = [&](const QString &text) -> const PrintedWord * {
        const PrintedWord *rightmost = nullptr;
        for (const PrintedWord &w : words)
            if (w.text == text && (!rightmost || w.right > rightmost->right))
                rightmost = &w;
        return rightmost;
    };
    const PrintedWord *costHeading = find(QStringLiteral("Cost")); // of "Total Cost", right of "Unit Cost"
    const PrintedWord *firstTotal = find(QStringLiteral("7.5000"));
    const PrintedWord *fraction = find(QStringLiteral("2.5"));
    const PrintedWord *quantityHeading = find(QStringLiteral("Quantity"));
    ASSERT_TRUE(costHeading && quantityHeading);
    ASSERT_TRUE(fraction && firstTotal) << "2.5 x 3 = 7.5000 is not printed";
    EXPECT_NEAR(costHeading->right, firstTotal->right, 0.5);
    EXPECT_NEAR(quantityHeading->right, fraction->right, 0.5);
    const PrintedWord *retail = find(QStringLiteral("Retail?"));
    ASSERT_TRUE(retail);
    EXPECT_GT(retail->left - costHeading->right, 3.0);
}
