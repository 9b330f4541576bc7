// How the server connection answers a save's writes: inserts sent together and locks taken without
// rewriting rows must store, refuse and wait exactly as the statements one by one would.

#include "platform/Error.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

QString insertLine(const QString &document, int line, const QString &remarks = QStringLiteral("LINE"))
{
    return QStringLiteral("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, UnitCost, "
                          "Remarks) Values ('%1', '%2', %3, 1.2500, '%4')")
        .arg(document)
        .arg(10001 + line % 5)
        .arg(line + 1)
        .arg(SqlText(remarks));
}

class ServerWrites : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!TestDatabase::onServer())
            GTEST_SKIP() << "the server connection's writes: runs in the .postgres copy";
        db = std::make_unique<TestDatabase>();
    }

    int lines(const char *document) const
    {
        return db->rawValue(QStringLiteral("SELECT count(*) FROM inventory.tbInvWithdrawRequest WHERE "
                                           "DocumentNumber = '%1'")
                                .arg(S(document)))
            .toInt();
    }

    QString failureOf(const std::function<void()> &action)
    {
        try {
            action();
        } catch (const Error &error) {
            return error.Description();
        }
        return QString();
    }

    std::unique_ptr<TestDatabase> db;
};

struct ShortBusyTimeout
{
    explicit ShortBusyTimeout(int milliseconds) { Connection::setBusyTimeout(milliseconds); }
    ~ShortBusyTimeout() { Connection::setBusyTimeout(5000); }
};

} // namespace

TEST_F(ServerWrites, InsertsOfATransactionAreStoredInOrderAndSeenByItsNextStatement)
{
    Connection *connection = db->connection();
    const QString awkward = S("WARD O'NEIL; --'); DELETE FROM inventory.tbInvWithdrawRequest; /*");
    connection->BeginTrans();
    for (int line = 0; line < 2500; ++line)
        connection->Execute(insertLine(S("900"), line, line == 7 ? awkward : S("LINE")));
    // A read in the same transaction sees every line written before it.
    EXPECT_EQ(connection->Execute(S("Select count(*) As N, max(Quantity) As Q From INVENTORY..tbInvWithdrawRequest "
                                    "Where DocumentNumber = '900'"))
                  .rows.at(0),
              (QVector<QVariant>{2500, 2500}));
    connection->Execute(insertLine(S("901"), 0));
    connection->CommitTrans();
    EXPECT_EQ(lines("900"), 2500);
    EXPECT_EQ(lines("901"), 1);
    EXPECT_EQ(db->rawValue(S("SELECT Remarks FROM inventory.tbInvWithdrawRequest WHERE DocumentNumber = '900' AND "
                             "Quantity = 8"))
                  .toString(),
              awkward);
    EXPECT_GT(lines("1"), 0);
}

TEST_F(ServerWrites, AFailingInsertAmongOthersSavesNothingAndNamesTheStatement)
{
    Connection *connection = db->connection();
    const int before = db->rawValue(S("SELECT count(*) FROM inventory.tbInvWithdrawRequest")).toInt();
    // Found at the commit, which rolls the transaction back: nothing is kept.
    connection->BeginTrans();
    for (int line = 0; line < 5; ++line)
        connection->Execute(insertLine(S("902"), line));
    connection->Execute(S("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, NoSuchColumn) Values ('902', 1)"));
    for (int line = 5; line < 10; ++line)
        connection->Execute(insertLine(S("902"), line));
    const QString message = failureOf([&] { connection->CommitTrans(); });
    EXPECT_TRUE(message.contains(S("nosuchcolumn"))) << message.toStdString();
    EXPECT_TRUE(message.contains(S("Values ('902', 1)"))) << message.toStdString();
    EXPECT_FALSE(connection->inTransaction());
    EXPECT_EQ(lines("902"), 0);

    // Found at the next statement, which fails in its place.
    connection->BeginTrans();
    connection->Execute(insertLine(S("903"), 0));
    connection->Execute(S("Insert INVENTORY..tbNoSuchTable (DocumentNumber) Values ('903')"));
    connection->Execute(insertLine(S("903"), 1));
    const QString read = failureOf([&] {
        connection->Execute(S("Select * From INVENTORY..tbInvWithdrawRequest Where DocumentNumber = '903'"));
    });
    EXPECT_TRUE(read.contains(S("does not exist"))) << read.toStdString();
    EXPECT_TRUE(read.contains(S("tbNoSuchTable"))) << read.toStdString();
    connection->RollbackTrans();
    EXPECT_EQ(lines("903"), 0);
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM inventory.tbInvWithdrawRequest")).toInt(), before);

    // The connection saves again afterwards.
    connection->BeginTrans();
    connection->Execute(insertLine(S("904"), 0));
    connection->Execute(insertLine(S("904"), 1));
    connection->CommitTrans();
    EXPECT_EQ(lines("904"), 2);
}

