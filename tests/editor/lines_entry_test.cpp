#include "editor/LineEntry.h"
#include "tests/editor/lines_fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QString Code = QStringLiteral("txtProdCode");
const QString Quantity = QStringLiteral("txtWithdraw");
const QString UnitCost = QStringLiteral("txtUnitCost");

class LineEntryTest : public LinesFixture
{
};

TEST_F(LineEntryTest, ItemCodeFillsTheEntryAreaAndMovesToTheQuantity)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));

    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(text(QStringLiteral("txtProdName")), QStringLiteral("PARACETAMOL 500MG TABLET"));
    EXPECT_EQ(text(QStringLiteral("txtListCost")), QStringLiteral("1.5"));
    EXPECT_EQ(text(QStringLiteral("txtPacking")), QStringLiteral("100"));
    EXPECT_EQ(text(QStringLiteral("txtOnhand")), QStringLiteral("500"));
    EXPECT_EQ(text(QStringLiteral("txtAverageCost")), QStringLiteral("1.2500"));
    EXPECT_EQ(text(QStringLiteral("txtUOM")), QStringLiteral("TABLET"));
    EXPECT_EQ(text(UnitCost), QStringLiteral("1.2500"));
    EXPECT_FALSE(shown(QStringLiteral("chkAdS")));
    EXPECT_FALSE(shown(QStringLiteral("lblADSStock")));
    EXPECT_EQ(focusName(), Quantity);
    EXPECT_EQ(messages().count(), 0);
    EXPECT_FALSE(statementsContaining(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10001','94'")).isEmpty());
}

TEST_F(LineEntryTest, BarcodeAndUniqueNamePrefixAreEnteredUnderTheItemCode)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolBarcode));
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(focusName(), Quantity);

    enterCode(QString::fromLatin1(Demo::UniqueNamePrefix));
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::XylocaineId));
    EXPECT_TRUE(text(QStringLiteral("txtProdName")).startsWith(QStringLiteral("XYLOCAINE ")));

    // A quote in the name searched for is part of the name, not of the statement.
    setText(Code, QStringLiteral("O'NEIL"));
    widget(Code)->setFocus();
    pressTab();
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::QuoteNameId));
    EXPECT_EQ(messages().count(), 0);
}

TEST_F(LineEntryTest, EmptyCodeClearsTheNameWithoutSearching)
{
    setText(QStringLiteral("txtProdName"), QStringLiteral("LEFT OVER"));
    typeInto(Code, QStringLiteral("   "));
    pressTab();
    EXPECT_EQ(text(QStringLiteral("txtProdName")), QString());
    EXPECT_TRUE(statementsContaining(QStringLiteral("sp_Inv_SearchItem_In_Invent")).isEmpty());
    EXPECT_NE(focusName(), Code);
}

TEST_F(LineEntryTest, UnknownOrOddCodesClosedSearchLeavesTheFieldsAndLetsTheFocusGo)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    const QStringList odd = {QStringLiteral("99999"), QStringLiteral("99999999999999999999"),
                             QStringLiteral("ZZ' OR '1'='1"), QStringLiteral("-1")};
    for (const QString &code : odd) {
        messages().clear();
        bool lookupShown = false;
        onNextModal([&lookupShown](QWidget *lookup) {
            lookupShown = true;
            clickIn(lookup, QStringLiteral("cmdOptions_0"));
        });
        setText(Code, code);
        widget(Code)->setFocus();
        pressTab();
        reactivate();

        EXPECT_TRUE(lookupShown) << code.toStdString();
        EXPECT_EQ(text(Code), code);
        EXPECT_EQ(text(QStringLiteral("txtProdName")), QStringLiteral("PARACETAMOL 500MG TABLET"));
        EXPECT_NE(focusName(), Code);
        EXPECT_EQ(messages().count(), 0) << code.toStdString();
    }
}

