#include "records/clsGeneric.h"
#include "records/clsItemClass.h"
#include "records/clsItemMaster.h"
#include "records/clsSupplier.h"
#include "records/clsUnitOfMeasure.h"
#include "tests/records/RecordsTesting.h"

namespace {

const QString kParacetamol = QString::fromLatin1(Demo::ParacetamolId);

class ItemMasterRecord : public ::testing::Test
{
protected:
    ItemMasterRecord()
    {
        master.setActiveConnection(session.connection());
        session.clearTrace();
    }

    // Gives the record the related records Update writes and fixed values for every member.
    void fillForUpdate()
    {
        auto supplier = std::make_shared<clsSupplier>();
        supplier->setSupplierID(QStringLiteral("S1"));
        master.setSupplier(supplier);
        auto manufacturer = std::make_shared<clsSupplier>();
        manufacturer->setSupplierID(QStringLiteral(" M2 "));
        master.setManufacturer(manufacturer);
        auto itemClass = std::make_shared<clsItemClass>();
        itemClass->setCode(QStringLiteral("A"));
        master.setItemClass(itemClass);
        auto unit = std::make_shared<clsUnitOfMeasure>();
        unit->setCode(3);
        master.setUnitOfMeasure(unit);
        master.setMarkupIn(20);
        master.setMarkupOut(25);
        master.setDownTime(1.5);
        master.setListCost(Currency::fromDouble(1.5));
        master.setItemStatus(1);
        master.setPacking(100);
        master.setAverageCost(Currency::fromDouble(1.25));
        master.setEndorseMedicine(QStringLiteral("O"));
        master.setSeniorCitizenDiscount(true);
        master.setWithLotNumber(false);
        master.setMedicareCategory(QStringLiteral("B"));
        master.setGLCode(QStringLiteral("GL-1"));
        master.setItemClassTag(QStringLiteral("T"));
    }

