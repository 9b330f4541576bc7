#include "editor/DetailGrid.h"
#include "editor/LineEntry.h"
#include "widgets/KeyEvents.h"
#include "tests/editor/lines_fixture.h"

#include <QPushButton>

namespace {

const QString Code = QStringLiteral("txtProdCode");
const QString Quantity = QStringLiteral("txtWithdraw");
const QString UnitCost = QStringLiteral("txtUnitCost");

class DetailGridTest : public LinesFixture
{
protected:
    void expectMessage(const QString &text, const QString &title, MsgIcon icon, const QString &focus)
    {
        ASSERT_GE(messages().count(), 1);
        EXPECT_EQ(lastMessage().text, text);
        EXPECT_EQ(lastMessage().title, title);
        EXPECT_EQ(lastMessage().icon, icon);
        EXPECT_EQ(lastMessage().buttons, MsgButtons::OK);
        EXPECT_EQ(focusName(), focus);
        EXPECT_EQ(details()->Rows(), 2) << "the grid must not change";
        EXPECT_EQ(cell(1, 0), QString());
    }
    // Fills the boxes directly, as if each had been validated, and presses "&Update".
    void update(const QString &code, const QString &quantity, const QString &cost, const QString &onHand = "500")
    {
        setText(Code, code);
        setText(Quantity, quantity);
        setText(UnitCost, cost);
        setText(QStringLiteral("txtOnhand"), onHand);
        form().lineEntry().ComputeLineTotal();
        messages().clear();
        form().detailGrid().cmdOK_Click();
        processEvents();
    }
    QString lineCounter() const { return text(QStringLiteral("txtLineCounter")); }
    QString grandTotal() const { return text(QStringLiteral("txtTotalCounter")); }
};

TEST_F(DetailGridTest, UpdateChecksTheEntryInOrder)
{
    update(QStringLiteral("  "), QStringLiteral("5"), QStringLiteral("1"));
    expectMessage(QStringLiteral("Invalid product code..."), QStringLiteral("MESSAGE"), MsgIcon::Information, Code);

    update(QStringLiteral("10001"), QStringLiteral("x"), QStringLiteral("1"));
    expectMessage(QStringLiteral("Invalid quantity..."), QStringLiteral("MESSAGE"), MsgIcon::Information, Quantity);

    update(QStringLiteral("10001"), QStringLiteral("0"), QStringLiteral("1"));
    expectMessage(QStringLiteral("Please enter a value for Quantity."), QStringLiteral("MESSAGE"),
                  MsgIcon::Information, Quantity);

    update(QStringLiteral("10001"), QStringLiteral("5"), QStringLiteral("abc"));
    expectMessage(QStringLiteral("Invalid unit cost..."), QStringLiteral("MESSAGE"), MsgIcon::Information, UnitCost);

    update(QStringLiteral("10001"), QStringLiteral("5"), QStringLiteral("-1"));
    expectMessage(QStringLiteral("Invalid unit cost..."), QStringLiteral("MESSAGE"), MsgIcon::Information, UnitCost);

    // A negative quantity passes the earlier checks and is refused last.
    update(QStringLiteral("10001"), QStringLiteral("-2"), QStringLiteral("1"));
    expectMessage(QStringLiteral("Quantity must not be lesser than zero."), QStringLiteral("HEY!"),
                  MsgIcon::Information, Quantity);
}

TEST_F(DetailGridTest, LinesAreAppendedThroughTheBlankRow)
{
    enterLine(QString::fromLatin1(Demo::ParacetamolId), QStringLiteral("3"), QStringLiteral("1234.5"));

    ASSERT_EQ(details()->Rows(), 3);
    EXPECT_EQ(cell(1, 0), QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(cell(1, 1), QStringLiteral("PARACETAMOL 500MG TABLET"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("3"));
    EXPECT_EQ(cell(1, 3), QStringLiteral("1234.5"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("Y"));
    EXPECT_EQ(cell(1, 6), QStringLiteral("N"));
    EXPECT_EQ(cell(2, 0), QString());
    EXPECT_EQ(details()->Row(), 2);
    EXPECT_EQ(text(Code), QString());
    EXPECT_EQ(text(QStringLiteral("txtProdName")), QString());
    EXPECT_EQ(focusName(), Code);
    EXPECT_FALSE(widget(QStringLiteral("cmdOK"))->isEnabled());
    EXPECT_EQ(grandTotal(), QStringLiteral("3,703.5000"));
    EXPECT_EQ(lineCounter(), QStringLiteral(" 2/ 2"));
    EXPECT_EQ(messages().count(), 0);

    enterLine(QString::fromLatin1(Demo::XylocaineId), QStringLiteral("2"), QStringLiteral("0"));
    EXPECT_EQ(details()->Rows(), 4);
    EXPECT_EQ(cell(2, 3), QStringLiteral("0.00")) << "a unit cost of 0 is accepted";
    EXPECT_EQ(lineCounter(), QStringLiteral(" 3/ 3"));
}

TEST_F(DetailGridTest, ChangingALineKeepsTheRowCountAndFocusesTheGrid)
{
    update(QStringLiteral("10001"), QStringLiteral("3"), QStringLiteral("2"));
    update(QStringLiteral("10004"), QStringLiteral("1"), QStringLiteral("5"));
    selectGridRow(QStringLiteral("grdDetails"), 1);
    EXPECT_EQ(text(Code), QStringLiteral("10001"));
    EXPECT_EQ(lineCounter(), QStringLiteral(" 1/ 3"));

    update(QStringLiteral("10001"), QStringLiteral("7"), QStringLiteral("2"));
    EXPECT_EQ(details()->Rows(), 4);
    EXPECT_EQ(cell(1, 2), QStringLiteral("7"));
    EXPECT_EQ(focusName(), QStringLiteral("grdDetails"));
}

TEST_F(DetailGridTest, BlankRowStaysInViewBeyondSevenLines)
{
    for (int line = 0; line < 9; ++line)
        update(QStringLiteral("10001"), QStringLiteral("1"), QStringLiteral("1"));
    EXPECT_EQ(details()->Rows(), 11);
    EXPECT_EQ(details()->Row(), 10);
    EXPECT_EQ(details()->TopRow(), 4);

    selectGridRow(QStringLiteral("grdDetails"), 1);
    click(QStringLiteral("cmdAdd"));
    EXPECT_EQ(details()->Row(), 10);
    EXPECT_EQ(details()->TopRow(), 4);
    EXPECT_EQ(focusName(), Code);
}

TEST_F(DetailGridTest, DeleteRemovesLinesButNeverTheBlankRow)
{
    update(QStringLiteral("10001"), QStringLiteral("3"), QStringLiteral("2"));
    update(QStringLiteral("10004"), QStringLiteral("1"), QStringLiteral("5"));
    EXPECT_EQ(grandTotal(), QStringLiteral("11.0000"));

    click(QStringLiteral("cmdDelete"));
    EXPECT_EQ(details()->Rows(), 4);

    selectGridRow(QStringLiteral("grdDetails"), 1);
    click(QStringLiteral("cmdDelete"));
    EXPECT_EQ(details()->Rows(), 3);
    EXPECT_EQ(cell(1, 0), QStringLiteral("10004"));
    EXPECT_EQ(text(Code), QStringLiteral("10004"));
    EXPECT_EQ(grandTotal(), QStringLiteral("5.0000"));
    EXPECT_EQ(lineCounter(), QStringLiteral(" 1/ 2"));
    EXPECT_EQ(focusName(), QStringLiteral("grdDetails"));
    EXPECT_EQ(messages().count(), 0);
}

TEST_F(DetailGridTest, KeysInTheGridDeleteAndCopyTheLine)
{
    update(QStringLiteral("10001"), QStringLiteral("3"), QStringLiteral("2"));
    update(QStringLiteral("10004"), QStringLiteral("1"), QStringLiteral("5"));
    selectGridRow(QStringLiteral("grdDetails"), 2);
    ASSERT_EQ(focusName(), QStringLiteral("grdDetails"));

    pressKey(Qt::Key_Period);
    EXPECT_EQ(details()->Rows(), 3);
    EXPECT_EQ(cell(1, 0), QStringLiteral("10001"));

    selectGridRow(QStringLiteral("grdDetails"), 1);
    pressEnter();
    EXPECT_EQ(text(Code), QStringLiteral("10001"));
    EXPECT_EQ(text(Quantity), QStringLiteral("3"));
    EXPECT_EQ(focusName(), Code);

    doubleClickGridRow(QStringLiteral("grdDetails"), 1);
    EXPECT_EQ(focusName(), Code);
    EXPECT_EQ(lineCounter(), QStringLiteral(" 1/ 2"));
}

TEST_F(DetailGridTest, GrandTotalReadsSeparatedAmountsAndSkipsTheRest)
{
    FlexGrid *grid = details();
    grid->setRows(5);
    grid->setTextMatrix(1, 4, QStringLiteral("1,234.5000"));
    grid->setTextMatrix(2, 4, QStringLiteral("n/a"));
    grid->setTextMatrix(3, 4, QStringLiteral("0.2500"));
    form().detailGrid().ComputeGrandTotal();
    EXPECT_EQ(grandTotal(), QStringLiteral("1,234.7500"));
}

TEST_F(DetailGridTest, RetailFlagFollowsTheRowAndSelectingYesRefreshesTheList)
{
    update(QStringLiteral("10001"), QStringLiteral("3"), QStringLiteral("2"));
    click(QStringLiteral("optConsumed_1"));
    update(QStringLiteral("10004"), QStringLiteral("1"), QStringLiteral("5"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("Y"));
    EXPECT_EQ(cell(2, 5), QStringLiteral("N"));

    selectGridRow(QStringLiteral("grdDetails"), 2);
    EXPECT_TRUE(checked(QStringLiteral("optConsumed_1")));
    clearTrace();
    selectGridRow(QStringLiteral("grdDetails"), 1);
    EXPECT_TRUE(checked(QStringLiteral("optConsumed_0")));
    EXPECT_FALSE(statementsContaining(QStringLiteral("from INVENTORY..tbinvwithdrawrequest A")).isEmpty());
}

TEST_F(DetailGridTest, GridSwitchesTheWindowsKeyPreviewOffWhileFocused)
{
    update(QStringLiteral("10001"), QStringLiteral("3"), QStringLiteral("2"));
    selectGridRow(QStringLiteral("grdDetails"), 1);
    EXPECT_FALSE(KeyEvents::keyPreview(&form()));
    click(QStringLiteral("txtRemarks"));
    EXPECT_TRUE(KeyEvents::keyPreview(&form()));
}

TEST_F(DetailGridTest, LineWhoseItemWasDeletedMeanwhileClearsTheEntry)
{
    update(QStringLiteral("10001"), QStringLiteral("3"), QStringLiteral("2"));
    update(QStringLiteral("10004"), QStringLiteral("1"), QStringLiteral("5"));
    session().raw(QStringLiteral("DELETE FROM tbInvent WHERE ItemID = '10001'"));
    session().raw(QStringLiteral("DELETE FROM tbInvMaster WHERE ItemID = '10001'"));

    selectGridRow(QStringLiteral("grdDetails"), 1);
    EXPECT_EQ(text(Code), QString());
    EXPECT_EQ(text(QStringLiteral("txtProdName")), QString());
    EXPECT_EQ(cell(1, 0), QStringLiteral("10001"));

    click(QStringLiteral("cmdOK"));
    EXPECT_EQ(lastMessage().text, QStringLiteral("Invalid product code..."));
}

class ZeltraGridTest : public DetailGridTest
{
protected:
    void beforeLoad() override { gClientName = QStringLiteral("ZELTRA"); }
};

TEST_F(ZeltraGridTest, QuantityAboveStockWarnsAndStillWritesTheLine)
{
    update(QStringLiteral("10001"), QStringLiteral("600"), QStringLiteral("1"), QStringLiteral("500"));
    ASSERT_EQ(messages().count(), 1);
    EXPECT_EQ(lastMessage().text, QStringLiteral("The requested quantity is greater than the current stock"));
    EXPECT_EQ(lastMessage().title, QStringLiteral("HEY!"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Critical);
    EXPECT_EQ(cell(1, 2), QStringLiteral("600"));
    EXPECT_EQ(details()->Rows(), 3);
}

class SwitchFiveGridTest : public DetailGridTest
{
protected:
    void beforeLoad() override
    {
        session().raw(QStringLiteral("UPDATE tbPharmaSwitch SET KeyValue = '1' WHERE idkey = '5'"));
    }
};

TEST_F(SwitchFiveGridTest, QuantityAboveTheStockIsRefused)
{
    update(QStringLiteral("10001"), QStringLiteral("600"), QStringLiteral("1"), QStringLiteral("500"));
    expectMessage(QStringLiteral("Quantity must be less than or equal to Current Stock..."), QStringLiteral("MESSAGE"),
                  MsgIcon::Information, Quantity);

    update(QStringLiteral("10001"), QStringLiteral("500"), QStringLiteral("1"), QStringLiteral("500"));
    EXPECT_EQ(messages().count(), 0);
    EXPECT_EQ(details()->Rows(), 3);
}

class ZeroOnHandGridTest : public DetailGridTest
{
protected:
    void beforeLoad() override { gAllowWDZeroOnHand = true; }
};

TEST_F(ZeroOnHandGridTest, LineWithoutStockIsRefusedWithTwoMessages)
{
    update(QStringLiteral("10002"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("0"));
    ASSERT_EQ(messages().count(), 2);
    EXPECT_EQ(messages().messages().at(0).text, QStringLiteral("Zero Item Onhand"));
    EXPECT_EQ(messages().messages().at(0).icon, MsgIcon::Critical);
    EXPECT_EQ(messages().messages().at(0).title, QStringLiteral("HEY!"));
    expectMessage(QStringLiteral("Enter another item"), QStringLiteral("OK"), MsgIcon::Information, Code);
}

} // namespace
