// Texts on the PostgreSQL server compare as on SQL Server: trailing blanks do not count, in any
// comparison, and whoever writes a text, it is stored without them. A server set up by the
// earlier version gets this through the administrator's upgrade, or is left as it was.

#include "platform/Error.h"
#include "platform/Administration.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

const QString kRequestListIndexes = S("ixinvwithdrawrequest_pending,ixinvwithdrawrequest_pendingverified,"
                                      "ixinvwithdrawrequest_processed,ixinvwithdrawrequest_processedverified,"
                                      "ixinvwithdrawrequest_targetpending,stinvwithdrawrequest_state");

class ServerTexts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TestDatabase::onServer())
            GTEST_SKIP() << "texts as the server stores them: runs in the .postgres copy";
        db = std::make_unique<TestDatabase>();
    }

    ResultTable run(const char *sql) { return db->connection()->Execute(S(sql)); }

    // The server as the earlier version set it up: no trimming triggers, schema version 2.
    void makeEarlierVersion()
    {
        db->raw(S(R"sql(
            DO $$ DECLARE t record; BEGIN
                FOR t IN SELECT tgrelid::regclass AS tab FROM pg_trigger WHERE tgname = 'trim_trailing_blanks' LOOP
                    EXECUTE format('DROP TRIGGER trim_trailing_blanks ON %s', t.tab);
                END LOOP;
            END $$)sql"));
        // Its procedures compared keys as text, its request list had narrower indexes and its
        // product search no index.
        db->raw(S("CREATE OR REPLACE FUNCTION inventory.same_code(code citext, given text) RETURNS boolean "
                  "LANGUAGE sql IMMUTABLE AS $$ SELECT code = rtrim(given) $$"));
        dropRequestListIndexes();
        db->raw(S("CREATE INDEX ixInvWithdrawRequest_LocationStatus ON inventory.tbInvWithdrawRequest "
                  "(LocationID, Status)"));
        db->raw(S("DROP INDEX inventory.ixInvMaster_NameSearch"));
        db->raw(S("DELETE FROM inventory.tbInvSchemaVersion"));
        db->raw(
            S("INSERT INTO inventory.tbInvSchemaVersion (Version, AppliedOn) VALUES (2, LOCALTIMESTAMP(0))"));
    }

    void dropRequestListIndexes()
    {
        db->raw(
            S("DROP INDEX inventory.ixInvWithdrawRequest_Pending, "
              "inventory.ixInvWithdrawRequest_PendingVerified, "
              "inventory.ixInvWithdrawRequest_Processed, inventory.ixInvWithdrawRequest_ProcessedVerified, "
              "inventory.ixInvWithdrawRequest_TargetPending"));
        db->raw(S("DROP STATISTICS inventory.stInvWithdrawRequest_State"));
    }

    // The request list's indexes and statistics objects, by name.
    QString requestListIndexes()
    {
        return db
            ->rawValue(
                S("SELECT string_agg(name, ',' ORDER BY name) FROM (SELECT indexname AS name FROM "
                  "pg_indexes WHERE tablename = 'tbinvwithdrawrequest' AND indexname LIKE "
                  "'ixinvwithdrawrequest_%' AND indexname <> 'ixinvwithdrawrequest_document' UNION ALL "
                  "SELECT stxname FROM pg_statistic_ext) names"))
            .toString();
    }

    int rows()
    {
        return db
            ->rawValue(S("SELECT (SELECT count(*) FROM inventory.tbInvLocation) + (SELECT count(*) FROM "
                         "inventory.tbInvMaster) + (SELECT count(*) FROM inventory.tbInvWithdrawRequest)"))
            .toInt();
    }

    std::unique_ptr<TestDatabase> db;
};

} // namespace

