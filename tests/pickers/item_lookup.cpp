#include "pickers/frmItemLookup.h"

#include "PickerTestSupport.h"
#include "widgets/FlexGrid.h"
#include "widgets/LocationCombo.h"
#include "pickers/PickerWindows.h"
#include "records/LookupWindows.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString MasterQueryStart =
    QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name], ")
    + QStringLiteral("A.ItemDesc As Description, B.SupplierName As Supplier, A.MarkupIn As [In-Patient Markup], "
                     "A.MarkupOut As [Out-Patient Markup],")
    + QStringLiteral("Case when A.ItemStatus = 1 then 'Inactive' Else 'Active' End  As Status, A.Packing, "
                     "A.ListCost,  ")
    + QStringLiteral("C.ItemClassificationName ") + QStringLiteral("From INVENTORY..tbInvMaster A ")
    + QStringLiteral("Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID ")
    + QStringLiteral("Left Outer Join INVENTORY..tbInvClassification C ON A.ItemClassificationID = "
                     "C.ItemClassificationID ")
    + QStringLiteral(" Where ( A.ItemStatus = 0 or A.ItemStatus is Null ) and IsNull(C.IsFixedAsset,0) <> 1 and ");

QString locationQueryStart(const QString &addressed, const QString &requesting)
{
    return QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name], ")
           + QStringLiteral("A.ItemDesc As Description, B.SupplierName As Supplier, D.Markup_In As "
                            "[In-Patient Markup], D.Markup_Out As [Out-Patient Markup],")
           + QStringLiteral("Case when D.ItemStatus = 1 then 'Inactive' Else 'Active' end  As Status, A.Packing, "
                            "A.ListCost,  ")
           + QStringLiteral("C.ItemClassificationName ") + QStringLiteral("From INVENTORY..tbInvMaster A ")
           + QStringLiteral("Left Outer Join INVENTORY..tbInvent D ON A.ItemID = D.ItemID ")
           + QStringLiteral("Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID ")
           + QStringLiteral("Left Outer join INVENTORY..tbInvClassification C ON A.ItemClassificationID = "
                            "C.ItemClassificationID ")
           + QStringLiteral("Where D.LocationID = '") + addressed
           + QStringLiteral("' and D.ItemID in (Select itemID from INVENTORY..tbinvent where locationid = '")
           + requesting + QStringLiteral("' and itemStatus = 0) and ")
           + QStringLiteral(" ( D.ItemStatus = 0 or D.ItemStatus is Null ) and ( A.ItemStatus = 0 or A.ItemStatus "
                            "is Null ) and IsNull(C.IsFixedAsset,0) <> 1 and ");
}

const QString OrderBy = QStringLiteral(" Order by A.ItemName, A.ItemDesc");

// The request window as the search sees it: a top-level "frmMain" with its two location boxes.
class RequestWindow
{
public:
    RequestWindow(const QString &addressed, const QString &requesting)
    {
        m_window.setObjectName(QStringLiteral("frmMain"));
        auto *to = new LocationCombo(&m_window);
        to->setObjectName(QStringLiteral("cboLocation"));
        to->setTag(addressed);
        auto *from = new LocationCombo(&m_window);
        from->setObjectName(QStringLiteral("cboTargetLocation"));
        from->setTag(requesting);
    }

private:
    QWidget m_window;
};

class ItemLookupTest : public PickerFixture<frmItemLookup>
{
protected:
    void SetUp() override { session.clearTrace(); }

    // Loads the window unseen, as the records do.
    void load(const QString &search, const QString &locationCode = QString())
    {
        window.setLocationName(locationCode.isEmpty() ? QString() : QStringLiteral("CENTRAL SUPPLY"));
        window.setLocationCode(locationCode);
        window.setSearchString(search);
        window.Form_Load();
    }

    QPushButton *searchButton() { return child<QPushButton>(&window, "cmdSearch"); }
};

} // namespace

TEST_F(ItemLookupTest, MasterSearchByNameUpperCasesAndFindsOneItemWithoutShowing)
{
    load(QStringLiteral(" xylo "));

    EXPECT_EQ(session.trace(),
              QStringList{MasterQueryStart + QStringLiteral(" A.ItemName Like 'XYLO%'") + OrderBy});
    EXPECT_TRUE(window.blnExactMatch());
    EXPECT_EQ(window.SearchString(), QString::fromLatin1(Demo::XylocaineId));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(session.messages().count(), 0);
}

