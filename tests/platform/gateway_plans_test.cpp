#include "platform/Database.h"
#include "platform/TsqlAdapter.h"
#include "tests/support/TestSession.h"

#include <QSqlQuery>
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

// Closing a connection leaves the planner's statistics for the tables its queries used.
TEST(GatewayPlans, ClosingAConnectionKeepsStatistics)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    db.connection()->Execute(QStringLiteral("Select ItemID From INVENTORY..tbInvMaster Where ItemName = 'PARACETAMOL'"));
    db.takeConnection().reset();
    EXPECT_GT(db.rawValue(QStringLiteral("SELECT count(*) FROM sqlite_stat1 WHERE tbl = 'tbInvMaster'")).toInt(), 0);
}
