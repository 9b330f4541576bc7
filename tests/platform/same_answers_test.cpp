#include "platform/Database.h"
#include "platform/sqlite/DataFolder.h"
#include "tests/support/TestSession.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// The statement forms the client sends, over the demo hospital.
const char *const kStatements[] = {
    // The request list, pending and verified, and the processed one (subquery with Top and +).
    "Select distinct A.DocumentNumber , B.Location , C.Location ,A.TransDate , (Select Top 1 LastName + ', ' + "
    "FirstName From Password..tbPasswordMain Where EmployeeID = A.UserID),A.targetlocationid  from "
    "INVENTORY..tbinvwithdrawrequest A  Left Outer Join INVENTORY..tbinvlocation B On A.TargetLocationID = "
    "B.LocationID Left Outer Join INVENTORY..tbinvLocation C On A.LocationId = C.LocationID Left Outer Join "
    "INVENTORY..tbinvUserLocation D On A.LocationID = D.LocationID Where D.UserID = '1001' and  "
    "isnull(A.Status,'') = ''  and isnull(verifiedby,'') = '' Order By Transdate",
    "Select distinct A.DocumentNumber , B.Location , C.Location ,A.TransDate , (Select Top 1 LastName + ', ' + "
    "FirstName From Password..tbPasswordMain Where EmployeeID = A.UserID),A.targetlocationid  from "
    "INVENTORY..tbinvwithdrawrequest A  Left Outer Join INVENTORY..tbinvlocation B On A.TargetLocationID = "
    "B.LocationID Left Outer Join INVENTORY..tbinvLocation C On A.LocationId = C.LocationID Left Outer Join "
    "INVENTORY..tbinvUserLocation D On A.LocationID = D.LocationID Where D.UserID = '2001' and  A.Status = 'P' "
    " and isnull(verifiedby,'')<> '' Order By Transdate",
    // Product search by name start, code and set, in the catalogue and at a location.
    "Select A.ItemID as Code, A.ItemName As [Product Name], A.ItemDesc As Description, B.SupplierName As "
    "Supplier, A.MarkupIn As [In-Patient Markup], A.MarkupOut As [Out-Patient Markup],Case when A.ItemStatus = 1 "
    "then 'Inactive' Else 'Active' End  As Status, A.Packing, A.ListCost,  C.ItemClassificationName From "
    "INVENTORY..tbInvMaster A Left Outer Join INVENTORY..tbInvSupplier B ON A.SupplierID = B.SupplierID Left "
    "Outer Join INVENTORY..tbInvClassification C ON A.ItemClassificationID = C.ItemClassificationID  Where ( "
    "A.ItemStatus = 0 or A.ItemStatus is Null ) and IsNull(C.IsFixedAsset,0) <> 1 and A.ItemName Like 'para%' "
    "Order By A.ItemName, A.ItemDesc, A.ItemID",
    "Select A.ItemID, A.ItemName From INVENTORY..tbInvMaster A Where A.ItemName Like '[a-c]%' Order By A.ItemName, "
    "A.ItemID",
    "Select A.ItemID, A.ItemName From INVENTORY..tbInvMaster A Where A.ItemName Like '%GAUZE%' or A.ItemDesc Like "
    "'_0%' Order By A.ItemID",
    "Select A.ItemID, D.OnHand, D.SellingPriceIn From INVENTORY..tbInvMaster A Left Outer Join INVENTORY..tbInvent "
    "D ON A.ItemID = D.ItemID Where D.LocationID = '94' and A.ItemName Like 'S%' Order By A.ItemName, A.ItemID",
    // Lookups by code, letter case and trailing blanks of the typed text ignored.
    "Select * From INVENTORY..tbInvLocation Where Location = 'central supply  '",
    "Select ItemID from INVENTORY..tbInvMaster Where Barcode = '4800010010005'",
    "Select * from Inventory..tbInvUserSettings Where UserID = '2001'",
    "Select KeyValue from Inventory..tbPharmaSwitch where idkey = '2'",
    "Select * from inventory..tbinvuserlocation where userid = '1001' Order By LocationID",
    "Select Top 1 LastName + ', ' + FirstName From Password..tbPasswordMain Where EmployeeID = '1001'",
    // Numbers, conversions, functions.
    "Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From INVENTORY..tbInvWithdrawRequest",
    "Select Max( TermsID ) + 1 As NewCode From INVENTORY..tbInvTerms",
    "Select Convert(VarChar(10), Max(Convert(Integer, Replace(ItemID, 'P', ''))) + 1) As Code From "
    "INVENTORY..tbInvMaster",
    "Select ItemID, SubString(ItemName, 1, 4) + '-' + ItemID As Short, PatIndex('%[0-9]%', ItemDesc) As Digit From "
    "INVENTORY..tbInvMaster Where ItemID < '10010' Order By ItemID",
    "Select DocumentNumber, Sum(Quantity * UnitCost) As Total, Count(*) As Lines From INVENTORY..tbInvWithdrawRequest "
    "Group By DocumentNumber Order By Cast(DocumentNumber as int)",
    "Select DISTINCT Terms AS [Terms of Payment] , TermsID as Code From INVENTORY..tbInvTerms Order By Terms",
    "Select DocumentNumber From INVENTORY..tbInvWithdrawRequest Where TransDate >= '01/01/2026 12:00:00 AM' "
    "Order By DocumentNumber",
    // The five stored procedures.
    "INVENTORY..sp_Inv_UserLocation '1001'",
    "Inventory..sp_Inv_SearchItem_In_Invent '10001', '94'",
    "INVENTORY..sp_Inv_LoadWithdrawalRequest '1'",
    "INVENTORY..sp_Inv_KitofItems '10290'",
    "INVENTORY..sp_Inv_KitofItems_PerItem '10290', '10012'",
};