// Wildcards typed into the code box reach the name search as they are; however many there are,
// the search answers at once instead of freezing the window.
TEST_F(LineEntryTest, CodeFullOfWildcardsIsSearchedPromptly)
{
    QElapsedTimer sinceTab;
    qint64 untilLookupShown = -1;
    bool anyListed = true;
    onNextModal([&](QWidget *lookup) {
        untilLookupShown = sinceTab.elapsed();
        anyListed = lookup->findChild<FlexGrid *>(QStringLiteral("grdLookup"))->isEnabled();
        clickIn(lookup, QStringLiteral("cmdOptions_0"));
    });
    typeInto(Code, QStringLiteral("%_%_%_%_%_%_%_%_%_%_%_%_%_#"));
    sinceTab.start();
    pressTab();
    reactivate();

    ASSERT_GE(untilLookupShown, 0) << "the product search did not open";
    EXPECT_LT(untilLookupShown, 2000); // twelve seconds with a matcher that backtracks
    EXPECT_FALSE(anyListed); // no name holds a '#'
    EXPECT_EQ(messages().count(), 0);
}

TEST_F(LineEntryTest, AnExistingUnitCostStaysWhenTheItemChanges)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    setText(UnitCost, QStringLiteral("9.75"));
    enterCode(QString::fromLatin1(Demo::XylocaineId));
    EXPECT_EQ(text(UnitCost), QStringLiteral("9.75"));

    setText(UnitCost, QStringLiteral("0.00"));
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(text(UnitCost), QStringLiteral("1.2500"));
}

TEST_F(LineEntryTest, AdsStockItemShowsAndTicksTheAdsBox)
{
    enterCode(QString::fromLatin1(Demo::AdsItemId));
    EXPECT_TRUE(shown(QStringLiteral("chkAdS")));
    EXPECT_TRUE(checked(QStringLiteral("chkAdS")));
    EXPECT_EQ(widget<QLabel>(QStringLiteral("lblADSStock"))->text(), QStringLiteral("40"));

    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_FALSE(shown(QStringLiteral("chkAdS")));
    EXPECT_FALSE(shown(QStringLiteral("lblADSStock")));
}

TEST_F(LineEntryTest, QuantityIsRoundedAndTheLineTotalFollows)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    typeInto(Quantity, QStringLiteral("2.5"));
    pressTab();
    EXPECT_EQ(text(Quantity), QStringLiteral("3"));
    EXPECT_EQ(text(QStringLiteral("txtTotalCost")), QStringLiteral("3.7500"));

    enterText(UnitCost, QStringLiteral("1234.5"));
    EXPECT_EQ(text(UnitCost), QStringLiteral("1234.5"));
    EXPECT_EQ(text(QStringLiteral("txtAverageCost")), QStringLiteral("1234.5000"));
    EXPECT_EQ(text(QStringLiteral("txtTotalCost")), QStringLiteral("3,703.5000"));

    enterText(Quantity, QString());
    EXPECT_EQ(text(Quantity), QStringLiteral("0"));
    EXPECT_EQ(text(QStringLiteral("txtTotalCost")), QStringLiteral("0.0000"));

    // Thousands separators are read at the full value, not as the leading "1".
    typeInto(Quantity, QStringLiteral("1,250"));
    pressTab();
    EXPECT_EQ(text(Quantity), QStringLiteral("1250"));
    enterText(Quantity, QStringLiteral(" +7 "));
    EXPECT_EQ(text(Quantity), QStringLiteral("7"));
    EXPECT_EQ(messages().count(), 0);
}

TEST_F(LineEntryTest, NegativeOrEmptyUnitCostBecomesZero)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    enterText(UnitCost, QStringLiteral("-5"));
    EXPECT_EQ(text(UnitCost), QStringLiteral("0.00"));
    EXPECT_EQ(text(QStringLiteral("txtAverageCost")), QStringLiteral("-5.0000"));

    enterText(UnitCost, QString());
    EXPECT_EQ(text(UnitCost), QStringLiteral("0.00"));
    EXPECT_EQ(messages().count(), 0);
}

