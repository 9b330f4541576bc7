#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

class DbDemo : public ::testing::Test
{
protected:
    static TestDatabase *db;
    static void SetUpTestSuite() { db = new TestDatabase(); }
    static void TearDownTestSuite()
    {
        delete db;
        db = nullptr;
    }

    static QVariant value(const QString &sql) { return db->rawValue(sql); }
    static int count(const QString &sql) { return value(sql).toInt(); }
    static ResultTable run(const QString &tsql) { return db->connection()->Execute(tsql); }
    static QVariant cell(const ResultTable &table, int row, const char *column)
    {
        const int index = table.columnIndex(QString::fromLatin1(column));
        return index < 0 || row >= table.rows.size() ? QVariant() : table.rows[row][index];
    }
};

TestDatabase *DbDemo::db = nullptr;

} // namespace

TEST_F(DbDemo, StaffRegisterAndSettings)
{
    SKIP_ON_SERVER();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Password.tbPasswordMain WHERE EmployeeID = '2001' AND "
                                   "departmentid = '4' AND Right_Code1 = 'A' AND Right_Code2 = 'S'")),
              1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Password.tbPasswordMain WHERE Right_Code2 = 'S'")), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT departmentid || Right_Code1 || Right_Code2 FROM Password.tbPasswordMain "
                                   "WHERE EmployeeID = '2002'")).toString(),
              QStringLiteral("4AC"));
    EXPECT_EQ(value(QStringLiteral("SELECT isVerifyInventoryRequest FROM tbInvUserSettings WHERE UserID = '2001'")).toInt(), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT isVerifyInventoryRequest FROM tbInvUserSettings WHERE UserID = '1001'")).toInt(), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvUserSettings WHERE UserID = '1002'")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbinvUserLocation WHERE UserID = '1002'")), 0);
}

TEST_F(DbDemo, LocationsAndAssignments)
{
    SKIP_ON_SERVER();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvLocation")), Demo::LocationCount);
    EXPECT_EQ(value(QStringLiteral("SELECT isWarehouse || isDispensingArea || AllowOrder FROM tbInvLocation "
                                   "WHERE LocationID = '94' AND Location = 'CENTRAL SUPPLY'")).toString(),
              QStringLiteral("101"));
    EXPECT_EQ(value(QStringLiteral("SELECT isWarehouse || isDispensingArea FROM tbInvLocation WHERE LocationID = '95'"))
                  .toString(),
              QStringLiteral("11"));
    EXPECT_EQ(value(QStringLiteral("SELECT isWarehouse || isDispensingArea FROM tbInvLocation WHERE LocationID = '96'"))
                  .toString(),
              QStringLiteral("01"));
    EXPECT_EQ(value(QStringLiteral("SELECT Status FROM tbInvLocation WHERE Location = 'OLD ANNEX STORE'")).toString(),
              QStringLiteral("I"));

    // The assigned, active locations by name, as the department list shows them.
    const ResultTable clerk = run(QStringLiteral("INVENTORY..sp_Inv_UserLocation '1001'"));
    ASSERT_EQ(clerk.rows.size(), 3);
    EXPECT_EQ(cell(clerk, 0, "Location").toString(), QString::fromLatin1(Demo::CentralSupply));
    EXPECT_EQ(cell(clerk, 1, "Location").toString(), QString::fromLatin1(Demo::EmergencyRoom));
    EXPECT_EQ(cell(clerk, 2, "LocationID").toString(), QString::fromLatin1(Demo::IcuId));
    EXPECT_EQ(run(QStringLiteral("INVENTORY..sp_Inv_UserLocation '2001'")).rows.size(), 5);
    EXPECT_TRUE(run(QStringLiteral("INVENTORY..sp_Inv_UserLocation '1002'")).rows.isEmpty());

    db->raw(QStringLiteral("INSERT INTO tbinvUserLocation VALUES ('1002', '18')"));
    EXPECT_TRUE(run(QStringLiteral("INVENTORY..sp_Inv_UserLocation '1002'")).rows.isEmpty())
        << "an inactive location is never offered";
    db->raw(QStringLiteral("DELETE FROM tbinvUserLocation WHERE UserID = '1002'"));
}

