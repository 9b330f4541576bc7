#include "platform/Database.h"
#include "platform/tsql/LiteralInsert.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

// The embedded files run an insert of literal values as a prepared statement with the values bound
// (a save writes every line that way), and leave the rows alone for an update that only locks them.
// Both must store and return exactly what the statement as written would.

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// Every value of the table, with its storage class, in insertion order.
QString storedValues(const TestDatabase &db, const QString &table)
{
    return db
        .rawValue(QStringLiteral("SELECT group_concat(v, ' | ') FROM (SELECT quote(t) || ':' || typeof(t) || ' ' || "
                                 "quote(r) || ':' || typeof(r) || ' ' || quote(n) || ':' || typeof(n) || ' ' || "
                                 "quote(i) || ':' || typeof(i) || ' ' || quote(b) || ':' || typeof(b) AS v FROM %1 "
                                 "ORDER BY rowid)")
                  .arg(table))
        .toString();
}

} // namespace

TEST(GatewayBoundInserts, LiteralsOfEveryKindAreStoredAsTheStatementWouldStoreThem)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    for (const char *table : {"tbBoundInsert", "tbPlainInsert"})
        db.raw(QStringLiteral("CREATE TABLE %1 (t TEXT, r REAL, n NUMERIC, i INTEGER, b)").arg(S(table)));

    // Each literal goes into a column of every affinity.
    const char *literals[] = {
        "'1.2500'", "'O''NEIL''S'", "''", "'  padded  '", "'12abc'", "'x''); DELETE FROM tbPlainInsert; --'",
        "'SEÑOR'", "0", "3", "007", "1.2500", "1.0", ".5", "1e3", "1.5E-2", "123456789.123456789", "0.1",
        "9223372036854775807", "9223372036854775808", "-3", "- 1.25", "-9223372036854775808", "1e400", "NULL",
        "-NULL", "'3'", "'1e3'", "2.50e+2",
    };
    for (const char *literal : literals) {
        const QString values = QStringList(5, S(literal)).join(QStringLiteral(", "));
        db.connection()->Execute(QStringLiteral("Insert INVENTORY..tbBoundInsert (t, r, n, i, b) Values (%1)").arg(values));
        db.raw(QStringLiteral("INSERT INTO tbPlainInsert (t, r, n, i, b) VALUES (%1)").arg(values));
    }
    // Forms that are no single row of literals run as written.
    for (const char *rest : {"Values (1, 2, 3, 4, 5), (6, 7, 8, 9, 10)", "Select 'a', 1.5, 2, 3, x'00'",
                             "Values (1 + 1, upper('a'), -(2), 'b' || 'c', abs(-4))",
                             "Values ( /* a comment */ 'c' , -- another\n 4.5, 5, 6, 7 ) ;"}) {
        db.connection()->Execute(QStringLiteral("Insert INVENTORY..tbBoundInsert (t, r, n, i, b) %1").arg(S(rest)));
        db.raw(QStringLiteral("INSERT INTO tbPlainInsert (t, r, n, i, b) %1").arg(S(rest)));
    }
    const QString plain = storedValues(db, QStringLiteral("tbPlainInsert"));
    EXPECT_EQ(storedValues(db, QStringLiteral("tbBoundInsert")), plain);
    // A number literal written into a text column keeps SQLite's form of the number.
    EXPECT_TRUE(plain.contains(QStringLiteral("'1.25':text 1.25:real 1.25:real 1.25:real 1.25:real")));
    EXPECT_TRUE(plain.contains(QStringLiteral("'x''); DELETE FROM tbPlainInsert; --':text")));

    // A failing insert fails as written, and the shared statement still serves the next one.
    EXPECT_THROW(db.connection()->Execute(S("Insert INVENTORY..tbNoSuchTable (t) Values ('a')")), Error);
    EXPECT_THROW(db.connection()->Execute(S("Insert INVENTORY..tbBoundInsert (t, nosuch) Values ('a', 1)")), Error);
    db.connection()->Execute(S("Insert INVENTORY..tbBoundInsert (t) Values ('after')"));
    EXPECT_EQ(db.rawValue(S("SELECT count(*) FROM tbBoundInsert WHERE t = 'after'")).toInt(), 1);
}

