#include "reports/ReportRenderer.h"

#include "platform/Error.h"
#include "shell/NumberText.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

namespace {

constexpr qreal kMargin = 40.0;
constexpr qreal kRowGap = 2.0;
// Headings and cells of a column keep the same distance from its edges, so a right-aligned
// heading ends where its figures end and never runs into the next column's heading.
constexpr qreal kCellInset = 2.0;

Qt::Alignment alignmentOf(const QString &name)
{
    if (name == QLatin1String("right"))
        return Qt::AlignRight | Qt::AlignVCenter;
    if (name == QLatin1String("center"))
        return Qt::AlignHCenter | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

ReportRenderer::ReportRenderer(const Report &report, const ReportData &data) : m_report(report), m_data(data)
{
    layOut();
}

QSizeF ReportRenderer::pageSize()
{
    return QPageSize(QPageSize::Letter).size(QPageSize::Point);
}

QFont ReportRenderer::font(Style style)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    switch (style) {
    case Style::Title:
        f.setPixelSize(16);
        f.setBold(true);
        break;
    case Style::Heading:
        f.setPixelSize(12);
        f.setBold(true);
        break;
    case Style::Label:
    case Style::Bold:
        f.setPixelSize(9);
        f.setBold(true);
        break;
    case Style::Body:
        f.setPixelSize(9);
        break;
    case Style::Small:
        f.setPixelSize(8);
        break;
    }
    return f;
}

QString ReportRenderer::cellText(const QVariant &value, const QString &format) const
{
    if (value.isNull())
        return QString();
    if (value.metaType().id() == QMetaType::QDateTime)
        return DateTimeText(value.toDateTime());
    if (!format.isEmpty()) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            return Format(number, format);
    }
    // A number without a format prints as stored: 2.5 stays 2.5, 12.0 is 12.
    if (IsNumberValue(value))
        return GeneralNumber(value.toDouble());
    const QString text = value.toString();
    // Stored date-times come back as ISO text: show them month-first, as the list does.
    const QDateTime asDate = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return asDate.isValid() ? DateTimeText(asDate) : text;
}

// Replaces {Field} by the first row's field, {?Name} by a parameter and {@Company} by the
// report's company text.
QString ReportRenderer::expand(const QString &text) const
{
    static const QRegularExpression placeholder(QStringLiteral("\\{([?@]?)([^}]+)\\}"));
    QString result;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += text.mid(from, match.capturedStart() - from);
        from = match.capturedEnd();
        const QString kind = match.captured(1);
        const QString name = match.captured(2);
        if (kind == QLatin1String("@"))
            result += m_report.ReportComments();
        else if (kind == QLatin1String("?"))
            result += m_data.parameters.value(name).toString();
        else {
            const int column = m_data.rows.columnIndex(name);
            if (column >= 0 && !m_data.rows.rows.isEmpty())
                result += cellText(m_data.rows.rows.first().at(column), QString());
        }
    }
    return result + text.mid(from);
}

