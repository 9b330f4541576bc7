#include "platform/Database.h"
#include "platform/tsql/DistinctFirst.h"
#include "platform/tsql/TsqlAdapter.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/tsql/PostgresPasses.h"
#include "records/OfferedStock.h"
#include "tests/support/TestSession.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

QStringList firstColumn(const ResultTable &table)
{
    QStringList values;
    for (const auto &row : table.rows)
        values.append(row.first().toString());
    return values;
}

} // namespace

// A name prefix search finds what SQL Server's Like finds, in any letter case, with quotes and
// when negated, and the item name index serves it.
TEST(AdapterLikePrefix, FindsTheSameItemsAndUsesTheNameIndex)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    Connection *c = db.connection();
    const auto names = [&](const QString &where) {
        return firstColumn(c->Execute(QStringLiteral("Select ItemName From INVENTORY..tbInvMaster A Where ") + where +
                                      QStringLiteral(" Order by ItemName")));
    };

    const QStringList upper = names(QStringLiteral("A.ItemName Like 'PARA%'"));
    EXPECT_EQ(upper, names(QStringLiteral("A.ItemName Like 'para%'")));
    EXPECT_TRUE(upper.contains(QStringLiteral("PARACETAMOL")));
    for (const QString &name : upper)
        EXPECT_TRUE(name.startsWith(QStringLiteral("PARA"), Qt::CaseInsensitive));

    EXPECT_EQ(names(QStringLiteral("ItemName Like 'O''NEIL%'")), QStringList{QStringLiteral("O'NEIL GAUZE")});

    const int all = int(c->Execute(QStringLiteral("Select ItemID From INVENTORY..tbInvMaster")).rows.size());
    const int negated = int(names(QStringLiteral("not A.ItemName Like 'PARA%'")).size());
    EXPECT_EQ(negated + upper.size(), all);

    QSqlQuery plan(c->database());
    ASSERT_TRUE(plan.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT ItemName FROM tbInvMaster A WHERE (A.ItemName LIKE "
                                         "'PARA%' AND A.ItemName >= 'PARA' COLLATE NOCASE AND A.ItemName < 'PARA") +
                          QChar(0xFFFF) + QStringLiteral("' COLLATE NOCASE)")));
    QString detail;
    while (plan.next())
        detail += plan.value(3).toString();
    EXPECT_TRUE(detail.contains(QStringLiteral("ixInvMaster_Name"))) << detail.toStdString();
}

namespace {

QString planOf(Connection *c, const QString &sqlite)
{
    QSqlQuery plan(c->database());
    if (!plan.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sqlite))
        return QString();
    QString detail;
    while (plan.next())
        detail += plan.value(3).toString() + QLatin1Char('\n');
    return detail;
}

} // namespace

// The pending and verified lists read only the pending lines of the user's locations.
TEST(GatewayPlans, RequestListFiltersThroughThePendingIndex)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    const QString statement = QStringLiteral(
        "Select distinct A.DocumentNumber From INVENTORY..tbinvwithdrawrequest A Left Outer Join "
        "INVENTORY..tbinvUserLocation D On A.LocationID = D.LocationID Where D.UserID = '1001' and "
        " isnull(A.Status,'') = ''  and isnull(verifiedby,'') = '' Order By Transdate");
    const QString adapted = TsqlAdapter::adapt(statement).sql;
    EXPECT_TRUE(planOf(db.connection(), adapted).contains(QStringLiteral("ixInvWithdrawRequest_LocationPending")))
        << planOf(db.connection(), adapted).toStdString();
    EXPECT_EQ(firstColumn(db.connection()->Execute(statement)),
              (QStringList{QString::fromLatin1(Demo::PendingDoc), QString::fromLatin1(Demo::FiveLineDoc),
                           QString::fromLatin1(Demo::OtherDeptDoc)}));
}

// The restock suggestion sums the department's open lines from its own index, not from every line.
TEST(GatewayPlans, RestockSuggestionReadsTheDepartmentsOpenLinesByIndex)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    const QString adapted = TsqlAdapter::adapt(OfferedStockStatement(QString::fromLatin1(Demo::EmergencyRoomId),
                                                                     QString::fromLatin1(Demo::CentralSupplyId),
                                                                     QStringLiteral("NEW")))
                                .sql;
    const QString plan = planOf(db.connection(), adapted);
    EXPECT_TRUE(plan.contains(QStringLiteral("ixInvWithdrawRequest_Target"))) << plan.toStdString();
    EXPECT_FALSE(plan.contains(QStringLiteral("SCAN R"))) << plan.toStdString();
}