// Every way of leaving a box with a bad number is refused the same way.
TEST_F(LineEntryTest, BadQuantityIsRefusedWhicheverWayTheBoxIsLeft)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    const auto leaveWith = [this](const std::function<void()> &leave) {
        messages().clear();
        typeInto(Quantity, QStringLiteral("abc"));
        leave();
        ASSERT_EQ(messages().count(), 1);
        EXPECT_EQ(lastMessage().text, QStringLiteral("Invalid entry..."));
        EXPECT_EQ(lastMessage().title, AppTitle());
        EXPECT_EQ(lastMessage().icon, MsgIcon::None);
        EXPECT_EQ(lastMessage().buttons, MsgButtons::OK);
        EXPECT_EQ(focusName(), Quantity);
    };
    leaveWith([this] { pressTab(); });
    leaveWith([this] { pressKey(Qt::Key_Tab, Qt::ShiftModifier); });
    leaveWith([this] { pressEnter(); });
    leaveWith([this] { click(QStringLiteral("txtRemarks")); });
}

TEST_F(LineEntryTest, OddNumberTextsNeverPassAsQuantityOrCost)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    const QStringList bad = {QStringLiteral("12abc"), QStringLiteral("1e999"), QStringLiteral("99999999999999999999"),
                             QStringLiteral("1'0"), QStringLiteral("--1"), QStringLiteral("1 2")};
    for (const QString &value : bad) {
        for (const QString &box : {Quantity, UnitCost}) {
            messages().clear();
            setText(box, value);
            widget(box)->setFocus();
            pressTab();
            EXPECT_EQ(lastMessage().text, QStringLiteral("Invalid entry...")) << value.toStdString();
            EXPECT_EQ(focusName(), box) << value.toStdString();
            setText(box, QStringLiteral("1"));
            pressTab();
        }
    }
    // The apostrophe key never reaches a box.
    typeInto(Quantity, QStringLiteral("4'"));
    EXPECT_EQ(text(Quantity), QStringLiteral("4"));
}

TEST_F(LineEntryTest, EnteringAnyBoxEnablesUpdateAndSelectsTheCode)
{
    widget<QPushButton>(QStringLiteral("cmdOK"))->setEnabled(false);
    setText(UnitCost, QStringLiteral("2"));
    EXPECT_TRUE(widget(QStringLiteral("cmdOK"))->isEnabled());

    click(QStringLiteral("txtRemarks"));
    setText(Code, QStringLiteral("10001"));
    click(Code);
    EXPECT_EQ(widget<QLineEdit>(Code)->selectedText(), QStringLiteral("10001"));
}

TEST_F(LineEntryTest, DotsButtonSearchesEverythingThenTypedCodeAgain)
{
    setText(Code, QString::fromLatin1(Demo::ParacetamolId));
    QString searched = QStringLiteral("not shown");
    bool lookupShown = false;
    onNextModal([&searched, &lookupShown](QWidget *lookup) {
        lookupShown = true;
        if (auto *search = lookup->findChild<QLineEdit *>(QStringLiteral("txtSearch")))
            searched = search->text();
        clickIn(lookup, QStringLiteral("cmdOptions_0"));
    });
    click(QStringLiteral("cmdCode"));
    reactivate();
    EXPECT_TRUE(lookupShown);
    EXPECT_EQ(searched, QString());
    EXPECT_FALSE(gForceItemSearch);

    enterCode(QString::fromLatin1(Demo::XylocaineId));
    EXPECT_EQ(text(QStringLiteral("txtProdName")).left(9), QStringLiteral("XYLOCAINE"));
}