TEST_F(ServerTexts, ComparisonsGroupingAndKeysIgnoreTrailingBlanks)
{
    run("Insert Into INVENTORY..tbInvLocation (LocationId, Location, Status, IsWareHouse, isDispensingArea, "
        "AllowOrder ) "
        "Values ('97','St. Jude''s Ward  ','A', 0, 0,1)");
    run("Insert Into INVENTORY..tbInvLocation (LocationId, Location, Status, IsWareHouse, isDispensingArea, "
        "AllowOrder ) "
        "Values ('93','ST. JUDE''S WARD','A', 0, 0,1)");
    run("Insert Into INVENTORY..tbinvUserLocation (UserID, LocationID) Values ('1001 ', '97   ')");

    EXPECT_EQ(run("Select LocationID From INVENTORY..tbInvLocation Where Location = 'st. jude''s ward'")
                  .rows.size(),
              2);
    EXPECT_EQ(
        run("Select LocationID From INVENTORY..tbInvLocation Where Location In ('x', 'ST. JUDE''S WARD  ')")
            .rows.size(),
        2);
    EXPECT_EQ(
        run("Select LocationID From INVENTORY..tbInvLocation Where Location Not In ('ST. JUDE''S WARD ') And "
            "Location Like 'st. jude%'")
            .rows.size(),
        0);
    EXPECT_EQ(run("Select DISTINCT Location From INVENTORY..tbInvLocation Where Location Like 'st. jude%'")
                  .rows.size(),
              1);
    const ResultTable grouped =
        run("Select Location, count(*) As Locations From INVENTORY..tbInvLocation Where Location "
            "Like 'st. jude%' Group By Location");
    ASSERT_EQ(grouped.rows.size(), 1);
    EXPECT_EQ(grouped.rows[0][1].toInt(), 2);
    // The user's location was typed with blanks: the join and the user's list still find it.
    const ResultTable joined =
        run("Select L.Location From INVENTORY..tbinvUserLocation U Join INVENTORY..tbInvLocation L "
            "On L.LocationID = U.LocationID Where U.UserID = '1001' And U.LocationID = '97'");
    ASSERT_EQ(joined.rows.size(), 1);
    EXPECT_EQ(joined.rows[0][0].toString(), S("St. Jude's Ward"));
    EXPECT_EQ(run("INVENTORY..sp_Inv_UserLocation '1001'").rows.size(), 4);
    const ResultTable lengths = run("Select Len(Location), Len('ab  '), Len(LocationID + '  ') From "
                                    "INVENTORY..tbInvLocation Where LocationID = '97'");
    ASSERT_EQ(lengths.rows.size(), 1);
    EXPECT_EQ(lengths.rows[0][0].toInt(), 15);
    EXPECT_EQ(lengths.rows[0][1].toInt(), 2);
    EXPECT_EQ(lengths.rows[0][2].toInt(), 2);
    // A key differing only in trailing blanks is the same key, as on SQL Server.
    EXPECT_THROW(
        run("Insert Into INVENTORY..tbInvLocation (LocationId, Location, Status) Values ('97 ','Other','A')"),
        Error);
}

TEST_F(ServerTexts, OtherProgramsWritingTheServerStoreTextsWithoutTrailingBlanks)
{
    db->raw(S("INSERT INTO inventory.tbInvLocation (LocationID, Location, Status) VALUES ('91  ', 'Annex "
              "Ward   ', 'A')"));
    EXPECT_EQ(
        db->rawValue(S("SELECT '[' || Location || ']' FROM inventory.tbInvLocation WHERE LocationID = '91'")),
        QVariant(S("[Annex Ward]")));
    db->raw(S("UPDATE inventory.tbInvLocation SET Location = E'Annex\\t', InventoryType = '  M  ' WHERE "
              "LocationID = '91'"));
    // Only blanks go: a tab stays, and so do leading blanks.
    EXPECT_EQ(
        db->rawValue(S("SELECT '[' || Location || '|' || InventoryType || ']' FROM inventory.tbInvLocation "
                       "WHERE LocationID = '91'")),
        QVariant(S("[Annex\t|  M]")));
    db->raw(S("UPDATE password.tbPasswordMain SET LastName = LastName || '  ' WHERE EmployeeID = '1001'"));
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM password.tbPasswordMain WHERE LastName::text LIKE '% '")),
              QVariant(0));
    // The client's own writes too: a request's lines as a save writes them.
    run("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, "
        "isADS, LocationID, "
        "TargetLocationID, TransDate, UserID, Remarks, Status) Values ('77', '10001', 1, 2, 'R', 0, '10', "
        "'94', "
        "'12/07/2026 03:05:09 PM', '1001', 'urgent  ', '')");
    EXPECT_EQ(
        db->rawValue(S(
            "SELECT '[' || Remarks || ']' FROM inventory.tbInvWithdrawRequest WHERE DocumentNumber = '77'")),
        QVariant(S("[urgent]")));
}