TEST_F(ServerWrites, ARolledBackLevelUndoesItsInsertsOnly)
{
    Connection *connection = db->connection();
    connection->BeginTrans();
    connection->Execute(insertLine(S("905"), 0));
    connection->Execute(insertLine(S("905"), 1));
    connection->BeginTrans();
    connection->Execute(insertLine(S("906"), 0));
    connection->Execute(insertLine(S("906"), 1));
    connection->RollbackTrans();
    connection->BeginTrans();
    connection->Execute(insertLine(S("907"), 0));
    connection->Execute(insertLine(S("907"), 1));
    connection->CommitTrans();
    connection->CommitTrans();
    EXPECT_EQ(lines("905"), 2);
    EXPECT_EQ(lines("906"), 0);
    EXPECT_EQ(lines("907"), 2);

    connection->BeginTrans();
    connection->Execute(insertLine(S("908"), 0));
    connection->Execute(insertLine(S("908"), 1));
    connection->RollbackTrans();
    EXPECT_EQ(lines("908"), 0);
}

TEST_F(ServerWrites, ALockOnlyUpdateMakesOthersWaitWithoutRewritingRows)
{
    ShortBusyTimeout shortTimeout(300);
    db = std::make_unique<TestDatabase>(); // connections opened with the short wait
    const QString versions = S("SELECT string_agg(xmin::text || ctid::text, ',' ORDER BY ctid) FROM "
                               "inventory.tbInvWithdrawRequest WHERE DocumentNumber = '1'");
    const QString lock = S("Update INVENTORY..tbInvWithdrawRequest Set Status = Status Where DocumentNumber = '1'");
    ASSERT_GT(lines("1"), 0);
    const QVariant before = db->rawValue(versions);
    std::unique_ptr<Connection> other = db->openAnotherConnection();

    db->connection()->BeginTrans();
    db->connection()->Execute(lock);
    QElapsedTimer timer;
    timer.start();
    const QString waited = failureOf([&] {
        other->Execute(S("Update INVENTORY..tbInvWithdrawRequest Set Remarks = 'CHANGED' Where DocumentNumber = '1'"));
    });
    EXPECT_TRUE(waited.contains(S("in use by another workstation"))) << waited.toStdString();
    EXPECT_GE(timer.elapsed(), 250);
    // Rows of other requests stay free.
    other->Execute(S("Update INVENTORY..tbInvWithdrawRequest Set Remarks = Remarks Where DocumentNumber = '2'"));
    db->connection()->CommitTrans();
    EXPECT_EQ(db->rawValue(versions), before);
    other->Execute(S("Update INVENTORY..tbInvWithdrawRequest Set Remarks = 'CHANGED' Where DocumentNumber = '1'"));
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM inventory.tbInvWithdrawRequest WHERE DocumentNumber = '1' AND "
                             "Remarks = 'CHANGED'"))
                  .toInt(),
              lines("1"));
}

TEST_F(ServerWrites, ATriggerWatchingTheTableStillSeesTheUpdate)
{
    db->raw(S("CREATE TABLE inventory.tbSeenUpdates (DocumentNumber text)"));
    db->raw(S("GRANT INSERT, SELECT ON inventory.tbSeenUpdates TO PUBLIC"));
    db->raw(S("CREATE FUNCTION inventory.seen_update() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
              "INSERT INTO inventory.tbSeenUpdates VALUES (NEW.DocumentNumber); RETURN NEW; END $$"));
    db->raw(S("CREATE TRIGGER trSeenUpdates AFTER UPDATE ON inventory.tbInvWithdrawRequest FOR EACH ROW "
              "EXECUTE FUNCTION inventory.seen_update()"));
    std::unique_ptr<Connection> connection = db->openAnotherConnection();
    connection->BeginTrans();
    connection->Execute(S("Update INVENTORY..tbInvWithdrawRequest Set Status = Status Where DocumentNumber = '1'"));
    connection->CommitTrans();
    EXPECT_EQ(db->rawValue(S("SELECT count(*) FROM inventory.tbSeenUpdates")).toInt(), lines("1"));
}