TEST_F(DbDemo, CatalogueFacts)
{
    SKIP_ON_SERVER();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvMaster")), Demo::ItemCount);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvMaster WHERE CAST(ItemID AS INTEGER) BETWEEN 10001 AND 10300")),
              Demo::ItemCount);
    EXPECT_EQ(value(QStringLiteral("SELECT ItemID FROM tbInvMaster WHERE BarCode = '4800010010001'")).toString(),
              QString::fromLatin1(Demo::ParacetamolId));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvMaster GROUP BY BarCode ORDER BY 1 DESC LIMIT 1")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvMaster WHERE ItemName LIKE 'XYLO%'")), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT ItemName || '|' || ItemDesc FROM tbInvMaster WHERE ItemID = '10005'")).toString(),
              QStringLiteral("O'NEIL GAUZE|4X4 STERILE"));
    // Every column that loading an item refuses as null is filled.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvMaster WHERE Packing IS NULL OR IsSeniorDiscounted IS NULL "
                                   "OR UnitOfMeasureID NOT IN (SELECT UnitOfMeasureID FROM tbInvUnitOfMeasure)")),
              0);
    // Every item at 94, 95, 10 and 11, except the insulin at the wards.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvMaster M JOIN tbInvLocation L ON L.LocationID IN "
                                   "('94','95','10','11') WHERE NOT EXISTS (SELECT 1 FROM tbInvent I WHERE "
                                   "I.ItemID = M.ItemID AND I.LocationID = L.LocationID AND I.ItemStatus = 0)")),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvent WHERE ItemID = '10006' AND LocationID IN ('10','11')")), 0);
    EXPECT_GT(count(QStringLiteral("SELECT count(*) FROM tbInvent WHERE OnHand = 0")), 10);
    EXPECT_GT(count(QStringLiteral("SELECT count(*) FROM tbInvent WHERE IsADSStock = 1")), 1);
}

