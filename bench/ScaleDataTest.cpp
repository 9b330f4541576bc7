#include "bench/ScaleData.h"
#include "bench/ServerData.h"

#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const ScaleData::Size kSmall = ScaleData::Size::scaledDown(100);

QVariant scalar(Connection &connection, const QString &sql)
{
    const ResultTable table = connection.Execute(sql);
    return table.rows.isEmpty() ? QVariant() : table.rows.first().first();
}

// Every row of the request and stock tables, in key order, hashed: equal data, equal hash.
QByteArray contentHash(Connection &connection)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char *sql : {"Select * From INVENTORY..tbInvWithdrawRequest Order By WithdrawRequestID",
                            "Select * From INVENTORY..tbInvent Order By ItemID, LocationID",
                            "Select * From INVENTORY..tbInvMaster Order By ItemID",
                            "Select * From Password..tbPasswordMain Order By EmployeeID"}) {
        for (const QVector<QVariant> &row : connection.Execute(QString::fromLatin1(sql)).rows)
            for (const QVariant &value : row)
                hash.addData(QByteArray((value.isNull() ? QStringLiteral("<null>") : value.toString()).toUtf8() + "|"));
    }
    return hash.result();
}

class ScaleDataTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_folder = ScaleData::cachedFolder(s_dir->path(), 7, kSmall);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_folder;
};

TEST_F(ScaleDataTest, FillsEveryTableToTheRequestedSize)
{
    auto connection = Connection::open(s_folder);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvMaster")).toInt(), kSmall.items);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvLocation")).toInt(),
              kSmall.locations);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvent")).toInt(),
              kSmall.stockRows);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From Password..tbPasswordMain")).toInt(),
              kSmall.staff);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvWithdrawRequest")).toInt(),
              kSmall.requestRows);
    EXPECT_EQ(scalar(*connection,
                     QStringLiteral("Select count(distinct DocumentNumber) From INVENTORY..tbInvWithdrawRequest"))
                  .toInt(),
              kSmall.requests);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvKit")).toInt(), kSmall.kits);
    // Every kit has components, and every kit item of the catalogue names an existing kit.
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvKit K Where not exists "
                                                 "(Select 1 From INVENTORY..tbInvKitItem I Where I.KitID = K.KitID)"))
                  .toInt(),
              0);
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvMaster M Where M.KitID is "
                                                 "not null and not exists (Select 1 From INVENTORY..tbInvKit K "
                                                 "Where K.KitID = M.KitID)"))
                  .toInt(),
              0);
}

TEST_F(ScaleDataTest, RequestsComeInEveryStateAndKeepTheirHeaderOnEveryLine)
{
    auto connection = Connection::open(s_folder);
    const char *states[] = {
        "isnull(Status,'') = '' and isnull(Verifiedby,'') = ''",
        "isnull(Status,'') = '' and isnull(Verifiedby,'') <> ''",
        "Status = 'P' and isnull(Verifiedby,'') <> ''",
        "Status = 'D'",
    };
    for (const char *state : states)
        EXPECT_GT(scalar(*connection, QStringLiteral("Select count(distinct DocumentNumber) From "
                                                     "INVENTORY..tbInvWithdrawRequest Where %1")
                                          .arg(QString::fromLatin1(state)))
                      .toInt(),
                  0)
            << state;
    // Header columns are one per request, as a save writes them.
    EXPECT_EQ(scalar(*connection,
                     QStringLiteral("Select count(*) From (Select DocumentNumber From INVENTORY..tbInvWithdrawRequest "
                                    "Group By DocumentNumber Having count(distinct LocationID) > 1 or "
                                    "count(distinct TargetLocationID) > 1 or count(distinct TransDate) > 1 or "
                                    "count(distinct isnull(Status,'')) > 1 or count(distinct UserID) > 1) X"))
                  .toInt(),
              0);
    // Lines of one request name distinct items.
    EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From (Select DocumentNumber, ItemID From "
                                                 "INVENTORY..tbInvWithdrawRequest Group By DocumentNumber, ItemID "
                                                 "Having count(*) > 1) X"))
                  .toInt(),
              0);
}

TEST_F(ScaleDataTest, TheBenchmarkFactsHold)
{
    const ScaleData::Facts facts = ScaleData::factsFor(kSmall);
    auto connection = Connection::open(s_folder);
    for (const auto &[document, lines] : {std::pair{facts.request200, ScaleData::Facts::Lines200},
                                          std::pair{facts.request2000, ScaleData::Facts::Lines2000}}) {
        const ResultTable rows = connection->Execute(
            QStringLiteral("Inventory..sp_Inv_LoadWithdrawalRequest '%1'").arg(document));
        EXPECT_EQ(rows.rows.size(), lines) << document.toStdString();
        EXPECT_EQ(scalar(*connection, QStringLiteral("Select count(*) From INVENTORY..tbInvWithdrawRequest Where "
                                                     "DocumentNumber = '%1' and LocationID = '%2' and "
                                                     "TargetLocationID = '%3' and isnull(Status,'') = '' and "
                                                     "isnull(Verifiedby,'') = ''")
                                      .arg(document, QLatin1String(ScaleData::Facts::Pharmacy),
                                           QLatin1String(ScaleData::Facts::Ward)))
                      .toInt(),
                  lines);
    }
    EXPECT_EQ(connection->Execute(QStringLiteral("INVENTORY..sp_Inv_UserLocation '%1'")
                                      .arg(QLatin1String(ScaleData::Facts::Employee)))
                  .rows.size(),
              ScaleData::Facts::UserLocations);

    // The benchmark employee logs on with the documented password.
    qputenv("INVENTORY_REQUEST_DATA", s_folder.toUtf8());
    struct Answer : LogonPrompt
    {
        bool asked = false;
        std::optional<LogonCredentials> ask() override
        {
            if (std::exchange(asked, true))
                return std::nullopt;
            return LogonCredentials{QLatin1String(ScaleData::Facts::Employee),
                                    QLatin1String(ScaleData::Facts::Password), QString()};
        }
    } answer;
    CurrentUser user(&answer, [](const QString &password) {
        return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
    });
    user.ShowMain();
    EXPECT_TRUE(user.Connected());
    qunsetenv("INVENTORY_REQUEST_DATA");
}

