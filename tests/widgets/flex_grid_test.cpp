#include "platform/Database.h"
#include "platform/Messages.h"
#include "widgets/FlexGrid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString DetailFormat =
    QStringLiteral("Code |< Product Name & Description | Quantity | Unit Cost| Total Cost| Retail?| Remarks|");

std::shared_ptr<Recordset> recordsetOf(QStringList columns, QVector<QVector<QVariant>> rows)
{
    auto table = std::make_shared<ResultTable>();
    table->columns = std::move(columns);
    table->rows = std::move(rows);
    auto recordset = std::make_shared<Recordset>();
    recordset->OpenFrom(table);
    return recordset;
}

class FlexGridTest : public ::testing::Test
{
protected:
    MessageRecorder messages;
    FlexGrid grid;
    QAbstractItemModelTester tester{grid.model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(FlexGridTest, StartsWithAHeaderAndOneCurrentDataRow)
{
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.model()->rowCount(), 1);
}

TEST_F(FlexGridTest, FormatStringGivesColumnsHeadersAndAlignment)
{
    grid.setFormatString(DetailFormat);
    EXPECT_EQ(grid.Cols(), 8);
    EXPECT_EQ(grid.FormatString(), DetailFormat);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("Code "));
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral(" Product Name & Description "));
    EXPECT_EQ(grid.TextMatrix(0, 6), QStringLiteral(" Remarks"));
    EXPECT_EQ(grid.TextMatrix(0, 7), QString());
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral(" Product Name & Description "));

    grid.setTextMatrix(1, 0, QStringLiteral("1001"));
    grid.setTextMatrix(1, 1, QStringLiteral("12"));
    grid.setTextMatrix(1, 2, QStringLiteral("1,234.5000"));
    grid.setTextMatrix(1, 5, QStringLiteral("Y"));
    auto alignment = [&](int col) {
        return Qt::Alignment(grid.model()->index(0, col).data(Qt::TextAlignmentRole).toInt())
               & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignRight);  // general: a number
    EXPECT_EQ(alignment(1), Qt::AlignLeft);   // "<" even for a number
    EXPECT_EQ(alignment(2), Qt::AlignRight);
    EXPECT_EQ(alignment(5), Qt::AlignLeft);   // general: a text

    grid.setFormatString(QStringLiteral(">A|^B"));
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("A"));
    EXPECT_EQ(alignment(0), Qt::AlignRight);
    EXPECT_EQ(alignment(1), Qt::AlignHCenter);
}

TEST_F(FlexGridTest, RowsGrowShrinkAndRemoveItemKeepTheCurrentRowNumber)
{
    grid.setFormatString(DetailFormat);
    grid.setRows(5);
    for (int row = 1; row < 5; ++row)
        grid.setTextMatrix(row, 0, QString::number(row * 10));
    grid.setRow(2);
    grid.RemoveItem(2);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.TextMatrix(2, 0), QStringLiteral("30"));
    EXPECT_EQ(grid.Text(), QStringLiteral("30"));

    // The header row and rows beyond the grid are not removed.
    grid.RemoveItem(0);
    grid.RemoveItem(9);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("Code "));

    grid.setRow(3);
    grid.RemoveItem(3);
    EXPECT_EQ(grid.Row(), 2); // the last row went: the row before becomes current

    grid.setRows(2);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TextMatrix(1, 0), QStringLiteral("10"));
    grid.setRows(3);
    EXPECT_EQ(grid.TextMatrix(2, 0), QString()); // a new row starts empty

    // Out-of-range cells read empty and writes to them go nowhere.
    grid.setTextMatrix(7, 0, QStringLiteral("x"));
    EXPECT_EQ(grid.TextMatrix(7, 0), QString());
    EXPECT_EQ(grid.TextMatrix(1, 8), QString());

    grid.Clear();
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.Cols(), 8);
    EXPECT_EQ(grid.TextMatrix(0, 0), QString());
    EXPECT_EQ(grid.TextMatrix(1, 0), QString());
}

TEST_F(FlexGridTest, ColumnWidthsAreInTwipsAndZeroHides)
{
    grid.setFormatString(DetailFormat);
    const int widths[] = {800, 5000, 1000, 1000, 1000, 700, 0};
    for (int col = 0; col < 7; ++col)
        grid.setColWidth(col, widths[col]);
    EXPECT_EQ(grid.columnWidth(1), 5000 / 15);
    EXPECT_EQ(grid.ColWidth(1), 5000);
    EXPECT_EQ(grid.ColWidth(6), 0);
    EXPECT_TRUE(grid.isColumnHidden(6));
    grid.setColWidth(6, 300);
    EXPECT_FALSE(grid.isColumnHidden(6));
    EXPECT_EQ(grid.ColWidth(6), 300);
}

TEST_F(FlexGridTest, RowColChangeFollowsTheCurrentCell)
{
    grid.setRows(6);
    QSignalSpy changes(&grid, &FlexGrid::RowColChange);
    grid.setRow(3);
    EXPECT_EQ(changes.count(), 1);
    grid.setRow(3);
    EXPECT_EQ(changes.count(), 1); // no change, no event
    grid.setCol(1);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 1);

    // Structural changes report the new position once, after the change.
    int rowSeen = -1;
    int rowsSeen = -1;
    QObject::connect(&grid, &FlexGrid::RowColChange, [&] {
        rowSeen = grid.Row();
        rowsSeen = grid.Rows();
    });
    grid.setRow(5);
    grid.RemoveItem(5);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(rowSeen, 4);
    EXPECT_EQ(rowsSeen, 5);
}

