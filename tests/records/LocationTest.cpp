#include "records/clsLocation.h"
#include "tests/records/RecordsTesting.h"

namespace {

class LocationRecord : public ::testing::Test
{
protected:
    LocationRecord()
    {
        location.setActiveConnection(session.connection());
        session.clearTrace();
    }

    TestSession session;
    clsLocation location;
};

TEST_F(LocationRecord, LoadsALocationById)
{
    session.raw(
        QStringLiteral("UPDATE tbInvLocation SET isWarehouse = -1, isDispensingArea = 0, AllowOrder = 1 "
                       "WHERE LocationID = '94'"));

    ASSERT_TRUE(location.LoadLocation(QString::fromLatin1(Demo::CentralSupplyId)));
    EXPECT_EQ(session.trace(),
              QStringList{QStringLiteral("Select * From INVENTORY..tbInvLocation Where LocationID = '94'")});
    EXPECT_EQ(location.Code(), QStringLiteral("94"));
    EXPECT_EQ(location.Description(), QString::fromLatin1(Demo::CentralSupply));
    EXPECT_EQ(location.IsWareHouse(), -1);
    EXPECT_EQ(location.isDispensingArea(), 0);
    EXPECT_TRUE(location.AllowedForPO());

    ASSERT_TRUE(location.LoadLocation(QString::fromLatin1(Demo::InactiveStoreId)));
    EXPECT_EQ(location.Status(), QStringLiteral("I"));
}

TEST_F(LocationRecord, AnUnknownIdResetsAllButTheOrderFlag)
{
    session.raw(
        QStringLiteral("UPDATE tbInvLocation SET isWarehouse = 0, isDispensingArea = 0, AllowOrder = 1, "
                       "Status = 'I' WHERE LocationID = '94'"));
    ASSERT_TRUE(location.LoadLocation(QStringLiteral("94")));

    EXPECT_FALSE(location.LoadLocation(QStringLiteral("NOSUCH")));
    EXPECT_EQ(location.Code(), QString());
    EXPECT_EQ(location.Description(), QString());
    EXPECT_EQ(location.Status(), QStringLiteral("A"));
    EXPECT_EQ(location.IsWareHouse(), 1);
    EXPECT_EQ(location.isDispensingArea(), 1);
    EXPECT_TRUE(location.AllowedForPO());
}

TEST_F(LocationRecord, NullColumnsLoadAsDefaultsExceptTheOrderFlag)
{
    session.raw(
        QStringLiteral("UPDATE tbInvLocation SET Status = NULL, isWarehouse = NULL, isDispensingArea = NULL "
                       "WHERE LocationID = '10'"));
    ASSERT_TRUE(location.LoadLocation(QStringLiteral("10")));
    EXPECT_EQ(location.Status(), QStringLiteral("A"));
    EXPECT_EQ(location.IsWareHouse(), 1);
    EXPECT_EQ(location.isDispensingArea(), 1);

    session.raw(QStringLiteral("UPDATE tbInvLocation SET AllowOrder = NULL WHERE LocationID = '11'"));
    const Error error = raisedBy([&] { location.LoadLocation(QStringLiteral("11")); });
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsLocation:LoadLocation Method"));
    EXPECT_TRUE(session.messages().texts().isEmpty());
    EXPECT_EQ(location.Code(), QStringLiteral("10"));
}

TEST_F(LocationRecord, UpdateOfAnExistingLocationSendsTheFlagsWithTheirSign)
{
    ASSERT_TRUE(location.LoadLocation(QStringLiteral("10")));
    location.setDescription(QStringLiteral("ER'S ANNEX"));
    location.setIsWareHouse(-1);
    location.setisDispensingArea(0);
    location.setAllowedForPO(true);
    session.clearTrace();

    EXPECT_TRUE(location.Update());
    ASSERT_EQ(session.trace().size(), 2);
    EXPECT_EQ(
        session.trace().at(1),
        QStringLiteral("Update INVENTORY..tbInvLocation Set Location = 'ER''S ANNEX', Status = 'A', "
                       "isWarehouse = -1, isDispensingArea =  0, AllowOrder = 1 Where LocationID = '10'"));

    clsLocation reread;
    reread.setActiveConnection(session.connection());
    ASSERT_TRUE(reread.LoadLocation(QStringLiteral("10")));
    EXPECT_EQ(reread.Description(), QStringLiteral("ER'S ANNEX"));
    EXPECT_EQ(reread.IsWareHouse(), -1);
}

TEST_F(LocationRecord, UpdateOfANewLocationInsertsUnderTheNextNumber)
{
    const int largest =
        session.rawValue(QStringLiteral("SELECT MAX(CAST(LocationID AS INTEGER)) FROM tbInvLocation"))
            .toInt();
    const QString expectedId = QString::number(largest + 1);
    location.setCode(QStringLiteral("NEW"));
    location.setDescription(QStringLiteral("SATELLITE"));
    session.clearTrace();

    EXPECT_TRUE(location.Update());
    ASSERT_EQ(session.trace().size(), 3);
    EXPECT_EQ(session.trace().at(1),
              QStringLiteral(
                  "Select Convert( VarChar(4),Max( Convert(Integer,LocationID ) ) + 1 ) As NewLocationID "
                  "From INVENTORY..tbInvLocation"));
    EXPECT_EQ(
        session.trace().at(2),
        QStringLiteral("Insert Into INVENTORY..tbInvLocation (LocationId, Location, Status, IsWareHouse, "
                       "isDispensingArea, AllowOrder ) Values ('") +
            expectedId + QStringLiteral("',' SATELLITE','A', 1, 1,0)"));
    EXPECT_EQ(location.Code(), QStringLiteral("NEW"));
    EXPECT_EQ(session
                  .rawValue(QStringLiteral("SELECT Location FROM tbInvLocation WHERE LocationID = '") +
                            expectedId + QStringLiteral("'"))
                  .toString(),
              QStringLiteral(" SATELLITE"));
}

TEST_F(LocationRecord, TheFirstLocationOfAnEmptyTableGetsOne)
{
    session.raw(QStringLiteral("DELETE FROM tbInvLocation"));
    location.setCode(QStringLiteral("X"));
    EXPECT_TRUE(location.Update());
    EXPECT_EQ(session.rawValue(QStringLiteral("SELECT LocationID FROM tbInvLocation")).toString(),
              QStringLiteral("1"));
}

TEST_F(LocationRecord, AFailedUpdateIsShownThenRaised)
{
    clsLocation unconnected;
    const Error error = raisedBy([&] { unconnected.Update(); });
    ASSERT_EQ(session.messages().count(), 1);
    EXPECT_EQ(session.messages().last().title, AppTitle());
    EXPECT_EQ(session.messages().last().buttons, MsgButtons::OK);
    EXPECT_EQ(error.Number(), kRecordError);
    EXPECT_EQ(error.Source(), QStringLiteral("clsLocation:Update Method"));
}

} // namespace
