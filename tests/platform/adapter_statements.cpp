// The client's statement forms, run through the gateway on the demo database.

#include "pickers/core/modEncryption.h"
#include "records/OfferedStock.h"
#include "tests/support/TestSession.h"

#include <QDateTime>
#include <QHash>

#include <gtest/gtest.h>

namespace {

class ClientStatements : public ::testing::Test
{
protected:
    ResultTable run(const QString &sql) { return db.connection()->Execute(sql); }

    // One column of every row, as text.
    QStringList column(const QString &sql, const QString &name)
    {
        const ResultTable table = run(sql);
        const int index = table.columnIndex(name);
        EXPECT_GE(index, 0) << name.toStdString();
        QStringList values;
        for (const auto &row : table.rows)
            values << (index >= 0 ? row.at(index).toString() : QString());
        return values;
    }

    QVariant first(const QString &sql, const QString &name)
    {
        const ResultTable table = run(sql);
        const int index = table.columnIndex(name);
        if (table.rows.isEmpty() || index < 0)
            return QVariant(QStringLiteral("<no row or no column>"));
        return table.rows.first().at(index);
    }

    TestDatabase db;
};

const QString kLocations = QStringLiteral("Select Location, LocationID From INVENTORY..tbInvLocation Where ");

} // namespace

TEST_F(ClientStatements, SiteSwitchAndBarcode)
{
    const ResultTable site =
        run(QStringLiteral("Select *, GetDate() as CurDate From Inventory..tbHospitalInfo"));
    ASSERT_EQ(site.rows.size(), 1);
    EXPECT_EQ(site.rows[0][site.columnIndex(QStringLiteral("company"))].toString(),
              QString::fromUtf8(Demo::Company));
    const QVariant now = site.rows[0][site.columnIndex(QStringLiteral("CurDate"))];
    ASSERT_EQ(now.typeId(), QMetaType::QDateTime);
    EXPECT_LE(std::abs(now.toDateTime().secsTo(QDateTime::currentDateTime())), 5);

    EXPECT_EQ(column(QStringLiteral("Select KeyValue from Inventory..tbPharmaSwitch where idkey = '2'"),
                     QStringLiteral("KeyValue")),
              QStringList{QStringLiteral("0")});
    EXPECT_TRUE(run(QStringLiteral("Select KeyValue from Inventory..tbPharmaSwitch where idkey = '9'"))
                    .rows.isEmpty());
    EXPECT_EQ(
        first(QStringLiteral("Select ItemID from INVENTORY..tbInvMaster Where Barcode = '4800010010001'"),
              QStringLiteral("ItemID")),
        QVariant(QString::fromLatin1(Demo::ParacetamolId)));
}

TEST_F(ClientStatements, LocationLists)
{
    EXPECT_EQ(column(QStringLiteral("INVENTORY..sp_Inv_UserLocation '1001'"), QStringLiteral("Location")),
              QStringList({QStringLiteral("CENTRAL SUPPLY"), QStringLiteral("EMERGENCY ROOM"),
                           QStringLiteral("INTENSIVE CARE UNIT")}));
    struct List
    {
        const char *where;
        int count;
    };
    const List lists[] = {
        {"( isWarehouse = 0 or isDispensingArea = 0 ) AND ( Not Status = 'I' or Status is Null ) ORDER BY "
         "Location",
         11},
        {"isWarehouse = 0 AND ( Not Status = 'I' or Status is Null ) ORDER BY Location", 10},
        {"isDispensingArea = 0 AND ( Not Status = 'I' or Status is Null ) ORDER BY Location", 10},
        {"Not Status = 'I' or Status is Null  ORDER BY Location", 12},
        {"AllowOrder = 1 AND ( Not Status = 'I' or Status is Null ) ORDER BY Location", 9},
    };
    for (const List &list : lists) {
        SCOPED_TRACE(list.where);
        const QStringList names =
            column(kLocations + QString::fromLatin1(list.where), QStringLiteral("Location"));
        EXPECT_EQ(names.size(), list.count);
        EXPECT_FALSE(names.contains(QString::fromLatin1(Demo::InactiveStore)));
        QStringList sorted = names;
        sorted.sort();
        EXPECT_EQ(names, sorted);
    }
    EXPECT_EQ(first(QStringLiteral("Select Location From INVENTORY..tbInvLocation Where LocationID = '94'"),
                    QStringLiteral("Location")),
              QVariant(QString::fromLatin1(Demo::CentralSupply)));
    // A name as typed in the box: letter case and trailing blanks do not matter.
    EXPECT_EQ(
        first(QStringLiteral("Select * From INVENTORY..tbInvLocation Where Location = 'central Supply  '"),
              QStringLiteral("LocationID")),
        QVariant(QString::fromLatin1(Demo::CentralSupplyId)));
}