TEST_F(ItemLookupTest, LocationSearchByCodeUsesTheRequestWindowsLocations)
{
    RequestWindow request(QString::fromLatin1(Demo::CentralSupplyId), QString::fromLatin1(Demo::EmergencyRoomId));
    load(QString::fromLatin1(Demo::ParacetamolId), QString::fromLatin1(Demo::MainPharmacyId));

    // LocationCode only picks the form; the ids come from the request window's boxes.
    EXPECT_EQ(session.trace(),
              QStringList{locationQueryStart(QStringLiteral("94"), QStringLiteral("10"))
                          + QStringLiteral(" A.ItemID = '10001' ") + OrderBy});
    EXPECT_TRUE(window.blnExactMatch());
    EXPECT_EQ(window.SearchString(), QString::fromLatin1(Demo::ParacetamolId));
}

TEST_F(ItemLookupTest, LocationRulesDecideWhichItemsAreFound)
{
    {
        RequestWindow request(QString::fromLatin1(Demo::CentralSupplyId),
                              QString::fromLatin1(Demo::EmergencyRoomId));
        load(QString::fromLatin1(Demo::NotAtErId), QString::fromLatin1(Demo::CentralSupplyId));
        EXPECT_FALSE(window.blnExactMatch());
        EXPECT_FALSE(grid()->isEnabled());
        EXPECT_FALSE(select()->isEnabled());
        EXPECT_EQ(grid()->Rows(), 1);
    }
    // Without a location the item master is searched, whatever the request window holds.
    load(QString::fromLatin1(Demo::NotAtErId));
    EXPECT_TRUE(window.blnExactMatch());
    EXPECT_TRUE(grid()->isEnabled());
    EXPECT_TRUE(select()->isEnabled());
    EXPECT_EQ(grid()->TextMatrix(1, 0), QString::fromLatin1(Demo::NotAtErId));
}

TEST_F(ItemLookupTest, QuoteInTheSearchTextIsDoubledAndFindsTheItem)
{
    load(QStringLiteral("o'neil"));

    EXPECT_EQ(session.messages().count(), 0);
    EXPECT_EQ(session.trace(),
              QStringList{MasterQueryStart + QStringLiteral(" A.ItemName Like 'O''NEIL%'") + OrderBy});
    EXPECT_TRUE(window.blnExactMatch());
    EXPECT_EQ(window.SearchString(), QString::fromLatin1(Demo::QuoteNameId));
}

TEST_F(ItemLookupTest, EmptySearchListsEveryItemInNameOrder)
{
    load(QString());

    // Inactive items and fixed assets stay out.
    const int listed = session.rawValue(QStringLiteral(
        "SELECT COUNT(*) FROM tbInvMaster A LEFT JOIN tbInvClassification C "
        "ON A.ItemClassificationID = C.ItemClassificationID "
        "WHERE IFNULL(A.ItemStatus, 0) = 0 AND IFNULL(C.IsFixedAsset, 0) <> 1")).toInt();
    EXPECT_GT(listed, 1);
    EXPECT_LT(listed, Demo::ItemCount);
    EXPECT_FALSE(window.blnExactMatch());
    ASSERT_EQ(grid()->Rows(), listed + 1);
    EXPECT_EQ(grid()->TextMatrix(0, 0), QStringLiteral("Code"));
    EXPECT_EQ(grid()->TextMatrix(0, 1), QStringLiteral("Product Name"));
    EXPECT_EQ(grid()->ColWidth(1), 3000);
    EXPECT_EQ(grid()->ColWidth(5), 2000);
    for (int row = 2; row < grid()->Rows(); ++row)
        ASSERT_LE(grid()->TextMatrix(row - 1, 1).compare(grid()->TextMatrix(row, 1), Qt::CaseInsensitive), 0)
            << row;
}

TEST_F(ItemLookupTest, NoMatchShowsADisabledGridAndCloseReturnsNothing)
{
    registerPickerWindows();
    auto lookup = createItemLookup();
    lookup->setSearchString(QStringLiteral("QQQ NO SUCH ITEM"));
    whenModalOpens([](QWidget *modal) {
        EXPECT_FALSE(child<FlexGrid>(modal, "grdLookup")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(modal, "cmdOptions_1")->isEnabled());
        QTest::mouseClick(child<QPushButton>(modal, "cmdOptions_0"), Qt::LeftButton);
    });
    EXPECT_EQ(RunLookup(*lookup), QString());
    EXPECT_EQ(gLookupResult.toString(), QString());
}

