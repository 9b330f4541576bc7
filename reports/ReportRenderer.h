#pragma once

#include "reports/core/Report.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;
class QPagedPaintDevice;

// Lays a report's rows out on pages (in points, 1/72 inch) and paints them on the screen, a
// printer or a PDF file, so that every output shows the same pages.
class ReportRenderer
{
public:
    ReportRenderer(const Report &report, const ReportData &data);

    int pageCount() const { return int(m_pages.size()); }
    static QSizeF pageSize(); // US Letter, portrait, in points

    // Paints one page (0-based) with the painter's coordinates in points.
    void paintPage(QPainter &painter, int page) const;

    // Paints every page on a printer or PDF writer, one page each. Throws Error on failure.
    void paintAll(QPagedPaintDevice &device) const;
    void exportPdf(const QString &path) const;

    // The groups of the report (document numbers) with the page each starts on.
    struct Group
    {
        QString name;
        int page;
    };
    const QList<Group> &groups() const { return m_groups; }

private:
    enum class Style { Title, Heading, Label, Body, Bold, Small };
    struct Item
    {
        QRectF rect;
        QString text;
        Style style;
        Qt::Alignment align;
        bool frame = false; // a line under the item
        bool fill = false;  // a shaded box behind the item
        qreal inset = 0;    // the text keeps this distance from the left and right edges
    };
    using Page = QList<Item>;

    static QFont font(Style style);
    QString expand(const QString &text) const;
    QString cellText(const QVariant &value, const QString &format) const;
    void layOut();

    Report m_report;
    ReportData m_data;
    QList<Page> m_pages;
    QList<Group> m_groups;
};
