#include "platform/Database.h"
#include "platform/Error.h"
#include "platform/tsql/SqlTokenizer.h"
#include "platform/tsql/TsqlAdapter.h"

#include <QRegularExpression>
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// Statements cut short, unbalanced, or made of the adapter's own rewrite triggers in odd places:
// the kind of text that reaches the adapter when a value ends a statement early.
QStringList nastyStatements()
{
    QStringList corpus{
        S(""), S("'"), S("''"), S("'''"), S("["), S("]]"), S("[a]]b"), S("\""), S("N'"), S("N"), S(".."),
        S("x.."), S("..x"), S("INVENTORY.."), S("INVENTORY..."), S("INVENTORY.dbo."), S("Password.dbo.x.y"),
        S("Select Top"), S("Select Top ("), S("Select Top (5"), S("Select Top 5"), S("Top 5 x"),
        S("Select (Select Top 1 a From b"), S("Select Distinct Top 2 a From b) c ; d"), S("Insert"), S("Delete"),
        S("Delete From"), S("Insert Into"), S("+"), S("+ + +"), S("'a' +"), S("+ 'a'"), S("(+'a')"),
        S("Select a + (b + 'c'"), S("Select ) + 'a' + ("), S("Select Convert("), S("Select Convert(VarChar"),
        S("Select Convert(VarChar(,"), S("Select Convert(VarChar(10), x"), S("Select Convert(int, ))"),
        S("Select IsNull("), S("Select SubString"), S("Select Len()"), S("Case When Then End"), S("exec"),
        S("exec 'a'"), S("Exec x 'a',"), S("x 'a',,"), S("x -"), S("x - 'a'"), S("x null, NULL"), S("x ;;"),
        S("Inventory..sp_Inv_LoadWithdrawalRequest 'NEW' garbage"), S("/* open"), S("-- only a comment"),
        S("Select 1e"), S("Select 1e+"), S("Select .5.5..6"), S("Select 1..2"), S("Select '12/07/2026 03:05:09 PM'"),
        S("Select '13/45/2026 99:99:99 PM'"), S("Select '02/30/2026 01:00:00 AM' = x"), S("Select = 'a' ="),
        S("Select 'a' COLLATE"), S("Select \u00e9\u00f1 + '\u00fc'"), S("Select [\u4e2d\u6587] From \"\u0436\""),
        S("Select 'x\\' From y"), S("Select ';' ; Select 2"),
    };
    corpus << QString(QChar(0)) << S("Select '") + QChar(0) + S("' + 1");
    corpus << QString(1, QChar(0xD800)) + S("'a'") << S("'") + QString(1, QChar(0xDC00));
    corpus << QString(3000, QLatin1Char('(')) << S("Select ") + QString(2000, QLatin1Char('+'))
           << QString(500, QLatin1Char('\'')) << S("Select Top 1 ").repeated(300)
           << S("'a' + ").repeated(400) + S("'b'");
    return corpus;
}

// Values a user might type into a search or a remark.
QStringList nastyValues()
{
    QStringList values{S("O'NEIL"), S("'"), S("''"), S("x' OR '1'='1"), S("x'; Delete From tbInvLocation; --"),
                       S("' + (Select Password From Password..tbPasswordMain) + '"), S("]"), S("[x]"), S("\""),
                       S("--"), S("/*"), S("12/07/2026 03:05:09 PM"), S("%"), S("_"), S("\\'"), S("N'x'"),
                       S("\u00d1O\u00d1O"), S("\u4e2d'\u6587")};
    values << QString(1, QChar(0)) << S("x") + QChar(0) + S("' OR 1=1 --") << QString(1, QChar(0xD800)) + S("'")
           << QString(5000, QLatin1Char('\''));
    return values;
}

} // namespace

TEST(AdapterCorpus, OddStatementsTranslateOrFailCleanly)
{
    for (const QString &statement : nastyStatements()) {
        SCOPED_TRACE(statement.left(80).toStdString());
        QString joined;
        for (const SqlToken &token : tokenizeSql(statement))
            joined += token.text;
        EXPECT_EQ(joined, statement);
        try {
            (void)TsqlAdapter::adapt(statement);
        } catch (const Error &) {
            // A refusal is a clean outcome; anything else escaping is not.
        }
    }
}

// A value joined between quotes with SqlText stays one literal with exactly the value, whatever
// it holds, so no value can change what the statement does.
TEST(AdapterCorpus, AQuotedValueStaysOneLiteral)
{
    for (const QString &value : nastyValues()) {
        SCOPED_TRACE(value.left(80).toStdString());
        const AdaptedStatement adapted = TsqlAdapter::adapt(
            S("Select * From INVENTORY..tbInvLocation Where Location = '") + SqlText(value) + S("'"));
        ASSERT_FALSE(adapted.isProcedureCall());
        QStringList literals;
        for (const SqlToken &token : tokenizeSql(adapted.sql)) {
            if (token.kind == SqlToken::String)
                literals << token.stringValue();
        }
        // The value itself, then (for an ASCII text) the bounds of its index range.
        ASSERT_TRUE(literals.size() == 1 || literals.size() == 3) << adapted.sql.toStdString();
        EXPECT_EQ(literals.at(0), value);
        if (literals.size() == 3) {
            const QString trimmed = QString(value).remove(QRegularExpression(S(" +$")));
            EXPECT_EQ(literals.at(1), trimmed);
            EXPECT_EQ(literals.at(2), trimmed + S("!"));
        }
        EXPECT_TRUE(adapted.sql.startsWith(S("Select * From tbInvLocation Where ")));
        EXPECT_TRUE(adapted.sql.endsWith(literals.size() == 1 ? S("' COLLATE MSSQL") : S("' COLLATE NOCASE)")));
    }
}

TEST(AdapterCorpus, QuotedValuesFindOnlyWhatTheyName)
{
    TestDatabase db;
    Connection *connection = db.connection();
    auto count = [&](const QString &value) {
        return connection
            ->Execute(S("Select Count(*) From INVENTORY..tbInvLocation Where Location = '") + SqlText(value) + S("'"))
            .rows.value(0)
            .value(0)
            .toInt();
    };
    EXPECT_EQ(count(S("central supply  ")), 1);
    for (const QString &value : nastyValues()) {
        SCOPED_TRACE(value.left(80).toStdString());
        try {
            EXPECT_EQ(count(value), 0);
        } catch (const Error &) {
            // Only a value with a NUL may be refused: the database reads the statement up to it.
            EXPECT_TRUE(value.contains(QChar(0)));
        }
    }
    EXPECT_EQ(db.rawValue(S("Select Count(*) From tbInvLocation")).toInt(), Demo::LocationCount);
}
