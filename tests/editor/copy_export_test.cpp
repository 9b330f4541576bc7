// Copying a listed request into a new one, and saving the grids as CSV.

#include "editor/GridExport.h"
#include "editor/RequestCopy.h"
#include "tests/editor/lines_fixture.h"

#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

class CopyExportTest : public EditorFixture
{
protected:
    FlexGrid *details() const { return grid(QStringLiteral("grdDetails")); }
    void selectListed(const char *documentNumber)
    {
        const int row = listRowOf(QString::fromLatin1(documentNumber));
        ASSERT_GT(row, 0) << documentNumber;
        selectGridRow(QStringLiteral("grdListing"), row);
        messages().clear();
    }
    // Saves the grid through its shortcut into the test's folder; the file's bytes.
    QByteArray exportWithShortcut(const QString &gridName)
    {
        QString offeredFolder;
        form().gridExport().setFileChooser([&](const QString &folder, const QString &) {
            offeredFolder = folder;
            return m_dir.filePath(gridName);
        });
        // Leaving the code box validates it, which moves the focus on to the quantity: the grid
        // is entered once the entry area is left.
        for (int attempt = 0; attempt < 2 && focusName() != gridName; ++attempt) {
            grid(gridName)->setFocus();
            processEvents();
        }
        pressKey(Qt::Key_E, Qt::ControlModifier);
        QFile file(m_dir.filePath(gridName + QStringLiteral(".csv")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
};

TEST_F(CopyExportTest, CopyStartsANewRequestWithTheLinesLineEntryWouldMake)
{
    // Request 2 (emergency room to central supply): 10007 10 N, 10008 30 Y, 10009 50 Y, 10011 4 N,
    // 10012 12 N. The central supply no longer keeps 10008.
    session().raw(
        QStringLiteral("UPDATE tbInvent SET ItemStatus = 1 WHERE ItemID = '10008' AND LocationID = '94'"));
    selectListed(Demo::FiveLineDoc);
    grid(QStringLiteral("grdListing"))->setFocus();
    pressKey(Qt::Key_D, Qt::ControlModifier);

    EXPECT_EQ(widget<QTabWidget>(QStringLiteral("SSTab1"))->currentIndex(), 1);
    EXPECT_EQ(widget<QLineEdit>(QStringLiteral("txtDocNum"))->text(), QStringLiteral("NEW"));
    EXPECT_EQ(widget<LocationCombo>(QStringLiteral("cboTargetLocation"))->Tag(),
              QString::fromLatin1(Demo::EmergencyRoomId));
    EXPECT_EQ(widget<LocationCombo>(QStringLiteral("cboLocation"))->Tag(),
              QString::fromLatin1(Demo::CentralSupplyId));
    ASSERT_EQ(details()->Rows(), 6);
    const QStringList expected[] = {
        {"10007", "10", "N"}, {"10009", "50", "Y"}, {"10011", "4", "N"}, {"10012", "12", "N"}};
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ((QStringList{cell(row, 0), cell(row, 2), cell(row, 5)}), expected[row - 1]) << row;
        EXPECT_NE(cell(row, 3), QStringLiteral("78")) << "unit costs as line entry gives them today";
    }
    ASSERT_EQ(messages().count(), 1);
    EXPECT_TRUE(lastMessage().text.contains(QStringLiteral("10008"))) << lastMessage().text.toStdString();
}

TEST_F(CopyExportTest, CopyOfAnotherDepartmentsRequestIsRefused)
{
    // Request 1 now comes from the operating room, which the clerk is not assigned to; it is still
    // listed, being addressed to the central supply.
    session().raw(
        QStringLiteral("UPDATE tbInvWithdrawRequest SET TargetLocationID = '12' WHERE DocumentNumber = '1'"));
    form().RefreshRequestList();
    selectListed(Demo::PendingDoc);
    form().copySelectedRequest();
    ASSERT_EQ(messages().count(), 1);
    EXPECT_EQ(lastMessage().text, QStringLiteral("User not Authorized for this Location."));
    EXPECT_EQ(widget<QTabWidget>(QStringLiteral("SSTab1"))->currentIndex(), 0);
}

TEST_F(CopyExportTest, GridsAreSavedAsShownWithTheirHeadings)
{
    const QByteArray list = exportWithShortcut(QStringLiteral("grdListing"));
    ASSERT_TRUE(list.startsWith("\xEF\xBB\xBF"
                                "Doc #,Request From,To,Date,Requested By\r\n"))
        << list.left(80).data();
    EXPECT_EQ(list.count("\r\n"), listRows());
    // "DELA CRUZ, MARIA" holds a comma.
    EXPECT_TRUE(list.contains(",\"DELA CRUZ, MARIA\"\r\n"));
    EXPECT_TRUE(list.contains(QByteArray(QByteArray(Demo::PendingDoc) + ",EMERGENCY ROOM,CENTRAL SUPPLY,")));

    selectListed(Demo::PendingDoc);
    form().cmdEdit_Click();
    const QByteArray lines = exportWithShortcut(QStringLiteral("grdDetails"));
    ASSERT_TRUE(lines.startsWith("\xEF\xBB\xBF"
                                 "Code,Product Name & Description,Quantity,Unit Cost,Total Cost,Retail?\r\n"))
        << lines.data();
    // The request's lines without the blank new-line row, and without the hidden ADS column.
    EXPECT_EQ(lines.count("\r\n"), details()->Rows() - 1);
    EXPECT_TRUE(lines.contains("\r\n10001,PARACETAMOL 500MG TABLET,20,1.25,25.0000,N\r\n")) << lines.data();
}

} // namespace