    TestSession session;
    clsItemMaster master;
};

TEST_F(ItemMasterRecord, LoadsTheCatalogueRowOnceForItsCode)
{
    ASSERT_TRUE(master.LoadItem(kParacetamol));
    EXPECT_EQ(session.trace(),
              QStringList{QStringLiteral("Select * From INVENTORY..tbInvMaster Where ItemID = '10001'")});
    EXPECT_EQ(master.ItemName(), QStringLiteral("PARACETAMOL"));
    EXPECT_EQ(master.ItemDesc(), QStringLiteral("500MG TABLET"));
    EXPECT_EQ(master.ListCost(), Currency::fromDouble(1.5));
    EXPECT_EQ(master.Packing(), 100);
    EXPECT_EQ(master.BarCode(), QString::fromLatin1(Demo::ParacetamolBarcode));

    session.raw(QStringLiteral("UPDATE tbInvMaster SET ItemName = 'CHANGED' WHERE ItemID = '10001'"));
    session.clearTrace();
    EXPECT_TRUE(master.LoadItem(kParacetamol));
    EXPECT_TRUE(session.trace().isEmpty());
    EXPECT_EQ(master.ItemName(), QStringLiteral("PARACETAMOL"));
}

TEST_F(ItemMasterRecord, AnUnknownCodeResetsTheRowButKeepsTheHeldSettings)
{
    ASSERT_TRUE(master.LoadItem(kParacetamol));
    master.setGLCode(QStringLiteral("GL-9"));
    master.setMedicareType(QStringLiteral("Y"));
    master.setWithMedicare(true);
    master.setItemClassTag(QStringLiteral("TAG"));

    EXPECT_FALSE(master.LoadItem(QStringLiteral("NOSUCH")));
    EXPECT_EQ(master.ItemID(), QString());
    EXPECT_EQ(master.ItemName(), QString());
    EXPECT_EQ(master.Packing(), 0);
    EXPECT_EQ(master.EndorseMedicine(), QStringLiteral("X"));
    EXPECT_EQ(master.GLCode(), QStringLiteral("GL-9"));
    EXPECT_EQ(master.MedicareType(), QStringLiteral("Y"));
    EXPECT_TRUE(master.WithMedicare());
    EXPECT_EQ(master.ItemClassTag(), QStringLiteral("TAG"));

    session.clearTrace();
    EXPECT_TRUE(master.LoadItem(QStringLiteral("  ")));
    EXPECT_TRUE(session.trace().isEmpty());
}

TEST_F(ItemMasterRecord, NullColumnsLoadAsTheirDefaults)
{
    session.raw(
        QStringLiteral("UPDATE tbInvMaster SET OralInject = NULL, MedicareType = NULL, "
                       "MedicareCategory = NULL, BarCode = NULL, MarkupIn = NULL, WithLotNumber = NULL "
                       "WHERE ItemID = '10001'"));
    ASSERT_TRUE(master.LoadItem(kParacetamol));
    EXPECT_EQ(master.EndorseMedicine(), QStringLiteral("X"));
    EXPECT_EQ(master.MedicareType(), QStringLiteral("N"));
    EXPECT_EQ(master.MedicareCategory(), QStringLiteral("A"));
    EXPECT_EQ(master.BarCode(), QStringLiteral("0"));
    EXPECT_EQ(master.MarkupIn(), 0);
    EXPECT_FALSE(master.WithLotNumber());
}

TEST_F(ItemMasterRecord, ANullSeniorDiscountFailsTheLoadWithTheRecordsError)
{
    ASSERT_TRUE(master.LoadItem(QString::fromLatin1(Demo::XylocaineId)));
    session.raw(QStringLiteral("UPDATE tbInvMaster SET IsSeniorDiscounted = NULL WHERE ItemID = '10001'"));

    const Error error = raisedBy([&] { master.LoadItem(kParacetamol); });
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsItemMaster:LoadItem Method"));
    EXPECT_EQ(error.Description(), QStringLiteral("An unknown error has occurred!"));
    // The record still holds the previous item, so the code is read again next time.
    EXPECT_EQ(master.ItemName(), QStringLiteral("XYLOCAINE"));
    EXPECT_EQ(master.ItemID(), QString::fromLatin1(Demo::XylocaineId));
}

TEST_F(ItemMasterRecord, UpdateOfAnExistingItemWithoutMedicareLeavesTheTypeAlone)
{
    ASSERT_TRUE(master.LoadItem(kParacetamol));
    fillForUpdate();
    master.setWithMedicare(false);
    master.setMedicareType(QStringLiteral("Y"));
    session.clearTrace();

    EXPECT_TRUE(master.Update());
    ASSERT_EQ(session.trace().size(), 2);
    EXPECT_EQ(session.trace().at(0),
              QStringLiteral("Select ItemID From INVENTORY..tbInvMaster Where ItemID = '10001'"));
    EXPECT_EQ(session.trace().at(1),
              QStringLiteral(
                  "Update INVENTORY..tbInvMaster Set ItemName = 'PARACETAMOL', ItemDesc = '500MG TABLET', "
                  "SupplierId = 'S1', MarkupIn = 20, MarkupOut = 25, DownTime = 1.50, Listcost = 1.5000, "
                  "ItemClassificationID = 'A', ItemStatus =  1, UnitOfMeasureID = 3, Packing = 100, "
                  "AverageCost = 1.2500, BarCode = '4800010010001', OralInject = 'O',  ManufacturerID = "
                  "'M2' , IsSeniorDiscounted = 1, WithLOTNumber = 0, MedicareCategory = 'B' , GLCode = "
                  "'GL-1', ItemClass = 'T'  Where ItemID = '10001'"));
    const QVariant storedType =
        session.rawValue(QStringLiteral("SELECT MedicareType FROM tbInvMaster WHERE ItemID = '10001'"));
    EXPECT_NE(storedType.toString(), QStringLiteral("Y"));
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT ItemClass FROM tbInvMaster WHERE ItemID = '10001'"))
                  .toString(),
              QStringLiteral("T"));
}

