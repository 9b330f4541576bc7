#include "reports/ReportViewerControl.h"

#include "platform/Messages.h"
#include "reports/ReportRenderer.h"
#include "shell/Session.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

// One page, painted at the viewer's zoom.
class ReportPageView : public QWidget
{
public:
    explicit ReportPageView(QWidget *parent) : QWidget(parent) { setAutoFillBackground(false); }

    void show(const ReportRenderer *renderer, int page, qreal scale)
    {
        m_renderer = renderer;
        m_page = page;
        m_scale = scale;
        const QSizeF size = ReportRenderer::pageSize() * scale;
        setFixedSize(size.toSize());
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.fillRect(rect(), Qt::white);
        if (!m_renderer)
            return;
        painter.scale(m_scale, m_scale);
        m_renderer->paintPage(painter, m_page);
    }

private:
    const ReportRenderer *m_renderer = nullptr;
    int m_page = 0;
    qreal m_scale = 1.0;
};

ReportViewerControl::ReportViewerControl(QWidget *parent) : QWidget(parent)
{
    auto *toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("tbViewer"));
    m_first = toolbar->addAction(tr("|<"), this, [this] { showPage(0); });
    m_first->setToolTip(tr("First Page"));
    m_previous = toolbar->addAction(tr("<"), this, [this] { showPage(m_page - 1); });
    m_previous->setToolTip(tr("Previous Page"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));
    m_pageLabel->setMinimumWidth(90);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    m_pageLabel->setAccessibleDescription(tr("Page"));
    toolbar->addWidget(m_pageLabel);
    m_next = toolbar->addAction(tr(">"), this, [this] { showPage(m_page + 1); });
    m_next->setToolTip(tr("Next Page"));
    m_last = toolbar->addAction(tr(">|"), this, [this] { showPage(pageCount() - 1); });
    m_last->setToolTip(tr("Last Page"));
    toolbar->addSeparator();
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("cboZoom"));
    m_zoomBox->setAccessibleName(tr("Zoom"));
    m_zoomBox->view()->setAccessibleName(tr("Zoom"));
    m_zoomBox->addItem(tr("Page Width"), 1);
    m_zoomBox->addItem(tr("Whole Page"), 2);
    for (int percent : {50, 75, 100, 125, 150, 200, 300, 400})
        m_zoomBox->addItem(QStringLiteral("%1%").arg(percent), percent);
    connect(m_zoomBox, &QComboBox::activated, this, [this](int index) { Zoom(m_zoomBox->itemData(index).toInt()); });
    toolbar->addWidget(m_zoomBox);
    toolbar->addSeparator();
    m_print = toolbar->addAction(tr("&Print..."), this, &ReportViewerControl::printReport);
    m_export = toolbar->addAction(tr("E&xport PDF..."), this, &ReportViewerControl::exportReport);
    m_treeToggle = toolbar->addAction(tr("Group Tree"));
    m_treeToggle->setCheckable(true);
    connect(m_treeToggle, &QAction::toggled, this, [this](bool on) { m_groupTree->setVisible(on); });
    // The page buttons show arrows; a screen reader says what their tool tips say.
    for (QAction *action : {m_first, m_previous, m_next, m_last})
        toolbar->widgetForAction(action)->setAccessibleName(action->toolTip());

    m_groupTree = new QTreeWidget(this);
    m_groupTree->setObjectName(QStringLiteral("trvGroups"));
    m_groupTree->setHeaderHidden(true);
    m_groupTree->setAccessibleName(tr("Group Tree"));
    connect(m_groupTree, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { showPage(item->data(0, Qt::UserRole).toInt()); });
    connect(m_groupTree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { showPage(item->data(0, Qt::UserRole).toInt()); });

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrPages"));
    m_scroll->setAccessibleName(tr("Report pages"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_pageView = new ReportPageView(m_scroll);
    m_scroll->setWidget(m_pageView);

    m_splitter = new QSplitter(this);
    m_splitter->addWidget(m_groupTree);
    m_splitter->addWidget(m_scroll);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({160, 700});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_splitter);
    updateNavigation();
}

