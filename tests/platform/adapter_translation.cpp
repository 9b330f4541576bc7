#include "platform/Error.h"
#include "platform/tsql/SqlTokenizer.h"
#include "platform/sqlite/SqliteDialect.h"
#include "platform/tsql/TsqlAdapter.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

struct Case
{
    const char *name;
    const char *tsql;
    const char *sqlite;
};

void expectTranslations(std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const AdaptedStatement adapted = TsqlAdapter::adapt(QString::fromUtf8(c.tsql));
        EXPECT_FALSE(adapted.isProcedureCall());
        EXPECT_EQ(adapted.sql.toStdString(), std::string(c.sqlite));
    }
}

// The statement as the adapter writes it for a PostgreSQL server.
std::string server(const char *tsql)
{
    return TsqlAdapter::adapt(QString::fromUtf8(tsql), SqlDialect::Postgres).sql.toStdString();
}

} // namespace

TEST(AdapterTokenizer, JoinsBackToTheInputAndKeepsLiteralsWhole)
{
    const QString sql = QStringLiteral("Select [Product Name], 'O''NEIL -- x' + N'a' From INVENTORY..t "
                                       "-- note\nWhere x<>1.5 /* c */ and \"q\"\"x\" >= .5e3");
    const QVector<SqlToken> tokens = tokenizeSql(sql);
    QString joined;
    QStringList significant;
    for (const SqlToken &t : tokens) {
        joined += t.text;
        if (t.isSignificant())
            significant << t.text;
    }
    EXPECT_EQ(joined, sql);
    EXPECT_EQ(significant, QStringList({"Select", "[Product Name]", ",", "'O''NEIL -- x'", "+", "N", "'a'",
                                        "From", "INVENTORY", "..", "t", "Where", "x", "<>", "1.5", "and",
                                        "\"q\"\"x\"", ">=", ".5e3"}));
    EXPECT_EQ(tokens.at(5).stringValue(), QStringLiteral("O'NEIL -- x"));
    EXPECT_EQ(tokens.at(2).nameValue(), QStringLiteral("Product Name"));
}

TEST(AdapterTokenizer, UnterminatedLiteralRunsToTheEnd)
{
    const QVector<SqlToken> tokens = tokenizeSql(QStringLiteral("Select 'abc"));
    ASSERT_EQ(tokens.size(), 3);
    EXPECT_EQ(tokens.at(2).kind, SqlToken::String);
    EXPECT_EQ(tokens.at(2).text, QStringLiteral("'abc"));
}

TEST(AdapterTranslation, DatabaseNamesAndStatementKeywords)
{
    expectTranslations({
        {"main database, any case", "Select KeyValue from Inventory..tbPharmaSwitch",
         "Select KeyValue from tbPharmaSwitch"},
        {"upper case", "Select * From INVENTORY..tbInvLocation", "Select * From tbInvLocation"},
        {"staff register", "Select EmployeeId from password..tbpasswordmain",
         "Select EmployeeId from password.tbpasswordmain"},
        {"owner named", "Select * From INVENTORY.dbo.tbInvLocation", "Select * From tbInvLocation"},
        {"no database", " Select C.GenericID From tbforGeneric C", " Select C.GenericID From tbforGeneric C"},
        {"insert without into", "Insert INVENTORY..tbInvTerms (TermsID) Values (1)",
         "Insert Into tbInvTerms (TermsID) Values (1)"},
        {"insert with into", "Insert Into INVENTORY..tbInvTerms (TermsID) Values (1)",
         "Insert Into tbInvTerms (TermsID) Values (1)"},
        {"delete without from", "Delete INVENTORY..tbInvWithdrawRequest Where x = 1",
         "Delete From tbInvWithdrawRequest Where x = 1"},
        {"bracketed alias", "Select Terms AS [Terms of Payment] From t",
         "Select Terms AS \"Terms of Payment\" From t"},
        {"unicode literal", "Select N'abc'", "Select 'abc'"},
        {"nothing inside literals", "Select 'INVENTORY..t + Top 1 [x] IsNull(' From t",
         "Select 'INVENTORY..t + Top 1 [x] IsNull(' From t"},
    });
}