TEST_F(DbDemo, ItemAtLocationProcedure)
{
    SKIP_ON_SERVER();
    const ResultTable paracetamol = run(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10001','94'"));
    ASSERT_EQ(paracetamol.rows.size(), 1);
    for (const char *column :
         {"LocationID", "ItemID", "Markup_In", "Markup_Out", "NetAmount", "OnHand", "OnOrder", "SellingPriceIn",
          "SellingPriceOut", "ItemStatus", "AverageCost", "MinStockLevel", "MaxStockLevel", "AveConsumption",
          "LastInventoryCount", "ExpiryDate", "NewGLCode", "POMonthsToDeliver", "MinimumOrAverage", "StartDate",
          "EndDate", "ListCost", "UnitOfMeasureID", "UnitOfMeasure", "Last DDate", "Last Qty", "Packing", "IsFloor",
          "IsCeiling", "Floor", "Ceiling", "IsADSStock", "ADSStock"})
        EXPECT_GE(paracetamol.columnIndex(QString::fromLatin1(column)), 0) << column;
    EXPECT_DOUBLE_EQ(cell(paracetamol, 0, "OnHand").toDouble(), 500);
    EXPECT_DOUBLE_EQ(cell(paracetamol, 0, "AverageCost").toDouble(), 1.25);
    EXPECT_DOUBLE_EQ(cell(paracetamol, 0, "ListCost").toDouble(), 1.5);
    EXPECT_EQ(cell(paracetamol, 0, "Packing").toInt(), 100);
    EXPECT_EQ(cell(paracetamol, 0, "UnitOfMeasure").toString(), QStringLiteral("TABLET"));
    EXPECT_EQ(cell(paracetamol, 0, "IsADSStock").toInt(), 0);
    EXPECT_GT(cell(paracetamol, 0, "MaxStockLevel").toDouble(), cell(paracetamol, 0, "MinStockLevel").toDouble());
    EXPECT_TRUE(cell(paracetamol, 0, "Last DDate").toDateTime().isValid());

    const ResultTable zero = run(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10002','94'"));
    EXPECT_DOUBLE_EQ(cell(zero, 0, "OnHand").toDouble(), 0);
    const ResultTable ads = run(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10003','94'"));
    EXPECT_EQ(cell(ads, 0, "IsADSStock").toInt(), 1);
    EXPECT_DOUBLE_EQ(cell(ads, 0, "ADSStock").toDouble(), 40);
    const ResultTable gauze = run(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10005','94'"));
    EXPECT_DOUBLE_EQ(cell(gauze, 0, "OnHand").toDouble(), 100);
    EXPECT_TRUE(run(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10006','10'")).rows.isEmpty());
}

TEST_F(DbDemo, KitProceduresMatchCodesByValue)
{
    SKIP_ON_SERVER();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvKit WHERE Active = 'I'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbInvKit WHERE NOT Active = 'I'")), 3);

    const ResultTable all = run(QStringLiteral("Inventory..sp_Inv_KitofItems 10290"));
    ASSERT_EQ(all.rows.size(), 3);
    EXPECT_EQ(cell(all, 0, "ItemID").toString(), QString::fromLatin1(Demo::KitComponent1));
    EXPECT_EQ(cell(all, 1, "ItemID").toString(), QString::fromLatin1(Demo::KitComponent2));
    EXPECT_EQ(cell(all, 2, "ItemID").toString(), QString::fromLatin1(Demo::KitComponent3));
    for (const char *column : {"ItemName", "Qty", "UnitCost", "Amount", "RetailType", "Packing"})
        EXPECT_GE(all.columnIndex(QString::fromLatin1(column)), 0) << column;
    EXPECT_DOUBLE_EQ(cell(all, 1, "Amount").toDouble(),
                     cell(all, 1, "Qty").toDouble() * cell(all, 1, "UnitCost").toDouble());
    EXPECT_EQ(run(QStringLiteral("Inventory..sp_Inv_KitofItems '10290'")).rows.size(), 3);
    EXPECT_TRUE(run(QStringLiteral("Inventory..sp_Inv_KitofItems '10293'")).rows.isEmpty());
    EXPECT_TRUE(run(QStringLiteral("Inventory..sp_Inv_KitofItems '10001'")).rows.isEmpty());

    const ResultTable one = run(QStringLiteral("Inventory..sp_Inv_KitofItems_PerItem 10290,10012"));
    ASSERT_EQ(one.rows.size(), 1);
    EXPECT_EQ(cell(one, 0, "ItemID").toString(), QString::fromLatin1(Demo::KitComponent2));

    // A code kept with leading zeros is still found when the caller passes the bare number.
    db->raw(QStringLiteral("INSERT INTO tbInvMaster (ItemID, ItemName, Packing, KitID) VALUES ('00123', 'TEST KIT', 1, 2)"));
    EXPECT_EQ(run(QStringLiteral("Inventory..sp_Inv_KitofItems 123")).rows.size(), 3);
    EXPECT_EQ(run(QStringLiteral("Inventory..sp_Inv_KitofItems_PerItem 123,10021")).rows.size(), 1);
    db->raw(QStringLiteral("DELETE FROM tbInvMaster WHERE ItemID = '00123'"));
}

TEST_F(DbDemo, RequestsInEveryState)
{
    SKIP_ON_SERVER();
    const auto lines = [](const char *doc) {
        return count(QStringLiteral("SELECT count(*) FROM tbInvWithdrawRequest WHERE DocumentNumber = '%1'")
                         .arg(QString::fromLatin1(doc)));
    };
    const auto header = [](const char *doc) {
        return value(QStringLiteral("SELECT DISTINCT TargetLocationID || '>' || LocationID || ':' || IFNULL(Status, '') "
                                    "|| ':' || IFNULL(Verifiedby, '') FROM tbInvWithdrawRequest WHERE DocumentNumber = '%1'")
                         .arg(QString::fromLatin1(doc)))
            .toString();
    };
    EXPECT_EQ(lines(Demo::PendingDoc), 3);
    EXPECT_EQ(header(Demo::PendingDoc), QStringLiteral("10>94::"));
    EXPECT_EQ(lines(Demo::FiveLineDoc), 5);
    EXPECT_EQ(header(Demo::FiveLineDoc), QStringLiteral("10>94::"));
    EXPECT_EQ(header(Demo::VerifiedDoc), QStringLiteral("10>94::2001"));
    EXPECT_EQ(header(Demo::ProcessedDoc), QStringLiteral("10>94:P:2001"));
    EXPECT_EQ(header(Demo::DeletedDoc), QStringLiteral("10>94:D:"));
    EXPECT_EQ(header(Demo::OtherDeptDoc), QStringLiteral("12>94::"));
    EXPECT_EQ(header(Demo::NotAssignedDoc), QStringLiteral("10>95::"));
    EXPECT_EQ(count(QStringLiteral("SELECT max(CAST(DocumentNumber AS INTEGER)) FROM tbInvWithdrawRequest")),
              Demo::LastDocNumber);
    // One header per request: every line of a request carries the same header values.
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT DocumentNumber, LocationID, TargetLocationID, "
                                   "TransDate, UserID, Remarks FROM tbInvWithdrawRequest)")),
              Demo::LastDocNumber);

    const ResultTable pending = run(QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest '1'"));
    ASSERT_EQ(pending.rows.size(), 3);
    EXPECT_EQ(cell(pending, 0, "Location").toString(), QString::fromLatin1(Demo::CentralSupply));
    EXPECT_EQ(cell(pending, 0, "TLocation").toString(), QString::fromLatin1(Demo::EmergencyRoom));
    EXPECT_EQ(cell(pending, 0, "Description").toString(), QStringLiteral("PARACETAMOL 500MG TABLET"));
    EXPECT_EQ(cell(pending, 1, "ItemID").toString(), QString::fromLatin1(Demo::QuoteNameId)) << "lines in saved order";
    EXPECT_TRUE(cell(pending, 2, "isADS").toBool());
    for (const char *column : {"LocationID", "TargetLocationID", "DocumentNumber", "Quantity", "UnitCost", "ForRetail"})
        EXPECT_GE(pending.columnIndex(QString::fromLatin1(column)), 0) << column;
    EXPECT_TRUE(run(QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest 'NEW'")).rows.isEmpty());
}

TEST_F(DbDemo, SiteAndSwitches)
{
    SKIP_ON_SERVER();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM tbHospitalInfo")), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT Company FROM tbHospitalInfo")).toString(), QString::fromLatin1(Demo::Company));
    EXPECT_EQ(value(QStringLiteral("SELECT Address1 FROM tbHospitalInfo")).toString(), QString::fromLatin1(Demo::Address1));
    EXPECT_EQ(value(QStringLiteral("SELECT ClientName || AllowWDZeroOnHand || isAutoWithdrawRequestNumber "
                                   "FROM tbHospitalInfo")).toString(),
              QStringLiteral("00"));
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(idkey || '=' || KeyValue, ',') FROM "
                                   "(SELECT * FROM tbPharmaSwitch ORDER BY idkey)")).toString(),
              QStringLiteral("2=0,3=0,4=0,5=0"));
}