TEST_F(FlexGridTest, TopRowIsKeptWithinTheRows)
{
    grid.resize(300, 150);
    grid.setRows(20);
    grid.setTopRow(13);
    EXPECT_EQ(grid.TopRow(), 13);
    grid.setTopRow(40);
    EXPECT_EQ(grid.TopRow(), 19);
    grid.setRows(5);
    EXPECT_LE(grid.TopRow(), 4);
}

TEST_F(FlexGridTest, BoundGridShowsTheRecordsetAndUnbinds)
{
    const QDateTime when(QDate(2026, 12, 7), QTime(15, 5, 9));
    auto source = recordsetOf({QStringLiteral("DocumentNumber"), QStringLiteral("TransDate"),
                               QStringLiteral("Qty"), QStringLiteral("Remarks")},
                              {{QStringLiteral("12"), when, 2.5, QVariant()},
                               {QStringLiteral("13"), when, 1234567.0, QStringLiteral("ok")}});
    QSignalSpy changes(&grid, &FlexGrid::RowColChange);
    grid.setRow(1);
    grid.setDataSource(source);
    EXPECT_EQ(grid.DataSource(), source);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.Cols(), 4);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), QStringLiteral("TransDate"));
    EXPECT_EQ(grid.TextMatrix(1, 0), QStringLiteral("12"));
    EXPECT_EQ(grid.TextMatrix(1, 1), QStringLiteral("12/07/2026 03:05:09 PM"));
    EXPECT_EQ(grid.TextMatrix(1, 2), QStringLiteral("2.5"));
    EXPECT_EQ(grid.TextMatrix(2, 2), QStringLiteral("1234567"));
    EXPECT_EQ(grid.TextMatrix(1, 3), QString());
    EXPECT_EQ(grid.model()->index(1, 3).data().toString(), QStringLiteral("ok"));

    // Header texts given after binding replace the column names.
    grid.setFormatString(QStringLiteral("Doc #|Date|Qty|Remarks"));
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("Doc #"));
    EXPECT_EQ(grid.TextMatrix(1, 0), QStringLiteral("12"));

    grid.setRow(2);
    grid.setDataSource(nullptr);
    EXPECT_EQ(grid.DataSource(), nullptr);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(1, 0), QString());

    grid.setDataSource(recordsetOf({QStringLiteral("Code")}, {}));
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 0), QStringLiteral("Code"));
}

// Without the model tester, which itself walks every row.
TEST(FlexGridBindingTest, BindingManyRowsReadsOnlyWhatIsShown)
{
    FlexGrid grid;
    QVector<QVector<QVariant>> rows;
    rows.reserve(200000);
    for (int i = 0; i < 200000; ++i)
        rows.append({QString::number(i), QStringLiteral("Item %1").arg(i), double(i) / 4});
    auto source = recordsetOf({QStringLiteral("Code"), QStringLiteral("Name"), QStringLiteral("Cost")},
                              std::move(rows));
    grid.resize(400, 300);
    grid.show();
    QElapsedTimer timer;
    timer.start();
    grid.setDataSource(source);
    QApplication::processEvents();
    grid.setRow(150000);
    QApplication::processEvents();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(grid.Rows(), 200001);
    EXPECT_EQ(grid.Text(), QStringLiteral("149999"));
    EXPECT_EQ(grid.TextMatrix(150000, 2), QStringLiteral("37499.75"));
}

TEST_F(FlexGridTest, KeysAndDoubleClickReachTheHandlers)
{
    grid.setRows(4);
    grid.show();
    QApplication::setActiveWindow(&grid);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();

    QList<int> typed;
    QList<int> down;
    QObject::connect(&grid, &FlexGrid::KeyPress, [&](int &keyAscii) { typed.append(keyAscii); });
    QObject::connect(&grid, &FlexGrid::KeyDown, [&](int &keyCode, int) {
        down.append(keyCode);
        if (keyCode == 40 && grid.Row() == 2)
            keyCode = 0; // swallowed: the grid does not move
    });
    QTest::keyClick(&grid, Qt::Key_Return);
    QTest::keyClick(&grid, Qt::Key_Period);
    QTest::keyClick(&grid, Qt::Key_B);
    QTest::keyClick(&grid, Qt::Key_Backspace);
    EXPECT_EQ(typed, (QList<int>{13, '.', 'b', 8}));
    EXPECT_EQ(down, (QList<int>{13, 66, 8}));
    EXPECT_EQ(grid.Row(), 1); // letters do not search the grid

    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);

    QSignalSpy doubleClicks(&grid, &FlexGrid::DblClick);
    const QRect cell = grid.visualRect(grid.model()->index(0, 0));
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(grid.Row(), 1);
}

TEST(FlexGridFocusTest, FocusSignalsAndFailingHandlers)
{
    MessageRecorder messages;
    QWidget window;
    auto *grid = new FlexGrid(&window);
    auto *other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy got(grid, &FlexGrid::GotFocus);
    QSignalSpy lost(grid, &FlexGrid::LostFocus);
    other->setFocus();
    EXPECT_EQ(lost.count(), 1);
    grid->setFocus();
    other->setFocus();
    EXPECT_EQ(got.count(), 1);
    EXPECT_EQ(lost.count(), 2);

    // A failing row-change handler is reported; the grid still moves.
    grid->setRows(3);
    QObject::connect(grid, &FlexGrid::RowColChange, [] { throw Error(7, QString(), QStringLiteral("no such row")); });
    grid->setRow(2);
    EXPECT_EQ(grid->Row(), 2);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.last().text, QStringLiteral("no such row"));
}

} // namespace