TEST(AdapterTranslation, TopBecomesLimitAtTheEndOfItsSelect)
{
    expectTranslations({
        {"statement", "Select Top 1 Location From t Order By Location",
         "Select Location From t Order By Location LIMIT 1"},
        {"distinct", "Select distinct Top (5) a From t", "Select distinct a From t LIMIT 5"},
        {"scalar subquery",
         " (Select Top 1 LastName + ', ' + FirstName From Password..tbPasswordMain Where EmployeeID = "
         "A.UserID),A.x ",
         " (Select LastName || ', ' || FirstName From Password.tbPasswordMain Where EmployeeID = A.UserID "
         "LIMIT 1),A.x "},
        {"nested parentheses inside", "Select a From t Where b in (Select Top 2 c From u Where (d = 1))",
         "Select a From t Where b in (Select c From u Where (d = 1) LIMIT 2)"},
        {"column called top stays", "Select A.Top From t", "Select A.Top From t"},
    });
}

TEST(AdapterTranslation, PlusJoinsTextsAndAddsNumbers)
{
    expectTranslations({
        {"document number", "Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From t",
         "Select (max(Cast(DocumentNumber as int)) + 1) as DocNum From t"},
        {"names", "Select LastName + ', ' + FirstName From p", "Select LastName || ', ' || FirstName From p"},
        {"columns only", "Select A.OnHand + B.OnOrder From t", "Select A.OnHand + B.OnOrder From t"},
        {"isnull of a number", "Select IsNull(OnHand,0) + 1 From t", "Select ifnull(OnHand,0) + 1 From t"},
        {"text function", "Select SubString(a,1,2) + b From t", "Select substr(a,1,2) || b From t"},
        {"sign", "Select a From t Where b = +1", "Select a From t Where b = +1"},
        {"minus untouched", "Select PatIndex('%.%',k) -1 From t", "Select PatIndex('%.%',k) -1 From t"},
    });
}

TEST(AdapterTranslation, FunctionsAndConversions)
{
    expectTranslations({
        {"isnull", "Select a From t Where IsNull(C.IsFixedAsset,0) <> 1",
         "Select a From t Where ifnull(C.IsFixedAsset,0) <> 1"},
        {"convert to varchar and integer",
         "Select Convert( VarChar(4),Max( Convert(Integer,LocationID ) ) + 1 ) As NewLocationID From "
         "INVENTORY..tbInvLocation",
         "Select convert_varchar( Max( CAST(LocationID  AS INTEGER) ) + 1 , 4) As NewLocationID From "
         "tbInvLocation"},
        {"replace inside convert",
         "Select Convert(VarChar(4),Max( Convert(Integer,Replace(itemid,'P','')) ) + 1)  as MaxCode From t",
         "Select convert_varchar(Max( CAST(Replace(itemid,'P','') AS INTEGER) ) + 1, 4)  as MaxCode From t"},
        {"substring and patindex",
         "Select a From C Left Outer Join D ON SubString(C.Node_Key,1,Case When PatIndex('%.%',C.Node_Key) = "
         "0 Then 1 Else PatIndex('%.%',C.Node_Key) -1 End ) = D.Node_Key",
         "Select a From C Left Outer Join D ON substr(C.Node_Key,1,Case When PatIndex('%.%',C.Node_Key) = 0 "
         "Then 1 Else PatIndex('%.%',C.Node_Key) -1 End ) = D.Node_Key"},
        {"column named like a function", "Select A.IsNull From t", "Select A.IsNull From t"},
        {"len leaves the trailing blanks out", "Select Len(Location), Len(a + 'x  ') From t",
         "Select length(rtrim(Location)), length(rtrim(a || 'x  ')) From t"},
    });
}