TEST_F(ItemMasterRecord, UpdateWithMedicareWritesTheType)
{
    ASSERT_TRUE(master.LoadItem(kParacetamol));
    fillForUpdate();
    master.setWithMedicare(true);
    master.setMedicareType(QStringLiteral("Y"));
    master.setMarkupIn(-5);
    session.clearTrace();

    EXPECT_TRUE(master.Update());
    ASSERT_EQ(session.trace().size(), 2);
    EXPECT_EQ(session.trace().at(1),
              QStringLiteral(
                  "Update INVENTORY..tbInvMaster Set ItemName = 'PARACETAMOL', ItemDesc = '500MG TABLET', "
                  "SupplierId = 'S1', MarkupIn = -5, MarkupOut = 25, DownTime = 1.50, Listcost = 1.5000, "
                  "ItemClassificationID = 'A', ItemStatus =  1, UnitOfMeasureID = 3, Packing = 100, "
                  "AverageCost = 1.2500, BarCode = '4800010010001', OralInject = 'O',  ManufacturerID = "
                  "'M2' , IsSeniorDiscounted = 1, WithLOTNumber = 0, MedicareType = 'Y' , "
                  "MedicareCategory = 'B' , GLCode = 'GL-1', ItemClass = 'T' Where ItemID = '10001'"));
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT MedicareType FROM tbInvMaster WHERE ItemID = '10001'"))
                  .toString(),
              QStringLiteral("Y"));
}

TEST_F(ItemMasterRecord, UpdateOfANewItemGeneratesTheCodeFromTheLargestNumber)
{
    session.raw(QStringLiteral("DELETE FROM tbInvMaster"));
    session.raw(
        QStringLiteral("INSERT INTO tbInvMaster (ItemID, ItemName) VALUES ('P0007', 'A'), ('12', 'B')"));
    fillForUpdate();
    master.setItemID(QStringLiteral("NEWONE"));
    master.setItemName(QStringLiteral(" NEW ITEM "));
    master.setItemDesc(QStringLiteral("BOX OF 10"));
    master.setBarCode(QStringLiteral("123"));
    master.setWithMedicare(false);
    session.clearTrace();

    EXPECT_TRUE(master.Update());
    EXPECT_EQ(master.ItemID(), QStringLiteral("13"));
    ASSERT_EQ(session.trace().size(), 3);
    EXPECT_EQ(session.trace().at(1),
              QStringLiteral(
                  "Select Convert(VarChar(4),Max( Convert(Integer,Replace(itemid,'P','')) ) + 1)  as MaxCode "
                  "From INVENTORY..tbInvMaster"));
    EXPECT_EQ(session.trace().at(2),
              QStringLiteral(
                  "Insert Into INVENTORY..tbInvMaster (ItemID,ItemName, ItemDesc, SupplierId, MarkupIn,  "
                  "MarkupOut, DownTime, Listcost, ItemClassificationID, ItemStatus,  UnitOfMeasureID, "
                  "Packing, BarCode, MedicareType,IncludeInStatement,OralInject, AverageCost, "
                  "ManufacturerID, IsSeniorDiscounted, WithLOTNumber, MedicareCategory, GLCode ) Values "
                  "('13','NEW ITEM','BOX OF 10','S1',20,25,1.50,1.5000,'A', 1,3,100,'123','2',1,'O',"
                  "1.2500, 'M2',1,0,'B','GL-1')"));
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT MedicareType FROM tbInvMaster WHERE ItemID = '13'"))
                  .toString(),
              QStringLiteral("2"));
}

TEST_F(ItemMasterRecord, TextsWithQuotesRoundTripUnchanged)
{
    ASSERT_TRUE(master.LoadItem(QString::fromLatin1(Demo::QuoteNameId)));
    fillForUpdate();
    master.setItemName(QStringLiteral("O'NEIL'S GAUZE"));
    master.setItemDesc(QStringLiteral("4\"X4' STERILE"));
    master.setGLCode(QStringLiteral("GL'7"));
    ASSERT_TRUE(master.Update());

    clsItemMaster reread;
    reread.setActiveConnection(session.connection());
    ASSERT_TRUE(reread.LoadItem(QString::fromLatin1(Demo::QuoteNameId)));
    EXPECT_EQ(reread.ItemName(), QStringLiteral("O'NEIL'S GAUZE"));
    EXPECT_EQ(reread.ItemDesc(), QStringLiteral("4\"X4' STERILE"));
    EXPECT_EQ(reread.GLCode(), QStringLiteral("GL'7"));
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT COUNT(*) FROM tbInvMaster")).toInt(), Demo::ItemCount);
}

