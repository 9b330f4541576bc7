#include "editor/StoredRequest.h"
#include "platform/Database.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/postgres/ServerSetup.h"
#include "tests/support/TestSession.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <atomic>

// The re-read that guards every save, verification and delete, on two independent connections of
// each backend: the embedded files, and the PostgreSQL server the test command starts
// (INVENTORY_REQUEST_TEST_SERVER; without it the server's cases skip).

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

enum class Backend { EmbeddedFiles, Server };

// A fresh demo hospital on the backend and two workstations' connections to it.
class TwoWorkstations
{
public:
    explicit TwoWorkstations(Backend backend)
    {
        if (backend == Backend::EmbeddedFiles) {
            m_files = std::make_unique<TestDatabase>();
            m_first = m_files->openAnotherConnection();
            m_second = m_files->openAnotherConnection();
            return;
        }
        const QString server = qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER");
        static std::atomic<int> counter{0};
        m_databaseName = QStringLiteral("ir_stored_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        runOnMaintenanceDatabase(server, QStringLiteral("CREATE DATABASE %1").arg(m_databaseName));
        m_server = withDatabase(server, m_databaseName);
        ServerSetup::run(m_server, ServerSetup::Content::DemoData);
        m_first = Connection::openServer(m_server);
        m_second = Connection::openServer(m_server);
        m_maintenance = server;
    }
    ~TwoWorkstations()
    {
        m_first.reset();
        m_second.reset();
        if (!m_databaseName.isEmpty())
            runOnMaintenanceDatabase(m_maintenance,
                                     QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_databaseName));
    }

    Connection &first() { return *m_first; }
    Connection &second() { return *m_second; }

private:
    static QString withDatabase(const QString &server, const QString &database)
    {
        QString address = server;
        address.remove(QRegularExpression(QStringLiteral("\\bdbname=\\S+")));
        return address.trimmed() + QStringLiteral(" dbname=") + database;
    }

    static void runOnMaintenanceDatabase(const QString &server, const QString &sql)
    {
        const QString name = QStringLiteral("ir-stored-maintenance");
        {
            QSqlDatabase db = ServerAddress::open(server, name);
            QSqlQuery query(db);
            query.exec(sql);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    std::unique_ptr<TestDatabase> m_files;
    QString m_maintenance;
    QString m_server;
    QString m_databaseName;
    std::unique_ptr<Connection> m_first;
    std::unique_ptr<Connection> m_second;
};

class StoredRowsOnEveryBackend : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Server && qEnvironmentVariableIsEmpty("INVENTORY_REQUEST_TEST_SERVER"))
            GTEST_SKIP() << "no test server (INVENTORY_REQUEST_TEST_SERVER)";
        m_workstations = std::make_unique<TwoWorkstations>(GetParam());
    }

    Connection &clerk() { return m_workstations->first(); }
    Connection &other() { return m_workstations->second(); }

    // What the clerk's window would find when its save reads the request again.
    StoredRequest::Change changeSeenBy(const StoredRequest &opened)
    {
        clerk().BeginTrans();
        const StoredRequest now = StoredRequest::read(clerk(), opened.documentNumber());
        clerk().RollbackTrans();
        EXPECT_FALSE(opened.sameRowsAs(now));
        return opened.changeTo(now);
    }

    std::unique_ptr<TwoWorkstations> m_workstations;
};

} // namespace

TEST_P(StoredRowsOnEveryBackend, AReadingStaysTheSameUntilAnotherWorkstationWrites)
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

TEST_P(StoredRowsOnEveryBackend, AnotherWorkstationsLinesAndNewNumbersAreSeenInsideTheTransaction)
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

INSTANTIATE_TEST_SUITE_P(Backends, StoredRowsOnEveryBackend,
                         ::testing::Values(Backend::EmbeddedFiles, Backend::Server),
                         [](const ::testing::TestParamInfo<Backend> &info) {
                             return info.param == Backend::EmbeddedFiles ? std::string("EmbeddedFiles")
                                                                         : std::string("Server");
                         });