void ReportRenderer::layOut()
{
    const QJsonObject layout = m_report.Layout();
    const QSizeF size = pageSize();
    const qreal width = size.width() - 2 * kMargin;
    const qreal bottom = size.height() - kMargin - 20; // room for the page footer

    struct Column
    {
        QString title, field, format;
        qreal width;
        Qt::Alignment align;
    };
    QList<Column> columns;
    qreal weights = 0;
    for (const QJsonValue &v : layout.value(QLatin1String("columns")).toArray()) {
        const QJsonObject c = v.toObject();
        columns.append({c.value(QLatin1String("title")).toString(), c.value(QLatin1String("field")).toString(),
                        c.value(QLatin1String("format")).toString(), c.value(QLatin1String("width")).toDouble(1),
                        alignmentOf(c.value(QLatin1String("align")).toString())});
        weights += columns.last().width;
    }
    for (Column &c : columns)
        c.width = width * c.width / (weights > 0 ? weights : 1);

    Page page;
    qreal y = kMargin;
    auto line = [&](const QString &text, Style style, Qt::Alignment align, qreal x = kMargin, qreal w = -1) {
        const QFontMetricsF metrics(font(style));
        const qreal lineWidth = w < 0 ? width : w;
        const QRectF bounds = metrics.boundingRect(QRectF(0, 0, lineWidth, 1000), Qt::TextWordWrap | align, text);
        page.append({QRectF(x, y, lineWidth, bounds.height()), text, style, align});
        return bounds.height();
    };

    auto columnHeader = [&]() {
        qreal x = kMargin;
        qreal h = QFontMetricsF(font(Style::Label)).height() + 4;
        for (const Column &c : columns) {
            page.append({QRectF(x, y, c.width, h), c.title, Style::Label, c.align, true, true, kCellInset});
            x += c.width;
        }
        y += h + kRowGap;
    };

    // Page header, on every page: the hospital and the request's header fields.
    auto pageHeader = [&]() {
        for (const QJsonValue &v : layout.value(QLatin1String("header")).toArray()) {
            const QJsonObject h = v.toObject();
            const QString style = h.value(QLatin1String("style")).toString();
            const Style s = style == QLatin1String("title")     ? Style::Title
                            : style == QLatin1String("heading") ? Style::Heading
                                                                : Style::Body;
            y += line(expand(h.value(QLatin1String("text")).toString()), s,
                      alignmentOf(h.value(QLatin1String("align")).toString())) + kRowGap;
        }
        y += 8;
        const qreal labelWidth = width * 0.25;
        for (const QJsonValue &v : layout.value(QLatin1String("fields")).toArray()) {
            const QJsonObject f = v.toObject();
            line(f.value(QLatin1String("label")).toString(), Style::Label, Qt::AlignLeft | Qt::AlignTop, kMargin,
                 labelWidth);
            y += line(expand(f.value(QLatin1String("value")).toString()), Style::Body, Qt::AlignLeft | Qt::AlignTop,
                      kMargin + labelWidth, width - labelWidth) + kRowGap;
        }
        y += 8;
    };
    auto newPage = [&]() {
        m_pages.append(page);
        page.clear();
        y = kMargin;
        pageHeader();
    };

    pageHeader();

    const QString group = m_data.rows.rows.isEmpty() ? QString() : expand(QStringLiteral("{DocumentNumber}"));
    if (!group.isEmpty())
        m_groups.append({group, 0});

    columnHeader();
    QMap<QString, double> sums;
    const QJsonArray totals = layout.value(QLatin1String("totals")).toArray();
    for (const QVector<QVariant> &row : m_data.rows.rows) {
        QList<Item> cells;
        qreal h = 0;
        qreal x = kMargin;
        for (const Column &c : columns) {
            const int index = m_data.rows.columnIndex(c.field);
            const QString text = index >= 0 ? cellText(row.at(index), c.format) : QString();
            const QRectF bounds = QFontMetricsF(font(Style::Body))
                                      .boundingRect(QRectF(0, 0, c.width - 2 * kCellInset, 1000), Qt::TextWordWrap, text);
            h = std::max(h, bounds.height());
            cells.append({QRectF(x, 0, c.width, 0), text, Style::Body, c.align, false, false, kCellInset});
            x += c.width;
        }
        if (y + h > bottom) {
            newPage();
            columnHeader();
        }
        for (Item &cell : cells) {
            cell.rect.moveTop(y);
            cell.rect.setHeight(h);
            page.append(cell);
        }
        y += h + kRowGap;
        for (const QJsonValue &t : totals) {
            const QString field = t.toObject().value(QLatin1String("sum")).toString();
            const int index = m_data.rows.columnIndex(field);
            if (index >= 0)
                sums[field] += row.at(index).toDouble();
        }
    }

    // Totals, then the signature lines, kept together on one page.
    const qreal closingHeight = 40.0 + 18.0 * totals.size() + 60.0;
    if (y + closingHeight > bottom)
        newPage();
    page.append({QRectF(kMargin, y, width, 1), QString(), Style::Body, Qt::AlignLeft, true});
    y += 4;
    for (const QJsonValue &t : totals) {
        const QJsonObject total = t.toObject();
        const QString field = total.value(QLatin1String("sum")).toString();
        const QString text = total.value(QLatin1String("label")).toString() + QLatin1Char(' ') +
                             Format(sums.value(field), total.value(QLatin1String("format")).toString());
        y += line(text, Style::Bold, Qt::AlignRight | Qt::AlignVCenter) + kRowGap;
    }
    const QJsonArray signatures = layout.value(QLatin1String("signatures")).toArray();
    if (!signatures.isEmpty()) {
        y += 36;
        const qreal slot = width / signatures.size();
        for (int i = 0; i < signatures.size(); ++i) {
            const qreal x = kMargin + i * slot;
            page.append({QRectF(x + 8, y, slot - 16, 1), QString(), Style::Body, Qt::AlignLeft, true});
            page.append({QRectF(x + 8, y + 4, slot - 16, 12), signatures.at(i).toString(), Style::Small,
                         Qt::AlignHCenter | Qt::AlignTop});
        }
    }
    m_pages.append(page);

    // Page numbers, now that the count is known.
    const QString footer = layout.value(QLatin1String("pageFooter")).toString();
    if (!footer.isEmpty()) {
        for (int i = 0; i < m_pages.size(); ++i) {
            QString text = footer;
            text.replace(QLatin1String("{page}"), QString::number(i + 1));
            text.replace(QLatin1String("{pages}"), QString::number(m_pages.size()));
            m_pages[i].append({QRectF(kMargin, size.height() - kMargin - 12, width, 12), text, Style::Small,
                               Qt::AlignRight | Qt::AlignVCenter});
        }
    }
}

void ReportRenderer::paintPage(QPainter &painter, int page) const
{
    if (page < 0 || page >= m_pages.size())
        return;
    painter.save();
    painter.setPen(Qt::black);
    for (const Item &item : m_pages.at(page)) {
        if (item.fill)
            painter.fillRect(item.rect, QColor(230, 230, 230));
        if (item.frame)
            painter.drawLine(item.rect.bottomLeft(), item.rect.bottomRight());
        if (!item.text.isEmpty()) {
            painter.setFont(font(item.style));
            painter.drawText(item.rect.adjusted(item.inset, 0, -item.inset, 0), int(item.align) | Qt::TextWordWrap,
                             item.text);
        }
    }
    painter.restore();
}

void ReportRenderer::paintAll(QPagedPaintDevice &device) const
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(-1, QStringLiteral("Report"), QStringLiteral("The report cannot be printed on this device."));
    const qreal scale = painter.device()->logicalDpiX() / 72.0;
    painter.scale(scale, painter.device()->logicalDpiY() / 72.0);
    for (int i = 0; i < m_pages.size(); ++i) {
        if (i > 0 && !device.newPage())
            throw Error(-1, QStringLiteral("Report"), QStringLiteral("A new page cannot be started."));
        paintPage(painter, i);
    }
    painter.end();
}

void ReportRenderer::exportPdf(const QString &path) const
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(m_report.Title());
    writer.setCreator(QStringLiteral("Inventory Request"));
    paintAll(writer);
}