TEST(AdapterTranslation, ComparedLiteralsCarryTheCollationAndDatesBecomeIso)
{
    expectTranslations({
        {"compared", "Select a From t Where isnull(A.Status,'') = '' ",
         "Select a From t Where (ifnull(A.Status,'') = '' COLLATE MSSQL AND ifnull(A.Status,'') >= '' COLLATE NOCASE "
         "AND ifnull(A.Status,'') < '!' COLLATE NOCASE) "},
        {"a blank-padded code with its index range", "Select a From t Where L.LocationID = '94  ' And x = 1",
         "Select a From t Where (L.LocationID = '94  ' COLLATE MSSQL AND L.LocationID >= '94' COLLATE NOCASE AND "
         "L.LocationID < '94!' COLLATE NOCASE) And x = 1"},
        {"letters beyond ASCII, an assignment and a sum have no range",
         "Update t Set Status = 'D' Where Location = 'SEÑOR' Or a + b = 'x'",
         "Update t Set Status = 'D' COLLATE MSSQL Where Location = 'SEÑOR' COLLATE MSSQL Or a + b = 'x' COLLATE MSSQL"},
        {"not equal, no blank", "Select a From t Where isnull(verifiedby,'')<> '' Order By Transdate",
         "Select a From t Where ifnull(verifiedby,'')<> '' COLLATE MSSQL Order By Transdate"},
        {"like with a prefix gets its range",
         "Select a From t Where Terms Like 'NET%'",
         "Select a From t Where (Terms Like 'NET%' AND Terms >= 'NET' COLLATE NOCASE AND Terms < 'NET\xEF\xBF\xBF' "
         "COLLATE NOCASE)"},
        {"like of other patterns stays", "Select a From t Where Terms Like '%NET' or x Like 'N_T%'",
         "Select a From t Where Terms Like '%NET' or x Like 'N_T%'"},
        {"month-first date written into a date column",
         "Insert t (DocumentNumber, TransDate, Remarks) Values ('1', '12/07/2026 03:05:09 PM', "
         "'12/07/2026 03:05:09 PM')",
         "Insert Into t (DocumentNumber, TransDate, Remarks) Values ('1', '2026-12-07 15:05:09', "
         "'12/07/2026 03:05:09 PM')"},
        {"midnight compared with a date column", "Select a From t Where A.TransDate >= '01/31/2026 12:00:00 AM'",
         "Select a From t Where A.TransDate >= '2026-01-31 00:00:00'"},
        {"date column on the right, set by an update",
         "Update t Set ProcessDate = '01/31/2026 12:00:00 AM' Where '01/31/2026 12:00:00 AM' < verifiedDate",
         "Update t Set ProcessDate = '2026-01-31 00:00:00' Where '2026-01-31 00:00:00' < verifiedDate"},
        {"between", "Select a From t Where TransDate Between '01/31/2026 12:00:00 AM' And '02/01/2026 12:00:00 AM'",
         "Select a From t Where TransDate Between '2026-01-31 00:00:00' And '2026-02-01 00:00:00'"},
        {"text columns and bare values keep the text",
         "Select '12/07/2026 03:05:09 PM' From t Where Remarks = '12/07/2026 03:05:09 PM' Or BarCode Like "
         "'12/07/2026 03:05:09 PM'",
         "Select '12/07/2026 03:05:09 PM' From t Where (Remarks = '12/07/2026 03:05:09 PM' COLLATE MSSQL AND "
         "Remarks >= '12/07/2026 03:05:09 PM' COLLATE NOCASE AND Remarks < '12/07/2026 03:05:09 PM!' COLLATE NOCASE) "
         "Or BarCode Like '12/07/2026 03:05:09 PM'"},
        {"not a date", "Insert t (TransDate, x) Values ('13/45/2026 03:05:09 PM', '12/07/2026')",
         "Insert Into t (TransDate, x) Values ('13/45/2026 03:05:09 PM', '12/07/2026')"},
    });
    EXPECT_EQ(TsqlAdapter::isoFromMonthFirst(QStringLiteral("12/07/2026 12:30:00 PM")),
              QStringLiteral("2026-12-07 12:30:00"));
    EXPECT_TRUE(TsqlAdapter::isoFromMonthFirst(QStringLiteral("12/07/2026 13:30:00 PM")).isEmpty());
}

// A clinic in a zone with daylight saving writes requests at any hour: the hour its clock skips in
// spring and the one it repeats in autumn are dates like any other.
TEST(AdapterTranslation, DatesInTheHoursDaylightSavingSkipsOrRepeatsAreWrittenAsTyped)
{
    const QByteArray previous = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    const QString skipped = TsqlAdapter::isoFromMonthFirst(QStringLiteral("03/08/2026 02:30:00 AM"));
    const QString repeated = TsqlAdapter::isoFromMonthFirst(QStringLiteral("11/01/2026 01:30:00 AM"));
    const AdaptedStatement insert = TsqlAdapter::adapt(
        QStringLiteral("Insert t (DocumentNumber, TransDate) Values ('41', '03/08/2026 02:15:00 AM')"));
    if (hadZone)
        qputenv("TZ", previous);
    else
        qunsetenv("TZ");
    tzset();
    EXPECT_EQ(skipped, QStringLiteral("2026-03-08 02:30:00"));
    EXPECT_EQ(repeated, QStringLiteral("2026-11-01 01:30:00"));
    EXPECT_EQ(insert.sql, QStringLiteral("Insert Into t (DocumentNumber, TransDate) Values ('41', '2026-03-08 02:15:00')"));
}

