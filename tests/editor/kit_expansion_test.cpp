#include "editor/DetailGrid.h"
#include "editor/KitExpansion.h"
#include "editor/frmKitEntry.h"
#include "tests/editor/lines_fixture.h"

#include <QCheckBox>

namespace {

const QString Code = QStringLiteral("txtProdCode");
const QString KitQuestion = QStringLiteral("Item is a Kit. Do you want to add items located in the Kit?");

class KitExpansionTest : public LinesFixture
{
protected:
    void SetUp() override
    {
        frmKitEntry::setAllItems(false);
        LinesFixture::SetUp();
    }
    void TearDown() override
    {
        frmKitEntry::setAllItems(false);
        LinesFixture::TearDown();
    }

    // Answers the kit question with Yes and lets the picker act.
    void enterKit(const QString &code, std::function<void(QWidget *)> inPicker)
    {
        messages().queueAnswer(MsgAnswer::Yes);
        onNextModal(std::move(inPicker));
        enterCode(code);
        reactivate();
    }
    static void tickAllAndClose(QWidget *picker)
    {
        picker->findChild<QCheckBox *>(QStringLiteral("chkAddAllItems"))->click();
        clickIn(picker, QStringLiteral("cmdClose"));
    }
    static void selectRow(QWidget *picker, int row)
    {
        picker->findChild<FlexGrid *>(QStringLiteral("flexMSHDetails"))->setRow(row);
        clickIn(picker, QStringLiteral("cmdSelect"));
    }
};

TEST_F(KitExpansionTest, OrdinaryItemsAndInactiveKitsAreNotOffered)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_TRUE(trace().contains(QStringLiteral(
        "Select B.ItemID as Code from Inventory..tbInvKit A Left Outer Join Inventory..tbInvMaster B On "
        "A.KitID = B.KitID Where not Active = 'I' and B.ItemID = '10001'")));
    enterCode(QString::fromLatin1(Demo::InactiveKitItemId));
    EXPECT_EQ(messages().count(), 0);
    EXPECT_EQ(text(QStringLiteral("txtProdName")).left(12), QStringLiteral("DELIVERY KIT"));
}

TEST_F(KitExpansionTest, AnsweringNoKeepsTheKitCodeAndFillsNothing)
{
    messages().queueAnswer(MsgAnswer::No);
    enterCode(QString::fromLatin1(Demo::KitItemId));
    ASSERT_EQ(messages().count(), 1);
    EXPECT_EQ(lastMessage().text, KitQuestion);
    EXPECT_EQ(lastMessage().title, QStringLiteral("Message"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Question);
    EXPECT_EQ(lastMessage().buttons, MsgButtons::YesNo);
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::KitItemId));
    EXPECT_EQ(text(QStringLiteral("txtProdName")), QString());
    EXPECT_EQ(details()->Rows(), 2);
}

TEST_F(KitExpansionTest, AllItemsReplaceTheLinesWithTheComponents)
{
    setText(Code, QStringLiteral("10001"));
    setText(QStringLiteral("txtWithdraw"), QStringLiteral("2"));
    setText(QStringLiteral("txtUnitCost"), QStringLiteral("1"));
    setText(QStringLiteral("txtOnhand"), QStringLiteral("500"));
    form().detailGrid().cmdOK_Click();
    setText(Code, QStringLiteral("10004"));
    setText(QStringLiteral("txtWithdraw"), QStringLiteral("2"));
    setText(QStringLiteral("txtUnitCost"), QStringLiteral("1"));
    form().detailGrid().cmdOK_Click();
    ASSERT_EQ(details()->Rows(), 4);

    QString pickerTitle;
    enterKit(QString::fromLatin1(Demo::KitItemId), [&pickerTitle](QWidget *picker) {
        pickerTitle = picker->windowTitle();
        tickAllAndClose(picker);
    });

    EXPECT_EQ(pickerTitle, QStringLiteral("View Kit of Items"));
    EXPECT_TRUE(trace().contains(QStringLiteral("Inventory..sp_Inv_KitofItems '10290'")));
    EXPECT_TRUE(trace().contains(QStringLiteral("Inventory..sp_Inv_KitofItems 10290")));
    ASSERT_EQ(details()->Rows(), 4) << "three components and no blank row";
    EXPECT_EQ(cell(1, 0), QString::fromLatin1(Demo::KitComponent1));
    EXPECT_EQ(cell(2, 0), QString::fromLatin1(Demo::KitComponent2));
    EXPECT_EQ(cell(3, 0), QString::fromLatin1(Demo::KitComponent3));
    EXPECT_EQ(cell(2, 1), QStringLiteral("SURGICAL BLADE"));
    EXPECT_EQ(cell(2, 2), QStringLiteral("2"));
    EXPECT_EQ(cell(2, 3), QStringLiteral("7.5"));
    EXPECT_EQ(cell(2, 4), QStringLiteral("15.0000")) << "rewritten by the grand total";
    EXPECT_EQ(text(QStringLiteral("txtTotalCounter")), QStringLiteral("137.0000"));
    EXPECT_EQ(text(QStringLiteral("txtLineCounter")), QStringLiteral(" 1/ 3"));
    EXPECT_EQ(cell(2, 5), QStringLiteral("N"));
    EXPECT_EQ(cell(2, 6), QString());
    EXPECT_EQ(details()->Row(), 1);
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::KitComponent1));
    EXPECT_EQ(text(QStringLiteral("txtWithdraw")), QStringLiteral("1"));
    EXPECT_TRUE(text(QStringLiteral("txtProdName")).startsWith(QStringLiteral("SUTURE SILK")));

    // The last component is replaced by the next update, which brings the blank row back.
    click(QStringLiteral("cmdAdd"));
    EXPECT_EQ(details()->Row(), 3);
    setText(QStringLiteral("txtWithdraw"), QStringLiteral("4"));
    form().detailGrid().cmdOK_Click();
    EXPECT_EQ(details()->Rows(), 5);
    EXPECT_EQ(cell(3, 2), QStringLiteral("4"));
}