TEST_F(LineEntryTest, DotsButtonWithAnEmptyCodeBoxListsEveryItemOfTheLocation)
{
    int listed = -1;
    QString searched = QStringLiteral("not shown");
    onNextModal([&](QWidget *lookup) {
        if (auto *search = lookup->findChild<QLineEdit *>(QStringLiteral("txtSearch")))
            searched = search->text();
        if (auto *found = lookup->findChild<FlexGrid *>(QStringLiteral("grdLookup")))
            listed = found->Rows() - 1;
        clickIn(lookup, QStringLiteral("cmdOptions_0"));
    });
    click(QStringLiteral("cmdCode"));
    reactivate();

    EXPECT_EQ(searched, QString());
    const int stocked = session()
                            .rawValue(QStringLiteral("SELECT count(*) FROM tbInvent D JOIN tbInvMaster A ON A.ItemID = D.ItemID "
                                                     "LEFT JOIN tbInvClassification C ON C.ItemClassificationID = A.ItemClassificationID "
                                                     "WHERE D.LocationID = '%1' AND IFNULL(D.ItemStatus, 0) = 0 "
                                                     "AND IFNULL(A.ItemStatus, 0) = 0 AND IFNULL(C.IsFixedAsset, 0) <> 1 "
                                                     "AND D.ItemID IN (SELECT ItemID FROM tbInvent WHERE LocationID = '%2' "
                                                     "AND ItemStatus = 0)")
                                          .arg(QString::fromLatin1(Demo::CentralSupplyId),
                                               QString::fromLatin1(Demo::EmergencyRoomId)))
                            .toInt();
    EXPECT_GT(stocked, 1);
    EXPECT_EQ(listed, stocked);
    EXPECT_EQ(text(Code), QString());
    EXPECT_FALSE(gForceItemSearch);
}

TEST_F(LineEntryTest, FailureWhileLookingUpKeepsTheFocusSilently)
{
    session().raw(QStringLiteral("DROP TABLE tbInvKit"));
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(focusName(), Code);
    EXPECT_FALSE(gForceItemSearch);
}

TEST_F(LineEntryTest, EnterInUnitCostAndOnTheRetailOptionsGoesToUpdateOnly)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    // Once the grid has had the focus the window sees every key first; the boxes still decide.
    selectGridRow(QStringLiteral("grdDetails"), 1);
    click(UnitCost);
    ASSERT_TRUE(form().findChild<QWidget *>(QStringLiteral("cmdOK"))->isEnabled());
    pressEnter();
    EXPECT_EQ(focusName(), QStringLiteral("cmdOK"));

    click(QStringLiteral("optConsumed_1"));
    pressEnter();
    EXPECT_EQ(focusName(), QStringLiteral("cmdOK"));
    click(QStringLiteral("optConsumed_0"));
    pressEnter();
    EXPECT_EQ(focusName(), QStringLiteral("cmdOK"));

    // With "&Update" disabled Enter does nothing there.
    widget(QStringLiteral("cmdOK"))->setEnabled(false);
    for (const QString &name : {QStringLiteral("optConsumed_1"), UnitCost}) {
        click(name);
        pressEnter();
        EXPECT_EQ(focusName(), name);
    }
    EXPECT_EQ(messages().count(), 0);
}