TEST_F(ItemMasterRecord, UpdateWithoutTheRelatedRecordsShowsAndRaisesTheFailure)
{
    ASSERT_TRUE(master.LoadItem(kParacetamol));

    const Error error = raisedBy([&] { master.Update(); });
    ASSERT_EQ(session.messages().count(), 1);
    const QString description = session.messages().last().text;
    EXPECT_FALSE(description.isEmpty());
    EXPECT_EQ(session.messages().last().title, AppTitle());
    EXPECT_EQ(session.messages().last().icon, MsgIcon::None);
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsItemMaster:Update Method") + description);
}

TEST_F(ItemMasterRecord, SupplierIsLoadedOnceAndAgainAfterAnotherItem)
{
    session.raw(
        QStringLiteral("INSERT INTO tbInvSupplier (SupplierID, SupplierName, FreeGoods, isVAT) VALUES "
                       "('S901', 'FIRST SUPPLIER', 0, 0), ('S902', 'SECOND SUPPLIER', 1, 1)"));
    session.raw(QStringLiteral("UPDATE tbInvMaster SET SupplierID = 'S901' WHERE ItemID = '10001'"));
    session.raw(QStringLiteral("UPDATE tbInvMaster SET SupplierID = 'S902' WHERE ItemID = '10004'"));
    ASSERT_TRUE(master.LoadItem(kParacetamol));
    session.clearTrace();

    EXPECT_EQ(master.Supplier()->SupplierName(), QStringLiteral("FIRST SUPPLIER"));
    EXPECT_EQ(master.Supplier()->SupplierID(), QStringLiteral("S901"));
    EXPECT_EQ(
        statementsStartingWith(session, QStringLiteral("Select * From INVENTORY..tbInvSupplier")),
        QStringList{QStringLiteral("Select * From INVENTORY..tbInvSupplier Where SupplierID = 'S901'")});

    ASSERT_TRUE(master.LoadItem(QString::fromLatin1(Demo::XylocaineId)));
    EXPECT_EQ(master.Supplier()->SupplierName(), QStringLiteral("SECOND SUPPLIER"));
    EXPECT_TRUE(master.Supplier()->FreeGoods());
}

TEST_F(ItemMasterRecord, RelatedRecordsLoadFromTheStoredCodes)
{
    session.raw(
        QStringLiteral("INSERT INTO tbInvClassification (ItemClassificationID, ItemClassificationName, "
                       "Status) VALUES ('Q', 'QUALITY', 'A')"));
    session.raw(QStringLiteral("INSERT INTO tbforClassification (Node_Key, ClassificationName) VALUES "
                               "('912', 'ANALGESICS')"));
    session.raw(QStringLiteral("INSERT INTO tbforGeneric (GenericID, GenericName, Node_Key) VALUES "
                               "('G901', 'ACETAMINOPHEN', '912.3')"));
    session.raw(QStringLiteral("UPDATE tbInvMaster SET ItemClassificationID = 'Q', GenericID = 'G901', "
                               "ManufacturerID = '' WHERE ItemID = '10001'"));
    ASSERT_TRUE(master.LoadItem(kParacetamol));

    EXPECT_EQ(master.ItemClass()->Description(), QStringLiteral("QUALITY"));
    EXPECT_EQ(master.Generic()->GenericName(), QStringLiteral("ACETAMINOPHEN"));
    EXPECT_EQ(master.Generic()->Classification(), QStringLiteral("ANALGESICS"));
    EXPECT_EQ(master.UnitOfMeasure()->Description(), QStringLiteral("TABLET"));
    // No manufacturer: the object comes back reset.
    EXPECT_EQ(master.Manufacturer()->SupplierID(), QString());
}

TEST_F(ItemMasterRecord, SearchLooksOverTheWholeCatalogue)
{
    ScriptedLookups lookups;
    lookups.item.choice = QString::fromLatin1(Demo::XylocaineId);

    EXPECT_TRUE(master.SearchItem(QStringLiteral("XYLO")));
    EXPECT_EQ(lookups.item.locationName, QString());
    EXPECT_EQ(lookups.item.locationCode, QString());
    EXPECT_EQ(lookups.item.searchString, QStringLiteral("XYLO"));
    EXPECT_EQ(master.ItemName(), QStringLiteral("XYLOCAINE"));

    lookups.item.choice.clear();
    EXPECT_FALSE(master.SearchItem(QStringLiteral("NOTHING")));
}

} // namespace