// "<> ''" reaches the server as "> ''" (a range the request list's index can serve): the same
// rows for every text, whatever letter, sign or control character it starts with.
TEST_F(ServerTexts, NotEmptyMeansTheSameRowsAsOnSqlServer)
{
    db->raw(S(
        "INSERT INTO inventory.tbInvLocation (LocationID, Location, Status) VALUES "
        "('81', NULL, 'A'), ('82', '', 'A'), ('83', '   ', 'A'), ('84', '-', 'A'), ('85', '!x', 'A'), "
        "('86', E'\\t', 'A'), ('87', E'\\x01', 'A'), ('88', 'a', 'A'), ('89', 'É', 'A'), ('90', ' z', 'A')"));
    const auto listed = [&](const char *sql) {
        QStringList ids;
        for (const auto &row : run(sql).rows)
            ids << row.at(0).toString();
        return ids.join(QLatin1Char(' '));
    };
    const QString notEmpty = S("84 85 86 87 88 89 90");
    EXPECT_EQ(listed("Select LocationID From INVENTORY..tbInvLocation Where isnull(Location,'')<> '' And "
                     "LocationID Between '81' And '90' Order By LocationID"),
              notEmpty);
    EXPECT_EQ(listed("Select LocationID From INVENTORY..tbInvLocation Where Location != '  ' And "
                     "LocationID Between '81' And '90' Order By LocationID"),
              notEmpty);
    EXPECT_EQ(listed("Select LocationID From INVENTORY..tbInvLocation Where isnull(Location,'') = '' And "
                     "LocationID Between '81' And '90' Order By LocationID"),
              S("81 82 83"));
    // An empty text that only starts the right side is no test of emptiness.
    EXPECT_EQ(listed("Select LocationID From INVENTORY..tbInvLocation Where Location <> '' + 'a' And "
                     "LocationID Between '81' And '90' Order By LocationID"),
              S("82 83 84 85 86 87 89 90"));
}

// A pattern without letters is matched against the text as it is on the server: it finds what
// matching without regard to letter case finds, whatever letters the texts hold.
TEST_F(ServerTexts, PatternsWithoutLettersFindWhatIgnoringCaseFinds)
{
    db->raw(S("INSERT INTO inventory.tbInvLocation (LocationID, Location, Status) VALUES "
              "('81', 'Ward #12-B', 'A'), ('82', 'ward #12-b', 'A'), ('83', 'ÉTAGE 3 #1', 'A'), "
              "('84', 'étage 3-1', 'A'), ('85', '12', 'A'), ('86', '%_#', 'A')"));
    for (const char *pattern : {"%#%", "%12%", "%3_1%", "____ #%", "%-_", "%", "%1_", "%__#"}) {
        SCOPED_TRACE(pattern);
        const QString ignoringCase = db->rawValue(S("SELECT string_agg(LocationID::text, ' ' ORDER BY "
                                                    "LocationID) FROM inventory.tbInvLocation "
                                                    "WHERE Location ILIKE '%1'")
                                                      .arg(S(pattern)))
                                         .toString();
        QStringList found;
        for (const auto &row :
             db->connection()
                 ->Execute(S("Select LocationID From INVENTORY..tbInvLocation Where Location Like "
                             "'%1' Order By LocationID")
                               .arg(S(pattern)))
                 .rows)
            found << row.at(0).toString();
        EXPECT_FALSE(found.isEmpty());
        EXPECT_EQ(found.join(QLatin1Char(' ')), ignoringCase);
    }
}

TEST_F(ServerTexts, UpgradeFromTheEarlierVersionTrimsTheStoredTextsAndKeepsEveryRow)
{
    makeEarlierVersion();
    db->raw(S("INSERT INTO inventory.tbInvLocation (LocationID, Location, Status) VALUES ('91  ', 'Annex "
              "Ward   ', 'A')"));
    db->raw(S("UPDATE inventory.tbInvMaster SET ItemDesc = ItemDesc || ' ' WHERE ItemID = '10001'"));
    ASSERT_EQ(db->rawValue(S("SELECT count(*) FROM inventory.tbInvLocation WHERE LocationID = '91'")),
              QVariant(0));
    const int before = rows();

    // A workstation of this version is refused, saying what to do, until the upgrade.
    try {
        Connection::openServer(db->serverName());
        ADD_FAILURE() << "a server of the earlier version was accepted";
    } catch (const Error &error) {
        EXPECT_TRUE(error.Description().contains(S("inventory-request-admin upgrade")))
            << error.Description().toStdString();
    }

    QStringList said;
    EXPECT_EQ(ServerSetup::upgrade(db->serverName(), [&](const QString &line) { said << line; }), 2);
    EXPECT_TRUE(said.last().contains(S("from schema version 2 to 5"))) << said.join(S("\n")).toStdString();
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(
        db->rawValue(S("SELECT '[' || Location || ']' FROM inventory.tbInvLocation WHERE LocationID = '91'")),
        QVariant(S("[Annex Ward]")));
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM inventory.tbInvMaster WHERE ItemDesc::text LIKE '% '")),
              QVariant(0));
    db->raw(S("INSERT INTO inventory.tbInvTerms (TermsID, Terms) VALUES (99, 'NET 99  ')"));
    EXPECT_EQ(db->rawValue(S("SELECT '[' || Terms || ']' FROM inventory.tbInvTerms WHERE TermsID = 99")),
              QVariant(S("[NET 99]")));
    EXPECT_EQ(db->rawValue(S("SELECT max(Version) FROM inventory.tbInvSchemaVersion")),
              QVariant(ServerSetup::SchemaVersion));
    EXPECT_TRUE(db->rawValue(S("SELECT pg_get_functiondef('inventory.same_code'::regproc)"))
                    .toString()
                    .contains(S("::citext")));
    EXPECT_EQ(requestListIndexes(), kRequestListIndexes);
    EXPECT_TRUE(db->rawValue(S("SELECT indexdef FROM pg_indexes WHERE indexname = 'ixinvmaster_namesearch'"))
                    .toString()
                    .contains(S("text_pattern_ops")));
    EXPECT_NO_THROW(Connection::openServer(db->serverName()));

    // Once is enough: again, nothing is to do.
    said.clear();
    EXPECT_EQ(ServerSetup::upgrade(db->serverName(), [&](const QString &line) { said << line; }),
              ServerSetup::SchemaVersion);
    EXPECT_TRUE(said.join(S("\n")).contains(S("nothing to do")));
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM inventory.tbInvSchemaVersion")), QVariant(2));
}