TEST_F(LineEntryTest, ALineIsEnteredWithTheKeyboardAloneEndingWithEnterOnUpdate)
{
    typeInto(Code, QString::fromLatin1(Demo::ParacetamolId));
    pressEnter();
    ASSERT_EQ(focusName(), Quantity);
    typeText(QStringLiteral("4"));
    pressEnter();
    ASSERT_EQ(focusName(), UnitCost);
    pressEnter();
    ASSERT_EQ(focusName(), QStringLiteral("cmdOK"));
    pressEnter();

    EXPECT_EQ(cell(1, 0), QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(cell(1, 2), QStringLiteral("4"));
    EXPECT_EQ(cell(1, 4), QStringLiteral("5.0000"));
    EXPECT_EQ(details()->Rows(), 3);
    EXPECT_EQ(focusName(), Code);
    EXPECT_EQ(messages().count(), 0);
}

class ZeroOnHandTest : public LinesFixture
{
protected:
    void beforeLoad() override { gAllowWDZeroOnHand = true; }
};

TEST_F(ZeroOnHandTest, ItemWithoutStockIsRefusedWithTwoMessages)
{
    enterCode(QString::fromLatin1(Demo::ZeroStockId));
    ASSERT_EQ(messages().count(), 2);
    const Message first = messages().messages().at(0);
    EXPECT_EQ(first.text, QStringLiteral("Zero Item Onhand"));
    EXPECT_EQ(first.title, QStringLiteral("HEY!"));
    EXPECT_EQ(first.icon, MsgIcon::Critical);
    const Message second = messages().messages().at(1);
    EXPECT_EQ(second.text, QStringLiteral("Enter another item"));
    EXPECT_EQ(second.title, QStringLiteral("OK"));
    EXPECT_EQ(second.icon, MsgIcon::Information);
    EXPECT_EQ(focusName(), Code);
    EXPECT_EQ(text(QStringLiteral("txtProdName")), QString());
}

TEST_F(ZeroOnHandTest, ItemFoundByNameIsEnteredUnderItsCode)
{
    enterCode(QString::fromLatin1(Demo::UniqueNamePrefix));
    EXPECT_EQ(text(Code), QString::fromLatin1(Demo::XylocaineId));
    EXPECT_EQ(focusName(), Quantity);
}

class SwitchFiveTest : public LinesFixture
{
protected:
    void beforeLoad() override
    {
        session().raw(QStringLiteral("UPDATE tbPharmaSwitch SET KeyValue = '1' WHERE idkey = '5'"));
    }
};

TEST_F(SwitchFiveTest, QuantityAboveTheStockIsRefused)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    typeInto(Quantity, QStringLiteral("501"));
    pressTab();
    EXPECT_EQ(lastMessage().text, QStringLiteral("Quantity must be less than or equal to Current Stock..."));
    EXPECT_EQ(lastMessage().title, QStringLiteral("MESSAGE"));
    EXPECT_EQ(lastMessage().icon, MsgIcon::Information);
    EXPECT_EQ(focusName(), Quantity);

    messages().clear();
    typeInto(Quantity, QStringLiteral("500"));
    pressTab();
    EXPECT_EQ(messages().count(), 0);
}

class BexClientTest : public LinesFixture
{
protected:
    void beforeLoad() override { gClientName = QStringLiteral("BEX"); }
};

TEST_F(BexClientTest, ItemIsSearchedAtTheRequestingDepartment)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_FALSE(statementsContaining(QStringLiteral("sp_Inv_SearchItem_In_Invent '10001','10'")).isEmpty());
    // The item facts beside a grid line always come from the addressed location.
    clearTrace();
    form().lineEntry().ShowItemDetails();
    EXPECT_FALSE(statementsContaining(QStringLiteral("sp_Inv_SearchItem_In_Invent '10001','94'")).isEmpty());
}

class MvClientTest : public LinesFixture
{
protected:
    void beforeLoad() override
    {
        gClientName = QStringLiteral("MV");
        session().raw(QStringLiteral("UPDATE tbInvent SET MinStockLevel = 20, MaxStockLevel = 800 "
                                     "WHERE ItemID = '10001' AND LocationID = '94'"));
    }
};

TEST_F(MvClientTest, MinimumAndMaximumStockAreShown)
{
    enterCode(QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_TRUE(shown(QStringLiteral("txtMin")));
    EXPECT_EQ(widget<QLabel>(QStringLiteral("txtMin"))->text(), QStringLiteral("20"));
    EXPECT_EQ(widget<QLabel>(QStringLiteral("txtMax"))->text(), QStringLiteral("800"));
}

} // namespace
