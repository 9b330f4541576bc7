#include "reports/frmReportViewer.h"

#include "reports/core/Report.h"
#include "shell/Session.h"
#include "ui_frmReportViewer.h"

#include <QCloseEvent>

frmReportViewer::frmReportViewer(QWidget *parent) : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::frmReportViewer>())
{
    m_ui->setupUi(this);
}

frmReportViewer::~frmReportViewer() = default;

void frmReportViewer::Form_Load()
{
    m_ui->CRViewer1->setReportSource(gReport);
    m_ui->CRViewer1->Zoom(1);
    m_ui->CRViewer1->setEnableGroupTree(m_showGroupTree);
    m_ui->CRViewer1->setDisplayGroupTree(m_showGroupTree);
    m_ui->CRViewer1->ViewReport();
}

void frmReportViewer::closeEvent(QCloseEvent *event)
{
    gReport.reset();
    QWidget::closeEvent(event);
}

frmReportViewer *ShowReportViewer(bool showGroupTree, const QString &caption)
{
    auto viewer = std::make_unique<frmReportViewer>();
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setShowGroupTree(showGroupTree);
    viewer->setWindowTitle(caption);
    viewer->Form_Load();
    viewer->show();
    viewer->ui().CRViewer1->ViewReport(); // fit the width once the window has its size
    return viewer.release();
}