TEST_F(ClientStatements, RequestNumbersAndKits)
{
    EXPECT_EQ(first(QStringLiteral("Select * from Inventory..tbInvUserSettings Where UserID = '2001'"),
                    QStringLiteral("isVerifyInventoryRequest")),
              QVariant(1));
    const QVariant next = first(QStringLiteral("Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From "
                                               "INVENTORY..tbInvWithdrawRequest"),
                                QStringLiteral("DocNum"));
    EXPECT_EQ(next.typeId(), QMetaType::Int);
    EXPECT_EQ(next.toInt(), Demo::LastDocNumber + 1);
    EXPECT_EQ(
        run(QStringLiteral(
                "Select DocumentNumber from Inventory..tbinvWithdrawRequest where DocumentNumber = '1'"))
            .rows.size(),
        3);

    const QString kitCheck =
        QStringLiteral("Select B.ItemID as Code from Inventory..tbInvKit A Left Outer Join "
                       "Inventory..tbInvMaster B On A.KitID = B.KitID Where not Active = 'I' "
                       "and B.ItemID = '%1'");
    EXPECT_EQ(column(kitCheck.arg(QString::fromLatin1(Demo::KitItemId)), QStringLiteral("Code")),
              QStringList{QString::fromLatin1(Demo::KitItemId)});
    EXPECT_TRUE(run(kitCheck.arg(QString::fromLatin1(Demo::InactiveKitItemId))).rows.isEmpty());

    const QStringList components{QString::fromLatin1(Demo::KitComponent1),
                                 QString::fromLatin1(Demo::KitComponent2),
                                 QString::fromLatin1(Demo::KitComponent3)};
    EXPECT_EQ(column(QStringLiteral("Inventory..sp_Inv_KitofItems '10290'"), QStringLiteral("ItemID")),
              components);
    EXPECT_EQ(column(QStringLiteral("Inventory..sp_Inv_KitofItems 10290"), QStringLiteral("ItemID")),
              components);
    EXPECT_EQ(
        column(QStringLiteral("Inventory..sp_Inv_KitofItems_PerItem 10290,10012"), QStringLiteral("ItemID")),
        QStringList{QString::fromLatin1(Demo::KitComponent2)});
}

