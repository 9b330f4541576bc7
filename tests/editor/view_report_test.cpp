#include "editor/frmMain.h"
#include "reports/ReportViewerControl.h"
#include "reports/core/Report.h"
#include "reports/frmReportViewer.h"
#include "shell/Session.h"
#include "tests/support/EditorFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>

namespace {

QString S(const char *text)
{
    return QString::fromLatin1(text);
}

frmReportViewer *openViewer()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *viewer = qobject_cast<frmReportViewer *>(w); viewer && viewer->isVisible())
            return viewer;
    }
    return nullptr;
}

class ViewTest : public EditorFixture
{
protected:
    void TearDown() override
    {
        while (frmReportViewer *viewer = openViewer()) {
            viewer->close();
            processEvents();
        }
        EditorFixture::TearDown();
    }
};

} // namespace

TEST_F(ViewTest, ViewShowsTheSelectedRequestInTheViewer)
{
    selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
    click(S("cmdView"));
    frmReportViewer *viewer = openViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), S("Inventory Master File"));
    EXPECT_FALSE(viewer->findChild<ReportViewerControl *>(S("CRViewer1"))->isGroupTreeShown());
    ASSERT_TRUE(gReport);
    EXPECT_TRUE(gReport->FileName().endsWith(S("/DepartmentRequest.rpt")));
    EXPECT_EQ(gReport->ParameterFields().at(2).currentValue.toString(), S(Demo::FiveLineDoc));
    EXPECT_EQ(messages().count(), 0);
}

TEST_F(ViewTest, ShortFormPrintsOnlyTheDocumentNumber)
{
    widget<QCheckBox>(S("chkPrint"))->setChecked(true);
    selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    click(S("cmdView"));
    ASSERT_TRUE(gReport);
    EXPECT_TRUE(gReport->FileName().endsWith(S("/DepartmentRequest_Short.rpt")));
    ASSERT_EQ(gReport->ParameterFields().size(), 1);
    EXPECT_EQ(gReport->ParameterFields().first().currentValue.toString(), S(Demo::PendingDoc));
}

TEST_F(ViewTest, MissingReportFileGivesAClearMessageAndNoViewer)
{
    const QString path = QCoreApplication::applicationDirPath() + S("/DepartmentRequest.rpt");
    const QString hidden = path + S(".away");
    ASSERT_TRUE(QFile::rename(path, hidden));
    selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
    click(S("cmdView"));
    QFile::rename(hidden, path);
    EXPECT_EQ(openViewer(), nullptr);
    ASSERT_EQ(messages().count(), 1);
    EXPECT_TRUE(lastMessage().text.contains(S("DepartmentRequest.rpt")));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
}