// A server of version 3 gets the request list's index for each state in place of its two wider
// ones (and the index of the departments' pending lines), keeping every row.
TEST_F(ServerTexts, UpgradeFromVersion3GivesTheRequestListAnIndexForEachState)
{
    dropRequestListIndexes();
    db->raw(S("CREATE INDEX ixInvWithdrawRequest_ListPending ON inventory.tbInvWithdrawRequest (LocationID, "
              "coalesce(Status, ''), coalesce(Verifiedby, ''), TransDate) INCLUDE (DocumentNumber, UserID, "
              "TargetLocationID, Status, Verifiedby)"));
    db->raw(S("CREATE INDEX ixInvWithdrawRequest_ListStatus ON inventory.tbInvWithdrawRequest (LocationID, "
              "Status, TransDate) INCLUDE (DocumentNumber, UserID, TargetLocationID, Verifiedby)"));
    db->raw(S("UPDATE inventory.tbInvSchemaVersion SET Version = 3"));
    const int before = rows();

    QStringList said;
    EXPECT_EQ(ServerSetup::upgrade(db->serverName(), [&](const QString &line) { said << line; }), 3);
    EXPECT_TRUE(said.last().contains(S("from schema version 3 to 5"))) << said.join(S("\n")).toStdString();
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(requestListIndexes(), kRequestListIndexes);
    EXPECT_NO_THROW(Connection::openServer(db->serverName()));
}

TEST_F(ServerTexts, UpgradeThatCannotBeDoneChangesNothingAndSaysWhy)
{
    makeEarlierVersion();
    // Two codes that become one once their blanks go.
    db->raw(
        S("INSERT INTO inventory.tbInvLocation (LocationID, Location, Status) VALUES ('91', 'Annex', 'A'), "
          "('91 ', 'Annex Ward   ', 'A')"));
    const int before = rows();
    try {
        ServerSetup::upgrade(db->serverName());
        ADD_FAILURE() << "the upgrade went through";
    } catch (const Error &error) {
        EXPECT_TRUE(error.Description().contains(S("nothing was changed")))
            << error.Description().toStdString();
        EXPECT_TRUE(error.Description().contains(S("same key"))) << error.Description().toStdString();
        EXPECT_TRUE(error.Description().contains(S("tbinvlocation"))) << error.Description().toStdString();
    }
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(db->rawValue(S("SELECT max(Version) FROM inventory.tbInvSchemaVersion")), QVariant(2));
    EXPECT_EQ(db->rawValue(
                  S("SELECT count(*) FROM inventory.tbInvLocation WHERE Location::text = 'Annex Ward   '")),
              QVariant(1));
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM pg_trigger WHERE tgname = 'trim_trailing_blanks'")),
              QVariant(0));

    // A server of a later version is left alone too.
    db->raw(
        S("INSERT INTO inventory.tbInvSchemaVersion (Version, AppliedOn) VALUES (99, LOCALTIMESTAMP(0))"));
    EXPECT_THROW(ServerSetup::upgrade(db->serverName()), Error);
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM pg_trigger WHERE tgname = 'trim_trailing_blanks'")),
              QVariant(0));
}