// Closing a connection leaves the planner's statistics for the tables its queries used.
TEST(GatewayPlans, ClosingAConnectionKeepsStatistics)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    db.connection()->Execute(QStringLiteral("Select ItemID From INVENTORY..tbInvMaster Where ItemName = 'PARACETAMOL'"));
    db.takeConnection().reset();
    EXPECT_GT(db.rawValue(QStringLiteral("SELECT count(*) FROM sqlite_stat1 WHERE tbl = 'tbInvMaster'")).toInt(), 0);
}

namespace {

// Every row of a SQLite statement run as it is, each row's values joined.
QStringList rowsOf(Connection *c, const QString &sqlite)
{
    QSqlQuery query(c->database());
    if (!query.exec(sqlite))
        return {QStringLiteral("failed: ") + query.lastError().text()};
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << (query.value(i).isNull() ? QStringLiteral("<null>") : query.value(i).toString());
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

// A second connection to the test database on the server, straight through Qt's driver, with the
// client's schemas on the search path: what the server does with a statement as it stands.
class DirectServerConnection
{
public:
    DirectServerConnection(const TestDatabase &db, const QString &name) : m_name(name)
    {
        m_database = ServerAddress::open(db.serverName(), name);
        set("search_path = inventory, password, public");
    }
    ~DirectServerConnection()
    {
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    DirectServerConnection(const DirectServerConnection &) = delete;
    DirectServerConnection &operator=(const DirectServerConnection &) = delete;

    void set(const char *setting)
    {
        QSqlQuery(m_database).exec(QStringLiteral("SET ") + QLatin1String(setting));
    }
    QSqlDatabase &database() { return m_database; }

private:
    QString m_name;
    QSqlDatabase m_database;
};

// The rows of a statement as the adapter writes it for the server, run there as it stands, sorted.
QStringList rowsAsWritten(QSqlDatabase &server, const QString &tsql)
{
    QSqlQuery query(server);
    if (!query.exec(TsqlAdapter::adapt(tsql, SqlDialect::Postgres).sql))
        return QStringList{QStringLiteral("failed: ") + query.lastError().text()};
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << (query.value(i).isNull() ? QStringLiteral("<null>") : query.value(i).toString());
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

// The rows of a statement as the client's connection answers it, sorted.
QStringList rowsListed(Connection *connection, const QString &tsql)
{
    QStringList rows;
    for (const auto &row : connection->Execute(tsql).rows) {
        QStringList values;
        for (const QVariant &value : row)
            values << (value.isNull() ? QStringLiteral("<null>") : value.toString());
        rows << values.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}

// The server's plan of a statement in its own SQL, or why it was refused.
QString serverPlan(QSqlDatabase &server, const QString &serverSql)
{
    QSqlQuery query(server);
    if (!query.exec(QStringLiteral("EXPLAIN ") + serverSql))
        return QStringLiteral("failed: ") + query.lastError().text();
    QString plan;
    while (query.next())
        plan += query.value(0).toString() + QLatin1Char('\n');
    return plan;
}

QString requestList(const QString &user, const QString &status, const QString &verified)
{
    return QStringLiteral("Select distinct A.DocumentNumber , B.Location , C.Location ,A.TransDate , (Select Top 1 "
                          "LastName + ', ' + FirstName From Password..tbPasswordMain Where EmployeeID = "
                          "A.UserID),A.targetlocationid  from INVENTORY..tbinvwithdrawrequest A  Left Outer Join "
                          "INVENTORY..tbinvlocation B On A.TargetLocationID = B.LocationID Left Outer Join "
                          "INVENTORY..tbinvLocation C On A.LocationId = C.LocationID Left Outer Join "
                          "INVENTORY..tbinvUserLocation D On A.LocationID = D.LocationID Where D.UserID = '")
        + user + QStringLiteral("' and ") + status + QStringLiteral(" and ") + verified
        + QStringLiteral(" Order By Transdate");
}

} // namespace

// The request list folds its lines into requests before it looks names up, and lists exactly
// what the statement as written lists, also where lines of one request name different employees
// of the same name or the same location in another letter case.
TEST(GatewayPlans, RequestListFoldsLinesBeforeLookingUpNames)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    db.raw(QStringLiteral("INSERT INTO Password.tbPasswordMain (EmployeeID, LastName, FirstName) VALUES "
                          "('3001', 'DELA CRUZ', 'MARIA')"));
    db.raw(QStringLiteral("UPDATE tbInvWithdrawRequest SET UserID = '3001' WHERE WithdrawRequestID = "
                          "(SELECT max(WithdrawRequestID) FROM tbInvWithdrawRequest WHERE DocumentNumber = '2')"));
    db.raw(QStringLiteral("UPDATE tbInvWithdrawRequest SET TargetLocationID = lower(TargetLocationID) || '  ' "
                          "WHERE WithdrawRequestID = (SELECT min(WithdrawRequestID) FROM tbInvWithdrawRequest "
                          "WHERE DocumentNumber = '1')"));
    Connection *c = db.connection();
    const QString statuses[] = {QStringLiteral("isnull(A.Status,'') = ''"), QStringLiteral("A.Status = 'P'")};
    const QString verifications[] = {QStringLiteral("isnull(verifiedby,'') = ''"),
                                     QStringLiteral("isnull(verifiedby,'')<> ''")};
    int listed = 0;
    for (const char *user : {Demo::ClerkId, Demo::SupervisorId}) {
        for (const QString &status : statuses) {
            for (const QString &verified : verifications) {
                const QString adapted = TsqlAdapter::adapt(requestList(QString::fromLatin1(user), status, verified)).sql;
                const QString folded = DistinctFirst::rewrite(adapted);
                SCOPED_TRACE(adapted.toStdString());
                ASSERT_FALSE(folded.isEmpty());
                EXPECT_EQ(rowsOf(c, folded), rowsOf(c, adapted));
                EXPECT_EQ(int(c->Execute(requestList(QString::fromLatin1(user), status, verified)).rows.size()),
                          int(rowsOf(c, adapted).size()));
                listed += int(rowsOf(c, adapted).size());
            }
        }
    }
    EXPECT_GT(listed, 4);
    const QString pending = DistinctFirst::rewrite(TsqlAdapter::adapt(requestList(
        QString::fromLatin1(Demo::ClerkId), statuses[0], verifications[0])).sql);
    const QString plan = planOf(c, pending);
    EXPECT_LT(plan.indexOf(QStringLiteral("USE TEMP B-TREE FOR DISTINCT")),
              plan.indexOf(QStringLiteral("CORRELATED SCALAR SUBQUERY")))
        << plan.toStdString();
}

// Statements of any other shape are left as they are; one whose folded form names a column the
// fold no longer offers runs as written.
TEST(GatewayPlans, OtherStatementsAreNotFolded)
{
    SKIP_ON_SERVER();
    const char *unchanged[] = {
        "SELECT A.DocumentNumber, (SELECT 1) FROM t A LEFT JOIN u B ON A.x = B.x",
        "SELECT DISTINCT A.DocumentNumber FROM t A JOIN u D ON A.x = D.x WHERE D.y = 1",
        "SELECT DISTINCT A.x, B.y FROM t A LEFT JOIN u B ON A.x = B.x WHERE B.z = 1",
        "SELECT DISTINCT A.x, B.y FROM t A, u B WHERE A.x = B.x",
        "SELECT DISTINCT A.x, (SELECT 1) FROM t A GROUP BY A.x",
        "SELECT DISTINCT A.x, (SELECT 1) FROM t A UNION SELECT 1, 2",
        "SELECT DISTINCT A.x, D.w FROM t A LEFT JOIN u B ON A.x = B.x JOIN v D ON B.y = D.y",
    };
    for (const char *sql : unchanged)
        EXPECT_EQ(DistinctFirst::rewrite(QString::fromLatin1(sql)), QString()) << sql;

    TestDatabase db;
    const QString unqualified = QStringLiteral(
        "Select distinct A.DocumentNumber , (Select Top 1 LastName From Password..tbPasswordMain Where EmployeeID = "
        "UserID) From INVENTORY..tbinvwithdrawrequest A Left Outer Join INVENTORY..tbinvlocation B On "
        "A.TargetLocationID = B.LocationID Order By A.DocumentNumber");
    ASSERT_FALSE(DistinctFirst::rewrite(TsqlAdapter::adapt(unqualified).sql).isEmpty());
    const ResultTable rows = db.connection()->Execute(unqualified);
    ASSERT_FALSE(rows.rows.isEmpty());
    EXPECT_EQ(rows.rows.first().at(1).toString(), QStringLiteral("DELA CRUZ"));
}

// On a server the connection runs the request list folded as well (by the exact text of its
// case-insensitive columns first, the requester's name by a join): it lists what the statement as
// written lists, dates as dates, also where lines of one request name another employee, an
// employee missing from the staff register or named in another letter case, or the same location
// in another letter case; a statement whose folded form the server refuses runs as written.
TEST(GatewayPlans, ServerListsFoldedRequestsAsTheStatementIsWritten)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a test of the server connection";
    TestDatabase db;
    db.raw(QStringLiteral("INSERT INTO password.tbPasswordMain (EmployeeID, LastName, FirstName) VALUES "
                          "('3001', 'DELA CRUZ', 'MARIA'), ('ab7', 'SANTOS', 'JOSE')"));
    db.raw(QStringLiteral(
        "UPDATE tbInvWithdrawRequest SET UserID = '9999' WHERE WithdrawRequestID = "
        "(SELECT min(WithdrawRequestID) FROM tbInvWithdrawRequest WHERE DocumentNumber = '2')"));
    db.raw(QStringLiteral(
        "UPDATE tbInvWithdrawRequest SET UserID = 'AB7' WHERE WithdrawRequestID = "
        "(SELECT max(WithdrawRequestID) FROM tbInvWithdrawRequest WHERE DocumentNumber = '1')"));
    db.raw(QStringLiteral("UPDATE tbInvWithdrawRequest SET UserID = '3001' WHERE WithdrawRequestID = "
                          "(SELECT max(WithdrawRequestID) FROM tbInvWithdrawRequest WHERE DocumentNumber = '2')"));
    db.raw(
        QStringLiteral("UPDATE tbInvWithdrawRequest SET TargetLocationID = lower(TargetLocationID) "
                       "WHERE WithdrawRequestID = (SELECT min(WithdrawRequestID) FROM tbInvWithdrawRequest "
                       "WHERE DocumentNumber = '1')"));
    QStringList written;
    DirectServerConnection direct(db, QStringLiteral("ir-test-as-written"));
    QSqlDatabase &server = direct.database();
    const QString statuses[] = {QStringLiteral("isnull(A.Status,'') = ''"), QStringLiteral("A.Status = 'P'")};
    const QString verifications[] = {QStringLiteral("isnull(verifiedby,'') = ''"),
                                      QStringLiteral("isnull(verifiedby,'')<> ''")};
    int listed = 0;
    for (const char *user : {Demo::ClerkId, Demo::SupervisorId}) {
        for (const QString &status : statuses) {
            for (const QString &verified : verifications) {
                const QString list = requestList(QString::fromLatin1(user), status, verified);
                SCOPED_TRACE(list.toStdString());
                ASSERT_FALSE(DistinctFirst::rewrite(TsqlAdapter::adapt(list, SqlDialect::Postgres).sql,
                                            PostgresPasses::distinctFirstOptions())
                         .isEmpty());
                const QStringList rows = rowsListed(db.connection(), list);
                EXPECT_EQ(rows, rowsAsWritten(server, list));
                // The fold compares texts exactly but leaves the dates dates, in date order.
                QDateTime previous;
                for (const auto &row : db.connection()->Execute(list).rows) {
                    ASSERT_EQ(row.at(3).typeId(), QMetaType::QDateTime);
                    EXPECT_LE(previous, row.at(3).toDateTime());
                    previous = row.at(3).toDateTime();
                }
                listed += int(rows.size());
                written << rows;
            }
        }
    }
    EXPECT_GT(listed, 4);
    EXPECT_TRUE(written.join(QLatin1Char('\n')).contains(QStringLiteral("DELA CRUZ, MARIA")));
    EXPECT_TRUE(written.join(QLatin1Char('\n')).contains(QStringLiteral("SANTOS, JOSE")));
    EXPECT_TRUE(written.join(QLatin1Char('\n')).contains(QStringLiteral("<null>")));

    const QString unqualified = QStringLiteral(
        "Select distinct A.DocumentNumber , (Select Top 1 LastName From Password..tbPasswordMain Where EmployeeID = "
        "UserID) From INVENTORY..tbinvwithdrawrequest A Left Outer Join INVENTORY..tbinvlocation B On "
        "A.TargetLocationID = B.LocationID Order By A.DocumentNumber");
    ASSERT_FALSE(DistinctFirst::rewrite(TsqlAdapter::adapt(unqualified, SqlDialect::Postgres).sql).isEmpty());
    EXPECT_EQ(rowsListed(db.connection(), unqualified), rowsAsWritten(server, unqualified));
    EXPECT_FALSE(rowsListed(db.connection(), unqualified).isEmpty());
}

// On a server the product search's name match is served by the name search index, also for a
// name beyond ASCII; a search with no fixed start still finds its names without it.
TEST(GatewayPlans, ServerNameSearchUsesTheNameSearchIndex)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a test of the server's plans";
    TestDatabase db;
    DirectServerConnection direct(db, QStringLiteral("ir-test-search-plan"));
    QSqlDatabase &server = direct.database();
    // The demo catalogue is small enough to read whole; the plan with scans made costly shows
    // whether the index can serve the search at all.
    direct.set("enable_seqscan = off");
    const auto plan = [&](const QString &like) -> QString {
        const QString tsql = QStringLiteral("Select A.ItemID as Code, A.ItemName As [Product Name] From "
                                            "INVENTORY..tbInvMaster A Where ( A.ItemStatus = 0 or A.ItemStatus is "
                                            "Null ) and A.ItemName Like '") +
                             like + QStringLiteral("' Order by A.ItemName, A.ItemDesc");
        return serverPlan(server, TsqlAdapter::adapt(tsql, SqlDialect::Postgres).sql);
    };
    for (const QString &like : {QStringLiteral("P%"), QStringLiteral("PARA%"), QStringLiteral("SEÑOR%"),
                                QStringLiteral("O''NEIL G_UZE%")}) {
        const QString detail = plan(like);
        EXPECT_TRUE(detail.contains(QStringLiteral("ixinvmaster_namesearch"))) << detail.toStdString();
    }
    EXPECT_FALSE(plan(QStringLiteral("%PARA")).contains(QStringLiteral("ixinvmaster_namesearch")));
    const ResultTable found = db.connection()->Execute(QStringLiteral(
        "Select ItemName From INVENTORY..tbInvMaster A Where A.ItemName Like 'o''neil%' Order by ItemName"));
    EXPECT_EQ(firstColumn(found), QStringList{QStringLiteral("O'NEIL GAUZE")});
}

// On a server each state the request list shows (pending or processed, verified or not) is read
// through the index holding that state's lines alone, with no test of Status or Verifiedby left
// for the rows read.
TEST(GatewayPlans, ServerRequestListReadsTheIndexOfItsState)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a test of the server's plans";
    TestDatabase db;
    DirectServerConnection direct(db, QStringLiteral("ir-test-list-plan"));
    QSqlDatabase &server = direct.database();
    direct.set("enable_seqscan = off");
    direct.set("enable_bitmapscan = off");
    const struct
    {
        const char *status;
        const char *verified;
        const char *index;
    } states[] = {
        {"isnull(A.Status,'') = ''", "isnull(verifiedby,'') = ''", "ixinvwithdrawrequest_pending "},
        {"isnull(A.Status,'') = ''", "isnull(verifiedby,'')<> ''",
         "ixinvwithdrawrequest_pendingverified "},
        {"A.Status = 'P'", "isnull(verifiedby,'') = ''", "ixinvwithdrawrequest_processed "},
        {"A.Status = 'P'", "isnull(verifiedby,'')<> ''", "ixinvwithdrawrequest_processedverified "},
    };
    for (const auto &state : states) {
        const QString list =
            requestList(QString::fromLatin1(Demo::ClerkId), QString::fromLatin1(state.status),
                        QString::fromLatin1(state.verified));
        const QString folded = DistinctFirst::rewrite(TsqlAdapter::adapt(list, SqlDialect::Postgres).sql,
                                                      PostgresPasses::distinctFirstOptions());
        const QString plan = serverPlan(server, folded);
        SCOPED_TRACE(plan.toStdString());
        EXPECT_TRUE(plan.contains(QLatin1String("Index Only Scan using ") + QLatin1String(state.index)));
        EXPECT_FALSE(plan.contains(QLatin1String("status")));
        EXPECT_FALSE(plan.contains(QLatin1String("verifiedby")));
    }
}

