#pragma once

#include <QWidget>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSplitter;
class QTreeWidget;
class Report;
class ReportRenderer;
class ReportPageView;

// The report viewer: the pages of a report with zoom and page navigation, printing through the
// system's print dialog, PDF export, and a group tree pane.
class ReportViewerControl : public QWidget
{
    Q_OBJECT

public:
    explicit ReportViewerControl(QWidget *parent = nullptr);
    ~ReportViewerControl() override;

    // Runs the report on the current user's connection; throws Error when it cannot run.
    void setReportSource(std::shared_ptr<Report> report);
    // 1 fits the page width; 2 fits the whole page; 25 to 400 is a percentage.
    void Zoom(int level);
    void setDisplayGroupTree(bool on);
    void setEnableGroupTree(bool on);
    bool isGroupTreeShown() const;
    void ViewReport();

    int currentPage() const { return m_page; }
    int pageCount() const;
    void showPage(int page);
    void exportPdf(const QString &path) const;

    ReportRenderer *renderer() const { return m_renderer.get(); }

private:
    void printReport();
    void exportReport();
    void updateNavigation();
    void applyZoom();

    std::shared_ptr<Report> m_report;
    std::unique_ptr<ReportRenderer> m_renderer;
    QSplitter *m_splitter;
    QTreeWidget *m_groupTree;
    QScrollArea *m_scroll;
    ReportPageView *m_pageView;
    QComboBox *m_zoomBox;
    QLabel *m_pageLabel;
    QAction *m_first, *m_previous, *m_next, *m_last, *m_print, *m_export, *m_treeToggle;
    int m_page = 0;
    int m_zoom = 1;
    bool m_groupTreeEnabled = true;
};
