#include "records/clsItem.h"
#include "records/clsItemMaster.h"
#include "records/clsLocation.h"
#include "tests/records/RecordsTesting.h"

namespace {

const QString kParacetamol = QString::fromLatin1(Demo::ParacetamolId);
const QString kCentral = QString::fromLatin1(Demo::CentralSupplyId);
const QString kEr = QString::fromLatin1(Demo::EmergencyRoomId);

class ItemAtLocation : public ::testing::Test
{
protected:
    ItemAtLocation()
    {
        item.setActiveConnection(session.connection());
        session.clearTrace();
    }

    TestSession session;
    clsItem item;
};

TEST_F(ItemAtLocation, LoadsTheItemsFiguresThroughTheProcedure)
{
    session.raw(QStringLiteral("UPDATE tbInvent SET MinStockLevel = 50, MaxStockLevel = 800, Markup_In = 12 "
                               "WHERE ItemID = '10001' AND LocationID = '94'"));

    ASSERT_TRUE(item.LoadItem(kParacetamol, kCentral));

    EXPECT_EQ(session.trace(),
              QStringList{QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10001','94'")});
    EXPECT_EQ(item.ItemID(), kParacetamol);
    EXPECT_EQ(item.OnHand(), 500.0);
    EXPECT_EQ(item.AverageCost(), Currency::fromDouble(1.25));
    EXPECT_EQ(item.ListCost(), 1.5);
    EXPECT_EQ(item.Packing(), 100);
    EXPECT_EQ(item.UOMDescription(), QStringLiteral("TABLET"));
    EXPECT_EQ(item.MarkupIn(), 12);
    // The maximum comes from its own column, not from the minimum.
    EXPECT_EQ(item.MinimumStockLevel(), 50.0);
    EXPECT_EQ(item.MaxStock(), 800.0);
    EXPECT_TRUE(session.messages().texts().isEmpty());
}

TEST_F(ItemAtLocation, TheSameItemIdIsNotReadAgainWhateverTheLocation)
{
    session.raw(
        QStringLiteral("UPDATE tbInvent SET OnHand = 7 WHERE ItemID = '10001' AND LocationID = '10'"));
    ASSERT_TRUE(item.LoadItem(kParacetamol, kCentral));
    session.clearTrace();

    EXPECT_TRUE(item.LoadItem(kParacetamol, kEr));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_EQ(item.OnHand(), 500.0);
}

TEST_F(ItemAtLocation, AnItemNotAtTheLocationKeepsThePreviousItem)
{
    ASSERT_TRUE(item.LoadItem(kParacetamol, kCentral));

    EXPECT_FALSE(item.LoadItem(QString::fromLatin1(Demo::NotAtErId), kEr));
    EXPECT_EQ(item.ItemID(), kParacetamol);
    EXPECT_EQ(item.OnHand(), 500.0);
    EXPECT_TRUE(session.messages().texts().isEmpty());
}

TEST_F(ItemAtLocation, ABlankItemIdReadsNothingAndDropsTheRelatedRecords)
{
    ASSERT_TRUE(item.LoadItem(kParacetamol, kCentral));
    const auto location = item.Location();
    const auto master = item.ItemMaster();
    session.clearTrace();

    EXPECT_TRUE(item.LoadItem(QStringLiteral("   "), kCentral));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_EQ(item.OnHand(), 500.0);
    EXPECT_NE(item.Location(), location);
    EXPECT_NE(item.ItemMaster(), master);
}

TEST_F(ItemAtLocation, NullColumnsTakeTheirDefaultsOrFailTheLoad)
{
    session.raw(QStringLiteral("UPDATE tbInvent SET Markup_In = NULL, ExpiryDate = NULL, NewGLCode = NULL "
                               "WHERE ItemID = '10002' AND LocationID = '94'"));
    ASSERT_TRUE(item.LoadItem(QString::fromLatin1(Demo::ZeroStockId), kCentral));
    EXPECT_EQ(item.MarkupIn(), 0);
    EXPECT_EQ(item.ExpiryDate(), clsItem::ZeroDate());
    EXPECT_EQ(item.GLCode(), QString());

    session.raw(QStringLiteral("UPDATE tbInvMaster SET Packing = NULL WHERE ItemID = '10001'"));
    EXPECT_FALSE(item.LoadItem(kParacetamol, kCentral));
    ASSERT_EQ(session.messages().count(), 1);
    EXPECT_EQ(session.messages().last().title, QStringLiteral("Message"));
    EXPECT_EQ(session.messages().last().icon, MsgIcon::Critical);
    EXPECT_EQ(session.messages().last().buttons, MsgButtons::OK);
    // A row that could not be taken leaves the previous item whole, so loading the same id
    // again reads it again instead of reporting a half-loaded record as loaded.
    EXPECT_EQ(item.ItemID(), QString::fromLatin1(Demo::ZeroStockId));
    session.raw(QStringLiteral("UPDATE tbInvMaster SET Packing = 100 WHERE ItemID = '10001'"));
    EXPECT_TRUE(item.LoadItem(kParacetamol, kCentral));
    EXPECT_EQ(item.Packing(), 100);
}

TEST_F(ItemAtLocation, QuotesInTheCodesStayInsideTheirLiterals)
{
    EXPECT_FALSE(item.LoadItem(QStringLiteral("10001' OR '1'='1"), QStringLiteral("9'4")));
    EXPECT_EQ(session.trace(), QStringList{QStringLiteral(
                                   "Inventory..sp_Inv_SearchItem_In_Invent '10001'' OR ''1''=''1','9''4'")});
    EXPECT_TRUE(session.messages().texts().isEmpty());
}

TEST_F(ItemAtLocation, LocationAndMasterAreLoadedOnFirstReadOnly)
{
    ASSERT_TRUE(item.LoadItem(kParacetamol, kCentral));
    session.clearTrace();

    EXPECT_EQ(item.Location()->Description(), QString::fromLatin1(Demo::CentralSupply));
    EXPECT_EQ(item.ItemMaster()->ItemName(), QStringLiteral("PARACETAMOL"));
    EXPECT_EQ(item.Location()->Code(), kCentral);
    EXPECT_EQ(item.ItemMaster()->ItemDesc(), QStringLiteral("500MG TABLET"));
    EXPECT_EQ(session.trace(),
              (QStringList{QStringLiteral("Select * From INVENTORY..tbInvLocation Where LocationID = '94'"),
                           QStringLiteral("Select * From INVENTORY..tbInvMaster Where ItemID = '10001'")}));

    // Another item drops both; the next reads load the new item's records.
    ASSERT_TRUE(item.LoadItem(QString::fromLatin1(Demo::XylocaineId), kEr));
    EXPECT_EQ(item.Location()->Code(), kEr);
    EXPECT_EQ(item.ItemMaster()->ItemName(), QStringLiteral("XYLOCAINE"));
}

TEST_F(ItemAtLocation, SearchTakesAnExactMatchWithoutShowingTheWindow)
{
    ScriptedLookups lookups;
    lookups.item.exactMatch = true;

    EXPECT_TRUE(item.SearchItem(kParacetamol, QString::fromLatin1(Demo::CentralSupply), kCentral));
    EXPECT_EQ(lookups.item.shows, 0);
    EXPECT_EQ(lookups.item.locationName, QString::fromLatin1(Demo::CentralSupply));
    EXPECT_EQ(lookups.item.locationCode, kCentral);
    EXPECT_EQ(item.ItemID(), kParacetamol);
}

TEST_F(ItemAtLocation, SearchLoadsThePickedItemOrFailsWhenNoneIsPicked)
{
    ScriptedLookups lookups;
    lookups.item.choice = QString::fromLatin1(Demo::XylocaineId);
    EXPECT_TRUE(item.SearchItem(QStringLiteral("XYLO"), QString::fromLatin1(Demo::CentralSupply), kCentral));
    EXPECT_EQ(lookups.item.shows, 1);
    EXPECT_EQ(lookups.item.searchString, QStringLiteral("XYLO"));
    EXPECT_EQ(item.ItemID(), QString::fromLatin1(Demo::XylocaineId));

    lookups.item.choice.clear();
    EXPECT_FALSE(item.SearchItem(QStringLiteral("PARA"), QString::fromLatin1(Demo::CentralSupply), kCentral));
    EXPECT_EQ(item.ItemID(), QString::fromLatin1(Demo::XylocaineId));
}

} // namespace