TEST_F(ItemLookupTest, SelectAndDoubleClickReturnTheCurrentRowsCode)
{
    registerPickerWindows();
    {
        auto lookup = createItemLookup();
        lookup->setSearchString(QString());
        QString expected;
        whenModalOpens([&expected](QWidget *modal) {
            auto *grid = child<FlexGrid>(modal, "grdLookup");
            grid->setFocus();
            grid->setRow(2);
            expected = grid->TextMatrix(2, 0);
            QTest::keyClick(grid, Qt::Key_Return); // "&Select" is the default while the grid has focus
        });
        EXPECT_EQ(RunLookup(*lookup), expected);
        EXPECT_FALSE(expected.isEmpty());
    }
    {
        auto lookup = createItemLookup();
        lookup->setSearchString(QString());
        QString expected;
        whenModalOpens([&expected](QWidget *modal) {
            auto *grid = child<FlexGrid>(modal, "grdLookup");
            const QRect cell = grid->visualRect(grid->model()->index(0, 0));
            expected = grid->TextMatrix(1, 0);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        });
        EXPECT_EQ(RunLookup(*lookup), expected);
        EXPECT_FALSE(expected.isEmpty());
    }
}

TEST_F(ItemLookupTest, TypingUpperCasesAndNarrowsTheListAtEachCharacter)
{
    load(QString());
    showWindow();
    txtSearch()->setFocus();
    session.clearTrace();

    QTest::keyClicks(txtSearch(), QStringLiteral("xyl"));

    EXPECT_EQ(txtSearch()->text(), QStringLiteral("XYL"));
    ASSERT_EQ(session.trace().size(), 3);
    EXPECT_TRUE(session.trace().at(0).contains(QStringLiteral("Like 'X%'")));
    EXPECT_TRUE(session.trace().at(2).contains(QStringLiteral("Like 'XYL%'")));
    EXPECT_EQ(grid()->Rows(), 2);
    EXPECT_EQ(grid()->TextMatrix(1, 0), QString::fromLatin1(Demo::XylocaineId));
}

TEST_F(ItemLookupTest, DefaultButtonFollowsTheFocus)
{
    load(QStringLiteral("S"));
    showWindow();

    txtSearch()->setFocus();
    EXPECT_TRUE(searchButton()->isDefault());
    EXPECT_FALSE(select()->isDefault());

    grid()->setFocus();
    EXPECT_FALSE(searchButton()->isDefault());
    EXPECT_TRUE(select()->isDefault());

    // Enter in the search box runs the search and moves to the grid when something is found.
    txtSearch()->setFocus();
    session.clearTrace();
    QTest::keyClick(txtSearch(), Qt::Key_Return);
    EXPECT_EQ(session.trace().size(), 1);
    EXPECT_TRUE(grid()->hasFocus());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(ItemLookupTest, GridKeysShortenOrRestartTheSearch)
{
    load(QStringLiteral("PARA"));
    showWindow();
    grid()->setFocus();

    QTest::keyClick(grid(), Qt::Key_Backspace);
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("PAR"));
    EXPECT_TRUE(grid()->hasFocus());

    session.clearTrace();
    QTest::keyClick(grid(), Qt::Key_X);
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("X"));
    EXPECT_TRUE(txtSearch()->hasFocus());
    EXPECT_EQ(txtSearch()->cursorPosition(), 1);
    ASSERT_EQ(session.trace().size(), 1);
    EXPECT_TRUE(session.trace().at(0).contains(QStringLiteral("Like 'X%'")));

    // Digits and function keys are not letters: the search text stays and nothing is searched.
    grid()->setFocus();
    session.clearTrace();
    for (int key = Qt::Key_F1; key <= Qt::Key_F24; ++key)
        QTest::keyClick(grid(), Qt::Key(key));
    QTest::keyClick(grid(), Qt::Key_5);
    EXPECT_EQ(txtSearch()->text(), QStringLiteral("X"));
    EXPECT_TRUE(grid()->hasFocus());
    EXPECT_TRUE(session.trace().isEmpty());
}

TEST_F(ItemLookupTest, FailedSearchIsShownAndTheGridKeepsItsRows)
{
    load(QStringLiteral("PARA"));
    const int rows = grid()->Rows();
    ASSERT_GT(rows, 1);

    session.raw(QStringLiteral("DROP TABLE tbInvClassification"));
    EXPECT_FALSE(window.RunItemSearch(QStringLiteral("X")));

    ASSERT_EQ(session.messages().count(), 1);
    EXPECT_EQ(session.messages().last().title, AppTitle());
    EXPECT_EQ(session.messages().last().icon, MsgIcon::None);
    EXPECT_FALSE(session.messages().last().text.isEmpty());
    EXPECT_EQ(grid()->Rows(), rows);
    EXPECT_TRUE(select()->isEnabled());
}