TEST_F(ClientStatements, SavingVerifyingAndDeletingARequest)
{
    run(QStringLiteral("Delete INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '8'"));
    run(QStringLiteral(
            "Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, "
            "isADS, LocationID, TargetLocationID, TransDate, UserID, Remarks) Values "
            "('8','10001',5,1.2500,'N', "
            "'0', '94', '10', '12/07/2026 03:05:09 PM', '1001', '") +
        SqlText(QStringLiteral("O'NEIL's ward")) + QStringLiteral("')"));
    EXPECT_EQ(
        db.rawValue(QStringLiteral("SELECT TransDate FROM tbInvWithdrawRequest WHERE DocumentNumber = '8'")),
        QVariant(QStringLiteral("2026-12-07 15:05:09")));

    run(QStringLiteral(
        "Update Inventory..tbInvWithdrawRequest set Verifiedby = '2001', verifiedDate = GetDate() where "
        "DocumentNumber = '8'"));
    const ResultTable saved =
        run(QStringLiteral("Select * From INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '8'"));
    ASSERT_EQ(saved.rows.size(), 1);
    const auto &row = saved.rows.first();
    EXPECT_EQ(row[saved.columnIndex(QStringLiteral("TransDate"))],
              QVariant(QDateTime(QDate(2026, 12, 7), QTime(15, 5, 9))));
    EXPECT_EQ(row[saved.columnIndex(QStringLiteral("verifiedDate"))].typeId(), QMetaType::QDateTime);
    EXPECT_EQ(row[saved.columnIndex(QStringLiteral("Remarks"))], QVariant(QStringLiteral("O'NEIL's ward")));
    EXPECT_TRUE(row[saved.columnIndex(QStringLiteral("Status"))].isNull());

    const ResultTable loaded = run(QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest '8'"));
    ASSERT_EQ(loaded.rows.size(), 1);
    EXPECT_EQ(loaded.rows[0][loaded.columnIndex(QStringLiteral("Location"))],
              QVariant(QStringLiteral("CENTRAL SUPPLY")));
    EXPECT_EQ(loaded.rows[0][loaded.columnIndex(QStringLiteral("TLocation"))],
              QVariant(QStringLiteral("EMERGENCY ROOM")));
    EXPECT_TRUE(run(QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest 'NEW'")).rows.isEmpty());
    EXPECT_EQ(run(QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest '2'")).rows.size(), 5);

    run(QStringLiteral(
        "Update INVENTORY..tbInvWithDrawRequest set Status = 'D', ProcessDate = getdate(), ProcessBy = "
        "'1001'  where DocumentNumber = '8'"));
    EXPECT_EQ(db.rawValue(QStringLiteral(
                  "SELECT Status || ProcessBy FROM tbInvWithdrawRequest WHERE DocumentNumber = '8'")),
              QVariant(QStringLiteral("D1001")));
    EXPECT_EQ(db.rawValue(QStringLiteral(
                  "SELECT length(ProcessDate) FROM tbInvWithdrawRequest WHERE DocumentNumber = '8'")),
              QVariant(19));
}

TEST_F(ClientStatements, RequestListAndAccess)
{
    const QString head =
        QStringLiteral("Select distinct A.DocumentNumber , B.Location ,") +
        QStringLiteral(" C.Location ,A.TransDate ,") +
        QStringLiteral(
            " (Select Top 1 LastName + ', ' + FirstName From Password..tbPasswordMain Where EmployeeID = "
            "A.UserID),A.targetlocationid ") +
        QStringLiteral(" from INVENTORY..tbinvwithdrawrequest A ") +
        QStringLiteral(" Left Outer Join INVENTORY..tbinvlocation B") +
        QStringLiteral(" On A.TargetLocationID = B.LocationID") +
        QStringLiteral(" Left Outer Join INVENTORY..tbinvLocation C") +
        QStringLiteral(" On A.LocationId = C.LocationID") +
        QStringLiteral(" Left Outer Join INVENTORY..tbinvUserLocation D") +
        QStringLiteral(" On A.LocationID = D.LocationID") + QStringLiteral(" Where D.UserID = '1001' and ");
    const QString pending = QStringLiteral(" isnull(A.Status,'') = '' ");
    const QString processed = QStringLiteral(" A.Status = 'P' ");
    const QString verified = QStringLiteral(" and isnull(verifiedby,'')<> '' Order By Transdate");
    const QString unverified = QStringLiteral(" and isnull(verifiedby,'') = '' Order By Transdate");

    const ResultTable list = run(head + pending + unverified);
    ASSERT_EQ(list.columns.size(), 6);
    QStringList docs;
    for (const auto &row : list.rows)
        docs << row[0].toString();
    EXPECT_EQ(docs, QStringList({"1", "2", "6"}));
    EXPECT_EQ(list.rows[0][4], QVariant(QStringLiteral("DELA CRUZ, MARIA")));
    EXPECT_EQ(list.rows[2][4], QVariant(QStringLiteral("SANTOS, RAMON")));
    EXPECT_EQ(list.rows[0][3], QVariant(QDateTime(QDate(2026, 3, 2), QTime(8, 15))));

    EXPECT_EQ(column(head + pending + verified, QStringLiteral("DocumentNumber")), QStringList{"3"});
    EXPECT_EQ(column(head + processed + verified, QStringLiteral("DocumentNumber")), QStringList{"4"});

    const QString access =
        QStringLiteral("Select * from inventory..tbinvuserlocation where userid = '1001' and "
                       "Locationid = '%1'");
    EXPECT_EQ(run(access.arg(QStringLiteral("10"))).rows.size(), 1);
    EXPECT_TRUE(run(access.arg(QStringLiteral("95"))).rows.isEmpty());
}

TEST_F(ClientStatements, RestockSuggestionReadsTheOfferedItemsWithTheirOpenQuantities)
{
    const QString offered = QStringLiteral(
        "Select A.ItemID, A.ItemName, A.ItemDesc, A.AverageCost, T.OnHand, T.MinStockLevel, "
        "T.MaxStockLevel, T.IsADSStock As DepartmentADS, D.OnHand As LocationOnHand, D.IsADSStock As "
        "LocationADS, IsNull(O.OpenQuantity,0) As OpenQuantity From INVENTORY..tbInvent T Join "
        "INVENTORY..tbInvent D On D.ItemID = T.ItemID Join INVENTORY..tbInvMaster A On A.ItemID = "
        "T.ItemID Left Outer Join INVENTORY..tbInvClassification C On A.ItemClassificationID = "
        "C.ItemClassificationID Left Outer Join (Select R.ItemID, Sum(R.Quantity) As OpenQuantity From "
        "INVENTORY..tbInvWithdrawRequest R Where R.TargetLocationID = '10' and isnull(R.Status,'') = "
        "'' and R.DocumentNumber <> '%1' Group By R.ItemID) O On O.ItemID = T.ItemID Where "
        "T.LocationID = '10' and T.ItemStatus = 0 and D.LocationID = '94' and ( D.ItemStatus = 0 or "
        "D.ItemStatus is Null ) and ( A.ItemStatus = 0 or A.ItemStatus is Null ) and "
        "IsNull(C.IsFixedAsset,0) <> 1 and not exists (Select K.KitID From INVENTORY..tbInvKit K Where "
        "K.KitID = A.KitID and not K.Active = 'I')");
    EXPECT_EQ(OfferedStockStatement(QStringLiteral("10"), QStringLiteral("94"), QStringLiteral("NEW")),
              offered.arg(QStringLiteral("NEW")));

    // Every item stocked at both but the fixed assets (classification E) and the active kits.
    const ResultTable items = run(offered.arg(QStringLiteral("NEW")));
    const int item = items.columnIndex(QStringLiteral("ItemID"));
    const int open = items.columnIndex(QStringLiteral("OpenQuantity"));
    QHash<QString, double> openQuantity;
    for (const auto &row : items.rows)
        openQuantity.insert(row[item].toString(), row[open].toDouble());
    EXPECT_EQ(items.rows.size(), 289);
    EXPECT_FALSE(openQuantity.contains(QString::fromLatin1(Demo::KitItemId)));
    // Pending requests count, verified or not; processed, deleted and other departments' do not.
    EXPECT_EQ(openQuantity.value(QStringLiteral("10001")), 120);
    EXPECT_EQ(openQuantity.value(QStringLiteral("10012")), 12);
    EXPECT_EQ(openQuantity.value(QStringLiteral("10002")), 0);

    // A copy reads the items of the copied request only.
    const QString copied =
        offered.arg(QStringLiteral("NEW")) +
        QStringLiteral(" and T.ItemID In (Select W.ItemID From INVENTORY..tbInvWithdrawRequest W "
                       "Where W.DocumentNumber = '2')");
    EXPECT_EQ(OfferedStockStatement(QStringLiteral("10"), QStringLiteral("94"), QStringLiteral("NEW"),
                                    QString::fromLatin1(Demo::FiveLineDoc)),
              copied);
    EXPECT_EQ(run(copied).rows.size(), 5);

    const ResultTable editing = run(offered.arg(QString::fromLatin1(Demo::PendingDoc)));
    for (const auto &row : editing.rows) {
        if (row[item].toString() == QLatin1String("10001")) {
            EXPECT_EQ(row[open].toDouble(), 100) << "request 1 is the one being edited";
        }
    }
}

TEST_F(ClientStatements, ItemSearchBothForms)
{
    const QString catalogue =
        QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name], ") +
        QStringLiteral(
            "A.ItemDesc As Description, B.SupplierName As Supplier, A.MarkupIn As [In-Patient Markup], "
            "A.MarkupOut As [Out-Patient Markup],") +
        QStringLiteral("Case when A.ItemStatus = 1 then 'Inactive' Else 'Active' End  As Status, A.Packing, "
                       "A.ListCost,  ") +
        QStringLiteral("C.ItemClassificationName ") + QStringLiteral("From INVENTORY..tbInvMaster A ") +
        QStringLiteral("Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID ") +
        QStringLiteral("Left Outer Join INVENTORY..tbInvClassification C ON A.ItemClassificationID = "
                       "C.ItemClassificationID ") +
        QStringLiteral(
            " Where ( A.ItemStatus = 0 or A.ItemStatus is Null ) and IsNull(C.IsFixedAsset,0) <> 1 and ");
    const ResultTable xylo = run(catalogue + QStringLiteral(" A.ItemName Like 'xylo%'") +
                                 QStringLiteral(" Order by A.ItemName, A.ItemDesc"));
    ASSERT_EQ(xylo.rows.size(), 1);
    EXPECT_EQ(xylo.rows[0][xylo.columnIndex(QStringLiteral("code"))],
              QVariant(QString::fromLatin1(Demo::XylocaineId)));
    EXPECT_GE(xylo.columnIndex(QStringLiteral("Product Name")), 0);
    EXPECT_EQ(xylo.rows[0][xylo.columnIndex(QStringLiteral("Status"))], QVariant(QStringLiteral("Active")));

    const QString atLocation =
        QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name], ") +
        QStringLiteral(
            "A.ItemDesc As Description, B.SupplierName As Supplier, D.Markup_In As [In-Patient Markup], "
            "D.Markup_Out As [Out-Patient Markup],") +
        QStringLiteral("Case when D.ItemStatus = 1 then 'Inactive' Else 'Active' end  As Status, A.Packing, "
                       "A.ListCost,  ") +
        QStringLiteral("C.ItemClassificationName ") + QStringLiteral("From INVENTORY..tbInvMaster A ") +
        QStringLiteral("Left Outer Join INVENTORY..tbInvent D ON A.ItemID = D.ItemID ") +
        QStringLiteral("Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID ") +
        QStringLiteral("Left Outer join INVENTORY..tbInvClassification C ON A.ItemClassificationID = "
                       "C.ItemClassificationID ") +
        QStringLiteral(
            "Where D.LocationID = '94' and D.ItemID in (Select itemID from INVENTORY..tbinvent where "
            "locationid = '10' and itemStatus = 0) and ") +
        QStringLiteral(
            " ( D.ItemStatus = 0 or D.ItemStatus is Null ) and ( A.ItemStatus = 0 or A.ItemStatus is Null ) "
            "and IsNull(C.IsFixedAsset,0) <> 1 and ");
    const QString order = QStringLiteral(" Order by A.ItemName, A.ItemDesc");
    EXPECT_EQ(column(atLocation + QStringLiteral(" A.ItemID = '10001' ") + order, QStringLiteral("Code")),
              QStringList{QString::fromLatin1(Demo::ParacetamolId)});
    EXPECT_TRUE(run(atLocation + QStringLiteral(" A.ItemID = '10006' ") + order).rows.isEmpty());
    // The name with a quote, searched as the window joins it.
    EXPECT_EQ(column(atLocation + QStringLiteral(" A.ItemName Like '") + SqlText(QStringLiteral("O'NEIL")) +
                         QStringLiteral("%'") + order,
                     QStringLiteral("Code")),
              QStringList{QString::fromLatin1(Demo::QuoteNameId)});
}

TEST_F(ClientStatements, SupervisorCheckAndLookups)
{
    // A server keeps only the password's hash: the prompt sends the scrambled form it types.
    const QString scrambled = ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"),
                                           QString::fromLatin1(Demo::SupervisorPassword));
    const QString check =
        QStringLiteral("Select EmployeeId, Password ") + QStringLiteral("from password..tbpasswordmain ") +
        QStringLiteral("where departmentid in ('4','00') ") +
        QStringLiteral("and Right_Code1 = 'A' and Right_Code2 = 'S' ") +
        QStringLiteral("and Employeeid = '%1' and Password = '") + SqlText(scrambled) + QStringLiteral("'");
    EXPECT_EQ(run(check.arg(QStringLiteral("2001"))).rows.size(), 1);
    EXPECT_TRUE(run(check.arg(QStringLiteral("2002"))).rows.isEmpty());

    const ResultTable suppliers = run(QStringLiteral(
        "Select DISTINCT SupplierName as Supplier,SupplierID As Code From INVENTORY..tbinvSupplier  "
        "Where SupplierName Like 'mer%' and  (not Status = 'I' or Status is null) ORDER by SupplierName"));
    ASSERT_EQ(suppliers.rows.size(), 1);
    EXPECT_EQ(suppliers.rows[0][1], QVariant(QStringLiteral("1")));
    EXPECT_EQ(
        column(
            QStringLiteral(
                "Select DISTINCT SupplierName as Supplier,SupplierID As Code From INVENTORY..tbinvSupplier  "
                "Where SupplierID = '11' and  (not Status = 'I' or Status is null) ORDER by SupplierName"),
            QStringLiteral("Code")),
        QStringList());
    EXPECT_EQ(
        column(
            QStringLiteral(
                "Select DISTINCT Terms AS [Terms of Payment] , TermsID as Code From INVENTORY..tbinvTerms  "
                "Where Terms Like 'NET%' and  (not Status = 'I' or Status is null) Order by Terms"),
            QStringLiteral("Terms of Payment")),
        QStringList({"NET 30 DAYS", "NET 60 DAYS", "NET 90 DAYS"}));
    EXPECT_EQ(
        column(
            QStringLiteral(
                "Select DISTINCT Terms AS [Terms of Payment] , TermsID as Code From INVENTORY..tbinvTerms  "
                "Where TermsID = 5 and  (not Status = 'I' or Status is null) Order by Terms"),
            QStringLiteral("Code")),
        QStringList());
    EXPECT_EQ(column(QStringLiteral(
                         "Select UnitOfMeasure As [Unit of Measure], UnitOfMeasureID as Code From "
                         "INVENTORY..tbinvUnitOfMeasure  Where UnitOfMeasureID = 4 and ( Not Status = 'I' or "
                         "Status is Null ) Order by UnitOfMeasure"),
                     QStringLiteral("Unit of Measure")),
              QStringList{"VIAL"});
}

TEST_F(ClientStatements, ItemAndMasterRecords)
{
    const ResultTable stock = run(QStringLiteral("Inventory..sp_Inv_SearchItem_In_Invent '10001','94'"));
    ASSERT_EQ(stock.rows.size(), 1);
    EXPECT_DOUBLE_EQ(stock.rows[0][stock.columnIndex(QStringLiteral("OnHand"))].toDouble(), 500.0);
    EXPECT_DOUBLE_EQ(stock.rows[0][stock.columnIndex(QStringLiteral("AverageCost"))].toDouble(), 1.25);
    EXPECT_GE(stock.columnIndex(QStringLiteral("Last DDate")), 0);

    EXPECT_EQ(first(QStringLiteral("Select * From INVENTORY..tbInvMaster Where ItemID = '10001'"),
                    QStringLiteral("ItemName")),
              QVariant(QStringLiteral("PARACETAMOL")));

    run(QStringLiteral(
        "Update INVENTORY..tbInvMaster Set ItemName = 'PARACETAMOL ', ItemDesc = '500MG TAB', SupplierId = "
        "'1', MarkupIn = 20, MarkupOut = 30, DownTime = 0, Listcost = 1.6, ItemClassificationID = 'A', "
        "ItemStatus = 0, UnitOfMeasureID = 1, Packing = 100, AverageCost = 1.2500, BarCode = "
        "'4800010010001', OralInject = 'O',  ManufacturerID = '7' , IsSeniorDiscounted = 1, "
        "WithLOTNumber = 1, MedicareCategory = 'A' , GLCode = '5101', ItemClass = 'A'  Where ItemID = "
        "'10001'"));
    EXPECT_EQ(first(QStringLiteral("Select * From INVENTORY..tbInvMaster Where ItemID = '10001'"),
                    QStringLiteral("ItemDesc")),
              QVariant(QStringLiteral("500MG TAB")));
    run(QStringLiteral(
        "Insert Into INVENTORY..tbInvMaster (ItemID,ItemName, ItemDesc, SupplierId, MarkupIn,  MarkupOut, "
        "DownTime, Listcost, ItemClassificationID, ItemStatus,  UnitOfMeasureID, Packing, BarCode, "
        "MedicareType,IncludeInStatement,OralInject, AverageCost, ManufacturerID, IsSeniorDiscounted, "
        "WithLOTNumber, MedicareCategory, GLCode ) Values ('9001','NEW ITEM','BOX OF 10','1',20,25,1.50,"
        "1.5000,'A', 1,3,100,'123','2',1,'O',1.2500, '7',1,0,'B','GL-1')"));
    EXPECT_EQ(first(QStringLiteral("Select ItemID From INVENTORY..tbInvMaster Where ItemID = '9001'"),
                    QStringLiteral("ItemID")),
              QVariant(QStringLiteral("9001")));

    // The next item code; 10301 does not fit in four characters.
    EXPECT_THROW(run(QStringLiteral(
                     "Select Convert(VarChar(4),Max( Convert(Integer,Replace(itemid,'P','')) ) + 1)  as "
                     "MaxCode From INVENTORY..tbInvMaster")),
                 Error);
    db.raw(QStringLiteral("DELETE FROM tbInvMaster WHERE ItemID > '1'; INSERT INTO tbInvMaster (ItemID) "
                          "VALUES ('P0007'), ('12')"));
    EXPECT_EQ(first(QStringLiteral(
                        "Select Convert(VarChar(4),Max( Convert(Integer,Replace(itemid,'P','')) ) + 1)  as "
                        "MaxCode From INVENTORY..tbInvMaster"),
                    QStringLiteral("MaxCode")),
              QVariant(QStringLiteral("13")));
}

TEST_F(ClientStatements, LocationSupplierTermsUnitAndClassRecords)
{
    EXPECT_EQ(
        first(QStringLiteral(
                  "Select Convert( VarChar(4),Max( Convert(Integer,LocationID ) ) + 1 ) As NewLocationID "
                  "From INVENTORY..tbInvLocation"),
              QStringLiteral("NewLocationID")),
        QVariant(QStringLiteral("97")));
    run(QStringLiteral(
        "Insert Into INVENTORY..tbInvLocation (LocationId, Location, Status, IsWareHouse, isDispensingArea, "
        "AllowOrder ) Values ('97',' NEW WARD','A',0,-1,1)"));
    run(QStringLiteral(
        "Update INVENTORY..tbInvLocation Set Location = 'NEW WARD', Status = 'A', isWarehouse = 0, "
        "isDispensingArea = 0, AllowOrder = 1 Where LocationID = '97'"));
    EXPECT_EQ(first(QStringLiteral("Select * From INVENTORY..tbInvLocation Where LocationID = '97'"),
                    QStringLiteral("Location")),
              QVariant(QStringLiteral("NEW WARD")));

    EXPECT_EQ(first(QStringLiteral(
                        "Select Convert( VarChar(4),Max( Convert(Integer,SupplierID) ) + 1) As NewSupplierID "
                        "From INVENTORY..tbInvSupplier "),
                    QStringLiteral("NewSupplierID")),
              QVariant(QStringLiteral("12")));
    run(QStringLiteral(
        "Insert Into INVENTORY..tbInvSupplier (SupplierID, SupplierName, Status, SupplierType, Address1, "
        "Address2, Address3, TermsID, TelNum, FreeGoods, isVAT, ContactPerson ) Values ('12','ACME ','A','S',"
        "'a','b','c', 2,'555', 0,1,'ME' )"));
    run(QStringLiteral(
        "Update INVENTORY..tbInvSupplier Set SupplierName = 'ACME', Status = 'A', SupplierType = 'S', "
        "Address1 = 'a', Address2 = 'b', Address3 = 'c', TermsID = 3, TelNum = '555', FreeGoods = 0, "
        "isVAT = 1, ContactPerson = 'ME' where SupplierID = '12'"));
    EXPECT_EQ(first(QStringLiteral("Select * From INVENTORY..tbInvSupplier Where SupplierID = '12'"),
                    QStringLiteral("TermsID")),
              QVariant(3));

    EXPECT_EQ(run(QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID =  2 or Terms = 'CASH'"))
                  .rows.size(),
              2);
    EXPECT_EQ(first(QStringLiteral("Select Max( TermsID ) + 1 As NewCode From INVENTORY..tbInvTerms"),
                    QStringLiteral("NewCode")),
              QVariant(6));
    run(QStringLiteral("Insert Into INVENTORY..tbInvTerms ( TermsID, Terms, NoDays, Status ) Values ( 6,'NET "
                       "120', 120,'A')"));
    run(QStringLiteral("Update INVENTORY..tbInvTerms Set Terms = 'NET 120 DAYS', NoDays = 120, Status = 'A' "
                       "Where TermsID = 6"));
    EXPECT_EQ(first(QStringLiteral("Select * From INVENTORY..tbInvTerms Where TermsID = 6"),
                    QStringLiteral("Terms")),
              QVariant(QStringLiteral("NET 120 DAYS")));

    EXPECT_EQ(first(QStringLiteral(
                        "Select Max( UnitOfMeasureID ) + 1 As NewCode From INVENTORY..tbInvUnitOfMeasure "),
                    QStringLiteral("NewCode")),
              QVariant(16));
    run(QStringLiteral(
        "Insert Into INVENTORY..tbInvUnitOfMeasure ( UnitOfMeasureID, UnitOfMeasure, Status ) Values ( 16 "
        ",'GALLON','A')"));
    run(QStringLiteral(
        "Update INVENTORY..tbInvUnitOfMeasure Set UnitOfMeasure = 'GALLONS', Status = 'A' Where "
        "UnitOfMeasureID = 16"));
    EXPECT_EQ(
        first(QStringLiteral(
                  "Select UnitOfMeasureID From INVENTORY..tbInvUnitOfMeasure Where UnitOfMeasureID = 16"),
              QStringLiteral("UnitOfMeasureID")),
        QVariant(16));

    EXPECT_EQ(first(QStringLiteral(
                        "Select Max( ItemClassificationID ) As MaxCode From INVENTORY..tbInvClassification "),
                    QStringLiteral("MaxCode")),
              QVariant(QStringLiteral("E")));
    run(QStringLiteral(
        "Insert Into INVENTORY..tbInvClassification (ItemClassificationID,ItemClassificationName, Status ) "
        "Values ('F','SPARE PARTS','A')"));
    run(QStringLiteral(
        "Update INVENTORY..tbInvClassification Set ItemClassificationName = 'PARTS', Status = 'A' Where "
        "ItemClassificationID = 'f'"));
    EXPECT_EQ(
        first(QStringLiteral("Select * From INVENTORY..tbInvClassification Where ItemClassificationID = 'F'"),
              QStringLiteral("ItemClassificationName")),
        QVariant(QStringLiteral("PARTS")));
}

TEST_F(ClientStatements, GenericClassifiedByTheNodeBeforeTheDot)
{
    const QString generic = QStringLiteral(" Select C.GenericID, C.GenericName, D.ClassificationName ") +
                            QStringLiteral(" From tbforGeneric C Left Outer Join ") +
                            QStringLiteral(" tbforClassification D ON SubString(C.Node_Key,1,Case When "
                                           "PatIndex('%.%',C.Node_Key) = 0 Then 1 "
                                           "Else PatIndex('%.%',C.Node_Key) -1 End ) = D.Node_Key ") +
                            QStringLiteral(" Where C.GenericID = '%1'");
    EXPECT_EQ(first(generic.arg(QStringLiteral("G001")), QStringLiteral("ClassificationName")),
              QVariant(QStringLiteral("ANALGESICS")));
    EXPECT_EQ(first(generic.arg(QStringLiteral("G020")), QStringLiteral("ClassificationName")),
              QVariant(QStringLiteral("FLUIDS AND ELECTROLYTES")));
    EXPECT_EQ(first(generic.arg(QStringLiteral("G099")), QStringLiteral("ClassificationName")),
              QVariant(QStringLiteral("ENDOCRINE DRUGS")));
}