TEST(AdapterTranslation, ProcedureCallsGiveTheirArgumentsAsValues)
{
    struct Call
    {
        const char *tsql;
        const char *procedure;
        QVariantList arguments;
    };
    const Call calls[] = {
        {"INVENTORY..sp_Inv_UserLocation '1001'", "sp_Inv_UserLocation", {QStringLiteral("1001")}},
        {"Inventory..sp_Inv_SearchItem_In_Invent '10001','94'",
         "sp_Inv_SearchItem_In_Invent",
         {QStringLiteral("10001"), QStringLiteral("94")}},
        {"Inventory..sp_Inv_LoadWithdrawalRequest 'NEW'",
         "sp_Inv_LoadWithdrawalRequest",
         {QStringLiteral("NEW")}},
        {"Inventory..sp_Inv_KitofItems 10290", "sp_Inv_KitofItems", {qint64(10290)}},
        {"Inventory..sp_Inv_KitofItems_PerItem 10290,10011",
         "sp_Inv_KitofItems_PerItem",
         {qint64(10290), qint64(10011)}},
        {"exec sp_x 'O''NEIL', -2.5, NULL;", "sp_x", {QStringLiteral("O'NEIL"), -2.5, QVariant()}},
    };
    for (const Call &call : calls) {
        SCOPED_TRACE(call.tsql);
        const AdaptedStatement adapted = TsqlAdapter::adapt(QString::fromUtf8(call.tsql));
        EXPECT_TRUE(adapted.sql.isEmpty());
        EXPECT_EQ(adapted.procedure, QString::fromUtf8(call.procedure));
        EXPECT_EQ(adapted.arguments, call.arguments);
    }
}

TEST(AdapterTranslation, MalformedProcedureCallsFail)
{
    for (const char *tsql : {"INVENTORY..sp_Inv_UserLocation '1' '2'",
                             "INVENTORY..sp_Inv_UserLocation 'x'; Delete INVENTORY..tbInvLocation",
                             "INVENTORY..sp_Inv_UserLocation (1)"}) {
        SCOPED_TRACE(tsql);
        EXPECT_THROW(TsqlAdapter::adapt(QString::fromUtf8(tsql)), Error);
    }
}

TEST(AdapterDialect, CollationIgnoresCaseAndTrailingBlanks)
{
    EXPECT_EQ(compareMssql(QStringLiteral("Central Supply  "), QStringLiteral("CENTRAL SUPPLY")), 0);
    EXPECT_EQ(compareMssql(QStringLiteral("señor"), QStringLiteral("SEÑOR ")), 0);
    EXPECT_LT(compareMssql(QStringLiteral("abc"), QStringLiteral("ABD")), 0);
    EXPECT_GT(compareMssql(QStringLiteral("b"), QStringLiteral("A")), 0);
    EXPECT_NE(compareMssql(QStringLiteral(" a"), QStringLiteral("a")), 0); // leading blanks count
}

TEST(AdapterDialect, PatIndexFindsThePatternLikeSqlServer)
{
    EXPECT_EQ(patIndex(QStringLiteral("%.%"), QStringLiteral("12.3")), 3);
    EXPECT_EQ(patIndex(QStringLiteral("%.%"), QStringLiteral("45")), 0);
    EXPECT_EQ(patIndex(QStringLiteral("%b_d%"), QStringLiteral("aBcD")), 2);
    EXPECT_EQ(patIndex(QStringLiteral("%[0-9]%"), QStringLiteral("ab7")), 3);
    EXPECT_EQ(patIndex(QStringLiteral("ab%"), QStringLiteral("xab")), 0);
    EXPECT_EQ(patIndex(QStringLiteral("ab"), QStringLiteral("ab")), 1);
}