// A value as both databases must give it: numbers compared to four decimals, dates as text.
QString comparable(const QVariant &value)
{
    if (value.isNull())
        return S("<null>");
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return QString::number(std::round(value.toDouble() * 10000) / 10000, 'f', 4);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(S("yyyy-MM-dd HH:mm:ss"));
    default:
        return value.toString();
    }
}

QStringList rowsOf(const ResultTable &table)
{
    QStringList rows;
    rows << table.columns.join(QChar(0x1f)).toLower();
    for (const QVector<QVariant> &row : table.rows) {
        QStringList cells;
        for (const QVariant &value : row)
            cells << comparable(value);
        rows << cells.join(S("|"));
    }
    return rows;
}

} // namespace

// Every statement form the client sends gives the same rows, row by row, on the embedded files
// and on the server, over the same demo hospital.
TEST(SameAnswers, EveryStatementFormGivesTheSameRowsOnBothDatabases)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "compares the embedded files with the server: runs in the .postgres copy";
    TestDatabase server;
    QTemporaryDir folder;
    DataFolder::create(folder.path(), DataFolder::Content::DemoData);
    const std::unique_ptr<Connection> files = Connection::open(folder.path());
    for (const char *statement : kStatements) {
        SCOPED_TRACE(statement);
        QStringList expected = rowsOf(files->Execute(S(statement)));
        QStringList actual = rowsOf(server.connection()->Execute(S(statement)));
        // A column without a name is named by each engine its own way; only named ones must agree.
        QStringList expectedNames = expected.takeFirst().split(QChar(0x1f));
        const QStringList actualNames = actual.takeFirst().split(QChar(0x1f));
        for (int i = 0; i < expectedNames.size() && i < actualNames.size(); ++i) {
            if (actualNames.at(i) == S("?column?"))
                expectedNames[i] = actualNames.at(i);
        }
        EXPECT_EQ(actualNames, expectedNames);
        EXPECT_FALSE(expected.isEmpty()) << "the demo answers every statement with rows";
        EXPECT_EQ(actual.join(S("\n")).toStdString(), expected.join(S("\n")).toStdString());
    }
}
