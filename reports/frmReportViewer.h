#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class frmReportViewer;
}

// The modeless window that shows the prepared report (gReport).
class frmReportViewer : public QWidget
{
    Q_OBJECT

public:
    explicit frmReportViewer(QWidget *parent = nullptr);
    ~frmReportViewer() override;

    void setShowGroupTree(bool show) { m_showGroupTree = show; }

    // Shows gReport; throws Error when it cannot be run.
    void Form_Load();

    Ui::frmReportViewer &ui() { return *m_ui; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::frmReportViewer> m_ui;
    bool m_showGroupTree = false;
};

// Opens a new viewer window for gReport with the caption given; returns it (it deletes itself
// when closed). Throws Error when the report cannot be shown; no window is left open then.
frmReportViewer *ShowReportViewer(bool showGroupTree, const QString &caption);
