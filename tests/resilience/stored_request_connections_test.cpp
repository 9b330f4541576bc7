#include "editor/StoredRequest.h"
#include "platform/Database.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <memory>
#include <thread>

// The re-read that guards every save, verification and delete, on two independent connections to
// one database: the embedded files, or the PostgreSQL server when the tests run there.

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

class StoredRowsOnTwoConnections : public ::testing::Test
{
protected:
    Connection &clerk() { return *m_clerk; }
    Connection &other() { return *m_other; }

    // What the clerk's window would find when its save reads the request again.
    StoredRequest::Change changeSeenBy(const StoredRequest &opened)
    {
        clerk().BeginTrans();
        const StoredRequest now = StoredRequest::read(clerk(), opened.documentNumber());
        clerk().RollbackTrans();
        EXPECT_FALSE(opened.sameRowsAs(now));
        return opened.changeTo(now);
    }

    TestDatabase m_db;
    std::unique_ptr<Connection> m_clerk = m_db.openAnotherConnection();
    std::unique_ptr<Connection> m_other = m_db.openAnotherConnection();
};

} // namespace

TEST_F(StoredRowsOnTwoConnections, AReadingStaysTheSameUntilAnotherWorkstationWrites)
{
    const StoredRequest opened = StoredRequest::read(clerk(), S("1"));
    ASSERT_TRUE(opened.exists());
    EXPECT_TRUE(opened.isOpenForChanges());
    EXPECT_TRUE(opened.sameRowsAs(StoredRequest::read(clerk(), S("1"))));
    EXPECT_TRUE(opened.sameRowsAs(StoredRequest::read(other(), S("1"))));
    EXPECT_FALSE(StoredRequest::read(clerk(), S("3")).isOpenForChanges());

    other().Execute(S("Update Inventory..tbInvWithdrawRequest set Verifiedby = '2001', verifiedDate = GetDate() "
                      "where DocumentNumber = '1'"));
    StoredRequest::Change change = changeSeenBy(opened);
    EXPECT_EQ(change.what, S("verified"));
    EXPECT_EQ(change.by, S("2001"));

    other().Execute(S("Update INVENTORY..tbInvWithdrawRequest set Status = 'P', ProcessBy = '2002' where "
                      "DocumentNumber = '1'"));
    change = changeSeenBy(opened);
    EXPECT_EQ(change.what, S("processed"));
    EXPECT_EQ(change.by, S("2002"));

    other().Execute(S("Update INVENTORY..tbInvWithDrawRequest set Status = 'D', ProcessDate = getdate(), ProcessBy = "
                      "'1001'  where DocumentNumber = '1'"));
    change = changeSeenBy(opened);
    EXPECT_EQ(change.what, S("deleted"));
    EXPECT_EQ(change.by, S("1001"));
}

TEST_F(StoredRowsOnTwoConnections, AnotherWorkstationsLinesAndNewNumbersAreSeenInsideTheTransaction)
{
    const StoredRequest opened = StoredRequest::read(clerk(), S("2"));
    const StoredRequest unsaved = StoredRequest::read(clerk(), S("600"));
    EXPECT_FALSE(unsaved.exists());

    other().BeginTrans();
    other().Execute(S("Update INVENTORY..tbInvWithdrawRequest set Quantity = Quantity + 1 where DocumentNumber = '2'"));
    other().Execute(S("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, ForRetail, "
                      "isADS, LocationID, TargetLocationID, TransDate, UserID, Remarks) Values ('600','10001',1,1.2500,"
                      "'Y', '0', '94', '10', '12/07/2026 03:05:09 PM', '2001', 'TYPED')"));
    other().CommitTrans();

    EXPECT_EQ(changeSeenBy(opened).what, S("changed"));
    const StoredRequest::Change taken = changeSeenBy(unsaved);
    EXPECT_EQ(taken.what, S("saved"));
    EXPECT_EQ(taken.by, S("2001"));
}

TEST_F(StoredRowsOnTwoConnections, AProgramOutsideTheClientStillMarkingTheRequestIsWaitedForBeforeTheRead)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "on the embedded files a write transaction already shuts out every other writer";
    const StoredRequest opened = StoredRequest::read(clerk(), S("1"));

    // The central supply's own program marks the request processed, without the client's lock, and
    // commits a moment after the clerk's save has begun.
    PGconn *supply = PQconnectdb(m_db.serverName().toUtf8().constData());
    ASSERT_EQ(PQstatus(supply), CONNECTION_OK) << PQerrorMessage(supply);
    PQclear(PQexec(supply, "BEGIN"));
    PGresult *marked = PQexec(supply, "UPDATE inventory.tbInvWithdrawRequest SET Status = 'P', ProcessBy = '2002' "
                                      "WHERE DocumentNumber = '1'");
    ASSERT_EQ(PQresultStatus(marked), PGRES_COMMAND_OK) << PQerrorMessage(supply);
    PQclear(marked);
    std::thread commit([supply] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PQclear(PQexec(supply, "COMMIT"));
    });

    clerk().BeginTrans();
    const StoredRequest now = StoredRequest::read(clerk(), S("1"));
    clerk().RollbackTrans();
    commit.join();
    PQfinish(supply);
    EXPECT_EQ(opened.changeTo(now).what, S("processed"));
}