// On the server a Like of a column whose pattern starts with fixed text becomes the same match on
// the lower-cased texts, which the name search index serves; any other Like becomes ILIKE: a
// pattern without a fixed start, a "not Like", a set (a regular expression), an operand that is
// more than a column, a pattern joined from pieces or followed by more of an expression.
TEST(AdapterDialect, ServerLikeWithAFixedStartGetsTheMatchAnIndexServes)
{
    EXPECT_EQ(server("Select a From t A Where x = 1 and  A.ItemName Like 'G%' Order by A.ItemName"),
              "Select a From t A Where x = 1 and  lower(A.ItemName::citext::text) LIKE lower('G%') "
              "Order by lower(A.ItemName::text)");
    EXPECT_EQ(server("Select a From t Where Terms Like 'O''N_ÉL 5%%' or b = 2"),
              "Select a From t Where lower(Terms::citext::text) LIKE lower('O''N_ÉL 5%%') "
              "or b = 2");
    EXPECT_EQ(server("Select a From t Where (Terms Like 'NET ')"),
              "Select a From t Where (lower(Terms::citext::text) LIKE lower('NET '))");
    EXPECT_EQ(server("Select a From t Where [Terms] Like 'N%'"),
              "Select a From t Where lower(Terms::citext::text) LIKE lower('N%')");

    EXPECT_EQ(server("Select a From t Where Terms Like '%NET' or x Like '_ET%' or y Like '%é#%'"),
              "Select a From t Where Terms ILIKE '%NET' or x ILIKE '_ET%' or y ILIKE '%é#%'");
    // Without a fixed start and without letters: the text as it is.
    EXPECT_EQ(server("Select a From t A Where A.Code Like '%12#_%' or y Like ''"),
              "Select a From t A Where A.Code::citext::text LIKE '%12#_%' or y::citext::text LIKE ''");
    EXPECT_EQ(server("Select a From t Where not Terms Like 'N%'"),
              "Select a From t Where not lower(Terms::citext::text) LIKE lower('N%')");
    EXPECT_EQ(server("Select a From t Where Terms not Like 'N%'"), "Select a From t Where Terms not ILIKE 'N%'");
    EXPECT_EQ(server("Select a From t Where Terms Like '[A-C]%'"), "Select a From t Where Terms ~* '^[A-C].*$'");
    EXPECT_EQ(server("Select a From t Where b + Terms Like 'N%'"), "Select a From t Where b + Terms ILIKE 'N%'");
    EXPECT_EQ(server("Select a From t Where Terms Like 'N' + '%'"), "Select a From t Where Terms ILIKE 'N' || '%'");
    EXPECT_EQ(server("Select a From t Where Terms Like 'N%' Escape '!'"),
              "Select a From t Where Terms ILIKE 'N%' Escape '!'");
    EXPECT_EQ(server("Select a From t Where lower(Terms) Like 'n%'"),
              "Select a From t Where lower(Terms) ILIKE 'n%'");
}

// The server sorts a qualified column that the statement's Like tests by its lower-cased text;
// any other order item, and any statement where the column could mean something else, stays.
TEST(AdapterDialect, ServerSortsALikeTestedColumnByItsLowerCasedText)
{
    EXPECT_EQ(server("Select A.ItemName From t A Where A.ItemName Like 'G%' Order by A.ItemName, A.ItemDesc"),
              "Select A.ItemName From t A Where lower(A.ItemName::citext::text) LIKE lower('G%') "
              "Order by lower(A.ItemName::text), A.ItemDesc");
    EXPECT_EQ(server("Select a From t A Where A.ID in (Select ID From u Where x = 1) and a.itemname Like '%G' "
                     "Order by A.ItemDesc desc, A.ItemName desc"),
              "Select a From t A Where A.ID in (Select ID From u Where x = 1) and a.itemname ILIKE '%G' "
              "Order by A.ItemDesc desc, lower(A.ItemName::text) desc");

    // An unqualified name may be an output column's; Distinct needs the order items shown; a Like
    // of a subquery or another Select's order; an expression of the column.
    EXPECT_EQ(server("Select x As ItemName From t Where ItemName Like 'G%' Order by ItemName"),
              "Select x As ItemName From t Where lower(ItemName::citext::text) LIKE lower('G%') "
              "Order by ItemName");
    EXPECT_EQ(server("Select Distinct A.ItemName From t A Where A.ItemName Like 'G' Order by A.ItemName"),
              "Select Distinct A.ItemName From t A Where lower(A.ItemName::citext::text) LIKE "
              "lower('G') Order by A.ItemName");
    EXPECT_EQ(server("Select A.a From t A Where A.ID in (Select A.ID From u A Where A.Name Like '%G') Order by A.Name"),
              "Select A.a From t A Where A.ID in (Select A.ID From u A Where A.Name ILIKE '%G') Order by A.Name");
    EXPECT_EQ(server("Select A.a From t A Where A.Name Like '%G' Union Select B.a From u B Order by A.Name"),
              "Select A.a From t A Where A.Name ILIKE '%G' Union Select B.a From u B Order by A.Name");
    EXPECT_EQ(server("Select A.a From t A Where A.Name Like '%G' Order by A.Name + 'x', A.Name Collate x"),
              "Select A.a From t A Where A.Name ILIKE '%G' Order by A.Name || 'x', A.Name Collate x");
}