ReportViewerControl::~ReportViewerControl() = default;

void ReportViewerControl::setReportSource(std::shared_ptr<Report> report)
{
    if (!report)
        throw Error(-1, QStringLiteral("ReportViewer"), QStringLiteral("There is no report to show."));
    const ReportData data = report->Run(CurrentConnection());
    m_renderer = std::make_unique<ReportRenderer>(*report, data);
    m_report = std::move(report);
    m_groupTree->clear();
    auto *root = new QTreeWidgetItem(m_groupTree, {m_report->Title()});
    root->setData(0, Qt::UserRole, 0);
    for (const ReportRenderer::Group &group : m_renderer->groups()) {
        auto *item = new QTreeWidgetItem(root, {group.name});
        item->setData(0, Qt::UserRole, group.page);
    }
    m_groupTree->expandAll();
    m_page = 0;
}

int ReportViewerControl::pageCount() const
{
    return m_renderer ? m_renderer->pageCount() : 0;
}

void ReportViewerControl::Zoom(int level)
{
    m_zoom = level;
    const int index = m_zoomBox->findData(level);
    if (index >= 0)
        m_zoomBox->setCurrentIndex(index);
    applyZoom();
}

void ReportViewerControl::setDisplayGroupTree(bool on)
{
    m_groupTree->setVisible(on);
    m_treeToggle->setChecked(on);
}

void ReportViewerControl::setEnableGroupTree(bool on)
{
    m_groupTreeEnabled = on;
    m_treeToggle->setEnabled(on);
    if (!on)
        setDisplayGroupTree(false);
}

bool ReportViewerControl::isGroupTreeShown() const
{
    return !m_groupTree->isHidden();
}

void ReportViewerControl::ViewReport()
{
    showPage(0);
}

void ReportViewerControl::showPage(int page)
{
    if (!m_renderer)
        return;
    m_page = std::clamp(page, 0, std::max(0, pageCount() - 1));
    applyZoom();
    updateNavigation();
}

void ReportViewerControl::applyZoom()
{
    if (!m_renderer)
        return;
    const QSizeF page = ReportRenderer::pageSize();
    const QSize room = m_scroll->viewport()->size() - QSize(24, 24);
    qreal scale = 1.0;
    if (m_zoom == 1)
        scale = room.width() / page.width();
    else if (m_zoom == 2)
        scale = std::min(room.width() / page.width(), room.height() / page.height());
    else
        scale = m_zoom / 100.0 * logicalDpiX() / 72.0;
    m_pageView->show(m_renderer.get(), m_page, std::max(scale, 0.1));
}

void ReportViewerControl::updateNavigation()
{
    const int count = pageCount();
    m_pageLabel->setText(count ? tr("%1 of %2").arg(m_page + 1).arg(count) : QString());
    m_first->setEnabled(m_page > 0);
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < count);
    m_last->setEnabled(m_page + 1 < count);
    m_print->setEnabled(count > 0);
    m_export->setEnabled(count > 0);
}

void ReportViewerControl::exportPdf(const QString &path) const
{
    if (!m_renderer)
        throw Error(-1, QStringLiteral("ReportViewer"), QStringLiteral("There is no report to export."));
    m_renderer->exportPdf(path);
}

void ReportViewerControl::printReport()
{
    if (!m_renderer)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_report->Title());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        m_renderer->paintAll(printer);
    } catch (const Error &e) {
        MsgBox(e.Description(), MsgButtons::OK, MsgIcon::Critical);
    }
}

void ReportViewerControl::exportReport()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Export PDF"), m_report->Title() + QStringLiteral(".pdf"),
                                                      tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    try {
        exportPdf(path);
    } catch (const Error &e) {
        MsgBox(e.Description(), MsgButtons::OK, MsgIcon::Critical);
    }
}