// On a server a lookup of one row by a key equal to a column of the folded table is answered by a
// join, with the rows and the column names of the statement as written: by a unique key or not,
// found or missing, named by an alias or not. A lookup of any other shape stays a lookup.
TEST(GatewayPlans, ServerLooksUpByJoiningWithTheRowsOfTheStatementAsWritten)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "a test of the server connection";
    TestDatabase db;
    db.raw(QStringLiteral(
        "UPDATE tbInvWithdrawRequest SET TargetLocationID = 'NOWHERE' WHERE WithdrawRequestID = "
        "(SELECT min(WithdrawRequestID) FROM tbInvWithdrawRequest)"));
    DirectServerConnection direct(db, QStringLiteral("ir-test-lookups"));
    QSqlDatabase &server = direct.database();
    const QString from = QStringLiteral(" From INVENTORY..tbinvwithdrawrequest A Left Outer Join "
                                        "INVENTORY..tbinvlocation B On A.LocationID = "
                                        "B.LocationID Order By A.DocumentNumber");
    const struct
    {
        const char *select;
        bool joined;
        bool anyMatch = false; // several rows match, with different values: any one of them
    } shapes[] = {
        // a unique key, qualified by the table's alias; a target missing from the locations
        {"Select distinct A.DocumentNumber, (Select Top 1 Location From INVENTORY..tbInvLocation L Where "
         "L.LocationID = A.TargetLocationID), B.Location",
         true},
        // a key that is not unique (a location has several users), every match with the same value
        {"Select distinct A.DocumentNumber, (Select Top 1 LocationID From INVENTORY..tbinvUserLocation "
         "Where "
         "LocationID = A.LocationID) As Served, B.Location",
         true},
        // a key that is not unique, the matches differing: one row still, whichever
        {"Select distinct A.DocumentNumber, (Select Top 1 UserID From INVENTORY..tbinvUserLocation Where "
         "LocationID = A.LocationID) As Anyone, B.Location",
         true, true},
        // more than the key compared, another table's column, or no Top 1: left as lookups
        {"Select distinct A.DocumentNumber, (Select Top 1 Location From INVENTORY..tbInvLocation Where "
         "LocationID = A.TargetLocationID And Status = 'A'), B.Location",
         false},
        {"Select distinct A.DocumentNumber, (Select Top 1 Location From INVENTORY..tbInvLocation Where "
         "LocationID = B.LocationID), B.Location",
         false},
        {"Select distinct A.DocumentNumber, (Select Location From INVENTORY..tbInvLocation Where "
         "LocationID = A.TargetLocationID), B.Location",
         false},
    };
    for (const auto &shape : shapes) {
        const QString tsql = QString::fromLatin1(shape.select) + from;
        SCOPED_TRACE(tsql.toStdString());
        const QString folded = DistinctFirst::rewrite(TsqlAdapter::adapt(tsql, SqlDialect::Postgres).sql,
                                                      PostgresPasses::distinctFirstOptions());
        EXPECT_EQ(folded.contains(QLatin1String("LEFT JOIN (SELECT")), shape.joined)
            << folded.toStdString();
        const QStringList rows = rowsListed(db.connection(), tsql);
        if (shape.anyMatch)
            EXPECT_EQ(rows.size(), rowsAsWritten(server, tsql).size());
        else
            EXPECT_EQ(rows, rowsAsWritten(server, tsql));
        EXPECT_GT(rows.size(), 1);
        QSqlQuery written(server);
        ASSERT_TRUE(written.exec(TsqlAdapter::adapt(tsql, SqlDialect::Postgres).sql));
        QStringList names;
        for (int i = 0; i < written.record().count(); ++i)
            names << written.record().fieldName(i);
        // The connection gives the names the letter case the statement writes them in.
        EXPECT_EQ(db.connection()->Execute(tsql).columns.join(QLatin1Char(',')).toLower(),
                  names.join(QLatin1Char(',')));
    }
    EXPECT_TRUE(rowsListed(db.connection(), QString::fromLatin1(shapes[0].select) + from)
                    .join(QLatin1Char('\n'))
                    .contains(QLatin1String("<null>")));
}