TEST(GatewayBoundInserts, OnlyOneRowOfLiteralsTakesTheSharedForm)
{
    const auto insert = LiteralInsert::parse(
        S("Insert Into tbInvWithdrawRequest (DocumentNumber, Quantity, UnitCost, Remarks) Values ('8', 3, 1.2500, "
          "'WARD O''NEIL')"));
    ASSERT_TRUE(insert.has_value());
    EXPECT_EQ(insert->shape, S("Insert Into tbInvWithdrawRequest (DocumentNumber, Quantity, UnitCost, Remarks) "
                               "Values (?1, ?2, CAST(?3 AS REAL), ?4)"));
    EXPECT_EQ(insert->values, (QVector<QVariant>{S("8"), qint64(3), S("1.2500"), S("WARD O'NEIL")}));

    for (const char *other : {
             "Insert Into t (a) Values ('x'), ('y')", "Insert Into t (a) Select 'x'", "Insert Into t (a) Values (@x)",
             "Insert Into t (a) Values (?)", "Insert Into t (a) Values ('x'); Delete From t",
             "Insert Into t (a) Values ('unclosed)", "Insert Or Replace Into t (a) Values ('x')",
             "Insert Into t (a) Values (12abc)", "Insert Into t (a) Values (1.2.3)", "Insert Into t (a) Values (x'00')",
             "Insert Into t (a) Values (9223372036854775808)", "Insert Into t Default Values",
             "Insert Into t (a) Values ('x') Returning a", "Update t Set a = 'x'",
         })
        EXPECT_FALSE(LiteralInsert::parse(S(other)).has_value()) << other;
    EXPECT_FALSE(LiteralInsert::parse(S("Insert Into t (a) Values ('x") + QChar(0) + S("y')")).has_value());
}

TEST(GatewayLockingUpdate, OnlyAnUpdateOfEveryColumnToItselfIsALock)
{
    EXPECT_EQ(unchangingUpdateTable(S("Update tbInvWithdrawRequest Set Status = Status Where DocumentNumber = '1' "
                                      "COLLATE MSSQL")),
              S("tbInvWithdrawRequest"));
    EXPECT_EQ(unchangingUpdateTable(S("UPDATE Password.tbX SET a = A, \"b\" = b")), S("tbX"));
    for (const char *other : {"Update t Set a = b", "Update t Set a = a + 0", "Update t Set a = a, b = 'x'",
                              "Update t Set a = a Where x = 1 Returning a", "Update t Set a = a From u",
                              "Update t Set a = t.a", "Delete From t Where a = a", "Select a From t"})
        EXPECT_TRUE(unchangingUpdateTable(S(other)).isEmpty()) << other;
}

// Inside a write transaction the lock leaves the rows as they are; a trigger that watches the table
// still sees the update.
TEST(GatewayLockingUpdate, ATriggerStillSeesTheUpdate)
{
    SKIP_ON_SERVER();
    TestDatabase db;
    const QString lock =
        S("Update INVENTORY..tbInvWithdrawRequest Set Status = Status Where DocumentNumber = '1'");
    const QVariant before = db.rawValue(S("SELECT group_concat(quote(Status)) FROM tbInvWithdrawRequest"));
    db.connection()->BeginTrans();
    db.connection()->Execute(lock);
    db.connection()->CommitTrans();
    EXPECT_EQ(db.rawValue(S("SELECT group_concat(quote(Status)) FROM tbInvWithdrawRequest")), before);

    db.raw(S("CREATE TABLE tbSeenUpdates (DocumentNumber TEXT)"));
    db.raw(S("CREATE TRIGGER trSeenUpdates AFTER UPDATE ON tbInvWithdrawRequest BEGIN INSERT INTO tbSeenUpdates "
             "VALUES (new.DocumentNumber); END"));
    const int lines = db.rawValue(S("SELECT count(*) FROM tbInvWithdrawRequest WHERE DocumentNumber = '1'")).toInt();
    ASSERT_GT(lines, 0);
    db.connection()->BeginTrans();
    db.connection()->Execute(lock);
    db.connection()->CommitTrans();
    EXPECT_EQ(db.rawValue(S("SELECT count(*) FROM tbSeenUpdates")).toInt(), lines);
}