TEST_F(ScaleDataTest, TheSameSeedGivesTheSameDataAndTheCacheIsReused)
{
    QTemporaryDir other;
    const QString again = ScaleData::cachedFolder(other.path(), 7, kSmall);
    {
        auto first = Connection::open(s_folder);
        auto second = Connection::open(again);
        EXPECT_EQ(contentHash(*first), contentHash(*second));
    }
    // A second call finds the folder and does not build it again.
    const QDateTime built = QFileInfo(QDir(again).filePath(QStringLiteral("INVENTORY.sqlite"))).lastModified();
    EXPECT_EQ(ScaleData::cachedFolder(other.path(), 7, kSmall), again);
    EXPECT_EQ(QFileInfo(QDir(again).filePath(QStringLiteral("INVENTORY.sqlite"))).lastModified(), built);

    QTemporaryDir third;
    auto different = Connection::open(ScaleData::cachedFolder(third.path(), 8, kSmall));
    auto first = Connection::open(s_folder);
    EXPECT_NE(contentHash(*first), contentHash(*different));
}

// The server copy holds what the files hold: every table's rows, the same requests in the same
// states, and a dump restored on a server without the template gives the same again.
TEST_F(ScaleDataTest, TheServerCopyHoldsTheSameRowsAsTheFiles)
{
    const QString server = qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER").trimmed();
    if (server.isEmpty())
        GTEST_SKIP() << "no PostgreSQL server given: INVENTORY_REQUEST_TEST_SERVER names one";
    const QStringList checks = {
        QStringLiteral("Select count(*) From INVENTORY..tbInvMaster"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvLocation"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvent"),
        QStringLiteral("Select count(*) From INVENTORY..tbinvUserLocation"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvUserSettings"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvKit"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvKitItem"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvSupplier"),
        QStringLiteral("Select count(*) From INVENTORY..tbforGeneric"),
        QStringLiteral("Select count(*) From INVENTORY..tbPharmaSwitch"),
        QStringLiteral("Select count(*) From Password..tbPasswordMain"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvWithdrawRequest"),
        QStringLiteral("Select count(distinct DocumentNumber) From INVENTORY..tbInvWithdrawRequest Where "
                       "isnull(Status,'') = '' and isnull(Verifiedby,'') = ''"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvWithdrawRequest Where Status = 'P'"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvWithdrawRequest Where verifiedDate is null"),
        QStringLiteral("Select count(*) From INVENTORY..tbInvWithdrawRequest Where TransDate >= '2026-01-01 00:00:00'"),
        QStringLiteral("Select sum(Quantity) From INVENTORY..tbInvWithdrawRequest"),
        QStringLiteral("Select max(WithdrawRequestID) From INVENTORY..tbInvWithdrawRequest"),
    };
    auto files = Connection::open(s_folder);
    QDir dumps(s_dir->path());
    const QString work = QStringLiteral("ir_bench_test_%1").arg(QCoreApplication::applicationPid());
    for (const char *round : {"loaded", "restored from the dump"}) {
        const QString database = ServerData::workingDatabase(server, s_folder, dumps.path(), work);
        {
            auto copy = Connection::openServer(database);
            for (const QString &check : checks)
                EXPECT_EQ(scalar(*copy, check).toLongLong(), scalar(*files, check).toLongLong())
                    << round << ": " << check.toStdString();
            // A new line is numbered after the copied ones.
            copy->Execute(QStringLiteral("Insert INVENTORY..tbInvWithdrawRequest (DocumentNumber, ItemID) "
                                         "Values ('999999', '200001')"));
            EXPECT_GT(scalar(*copy, QStringLiteral("Select WithdrawRequestID From INVENTORY..tbInvWithdrawRequest "
                                                   "Where DocumentNumber = '999999'"))
                          .toLongLong(),
                      kSmall.requestRows);
        }
        ServerData::dropDatabase(server, work);
        // The next round finds no template database, only the dump this one left.
        ASSERT_EQ(dumps.entryList({QStringLiteral("*.dump")}).size(), 1);
        const QString templateDatabase = QStringLiteral("ir_bench_") + dumps.entryList({QStringLiteral("*.dump")})
                                                                          .first()
                                                                          .section(QStringLiteral("-pg"), -1)
                                                                          .chopped(5);
        ServerData::dropDatabase(server, templateDatabase);
    }
}

} // namespace

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(db);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