TEST_F(KitExpansionTest, SelectingOneComponentAddsOnlyThatOne)
{
    enterKit(QString::fromLatin1(Demo::KitItemId), [](QWidget *picker) { selectRow(picker, 2); });
    EXPECT_TRUE(trace().contains(QStringLiteral("Inventory..sp_Inv_KitofItems_PerItem 10290,10012")));
    ASSERT_EQ(details()->Rows(), 2);
    EXPECT_EQ(cell(1, 0), QString::fromLatin1(Demo::KitComponent2));
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::KitComponent2));
}

TEST_F(KitExpansionTest, ClosingWithoutAChoiceAddsNothing)
{
    enterKit(QString::fromLatin1(Demo::KitItemId), [](QWidget *picker) { clickIn(picker, QStringLiteral("cmdClose")); });
    EXPECT_TRUE(trace().contains(QStringLiteral("Inventory..sp_Inv_KitofItems_PerItem 10290,10290")));
    EXPECT_EQ(details()->Rows(), 2);
    EXPECT_EQ(cell(1, 0), QString());
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::KitItemId));
}

TEST_F(KitExpansionTest, AddAllItemsIsRememberedForTheNextKit)
{
    enterKit(QString::fromLatin1(Demo::KitItemId), tickAllAndClose);
    ASSERT_EQ(details()->Rows(), 4);

    bool shownTicked = true;
    enterKit(QString::fromLatin1(Demo::KitItemId), [&shownTicked](QWidget *picker) {
        shownTicked = picker->findChild<QCheckBox *>(QStringLiteral("chkAddAllItems"))->isChecked();
        selectRow(picker, 1);
    });
    EXPECT_FALSE(shownTicked);
    EXPECT_EQ(details()->Rows(), 4) << "all components again, although one was selected";
}

TEST_F(KitExpansionTest, KitWithLeadingZerosIsQueriedAsANumber)
{
    session().raw(QStringLiteral("UPDATE tbInvent SET ItemID = '00123' WHERE ItemID = '10290'"));
    session().raw(QStringLiteral("UPDATE tbInvMaster SET ItemID = '00123' WHERE ItemID = '10290'"));
    enterKit(QStringLiteral("00123"), tickAllAndClose);
    EXPECT_TRUE(trace().contains(QStringLiteral("Inventory..sp_Inv_KitofItems 123")));
    EXPECT_EQ(details()->Rows(), 4);
}

TEST(KitNumberTest, WholeNumbersOnly)
{
    EXPECT_EQ(KitExpansion::KitNumber(QStringLiteral("00123")), QStringLiteral("123"));
    EXPECT_EQ(KitExpansion::KitNumber(QStringLiteral(" 42 ")), QStringLiteral("42"));
    EXPECT_THROW(KitExpansion::KitNumber(QStringLiteral("KIT-1")), Error);
    EXPECT_THROW(KitExpansion::KitNumber(QString()), Error);
    EXPECT_THROW(KitExpansion::KitNumber(QStringLiteral("99999999999")), Error);
}

TEST_F(KitExpansionTest, NonNumericKitCodeEndsSilently)
{
    session().raw(QStringLiteral("UPDATE tbInvent SET ItemID = 'KIT9' WHERE ItemID = '10290'"));
    session().raw(QStringLiteral("UPDATE tbInvMaster SET ItemID = 'KIT9' WHERE ItemID = '10290'"));
    enterKit(QStringLiteral("SUTURE K"), tickAllAndClose);
    EXPECT_EQ(messages().count(), 1) << "only the question";
    EXPECT_EQ(details()->Rows(), 2);
    EXPECT_EQ(focusName(), Code);
}

} // namespace
