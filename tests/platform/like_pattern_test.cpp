#include "platform/tsql/LikePattern.h"
#include "platform/sqlite/SqliteDialect.h"

#include <QElapsedTimer>
#include <QString>

#include <gtest/gtest.h>

namespace {

struct LikeCase
{
    const char *pattern;
    const char *text;
    bool matches;
};

QString repeated(const char *part, int times)
{
    return QString::fromUtf8(part).repeated(times);
}

} // namespace

TEST(LikePattern, MatchesAsSqlServerDoes)
{
    const LikeCase cases[] = {
        {"PARA%", "paracetamol 500mg", true},
        {"para%", "PARACETAMOL", true},
        {"%MOL", "paracetamol", true},
        {"%MOL", "paracetamols", false},
        {"%", "", true},
        {"_", "", false},
        {"", "", true},
        {"", "a", false},
        {"ER_PHARMACY", "ER PHARMACY", true},
        {"ER_PHARMACY", "ERPHARMACY", false},
        {"%a%b%c", "xaybzc", true},
        {"%a%b%c", "xaybzcq", false},
        {"%ab%c", "aabxabc", true},
        {"%a_c", "abcabd", false},
        {"%a_c", "abdabc", true},
        {"a%%%b", "ab", true},
        {"%_%_%", "a", false},
        {"%_%_%", "ab", true},
        {"[A-C]%", "central", true},
        {"[A-C]%", "delta", false},
        {"[^A-C]%", "delta", true},
        {"[^A-C]%", "Bravo", false},
        {"[xyz]", "Y", true},
        {"[a-cx]1", "x1", true},
        {"[^]", "q", true},
        {"[]", "[]", true},
        {"a[b", "a[b", true},
        {"señor%", "SEÑOR WARD", true},
        {"%É", "café", true},
    };
    for (const LikeCase &c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.text);
        EXPECT_EQ(LikePattern(QString::fromUtf8(c.pattern)).matches(QString::fromUtf8(c.text)), c.matches);
    }
}

TEST(LikePattern, PatIndexFindsTheEarliestStart)
{
    EXPECT_EQ(patIndex(QStringLiteral("%a%c"), QStringLiteral("bbabac")), 3);
    EXPECT_EQ(patIndex(QStringLiteral("%ab"), QStringLiteral("abab")), 3); // the match runs to the end
    EXPECT_EQ(patIndex(QStringLiteral("%a_%"), QStringLiteral("xxa")), 0);
    EXPECT_EQ(patIndex(QStringLiteral("%%"), QStringLiteral("x")), 1);
    EXPECT_EQ(patIndex(QStringLiteral("%%"), QString()), 0);
    EXPECT_EQ(patIndex(QString(), QStringLiteral("x")), 0);
    EXPECT_EQ(patIndex(QStringLiteral("%[^0-9]%"), QStringLiteral("123b4")), 4);
}

// Patterns that make a backtracking matcher try every way of sharing the text between the '%'s
// (far beyond a lifetime for these sizes) are answered in a blink.
TEST(LikePattern, AnyPatternIsAnsweredInTimeLinearInTheText)
{
    const QString longText = repeated("a", 20000);
    const QString patterns[] = {
        repeated("%_", 15) + QStringLiteral("#"),
        repeated("%a", 30) + QStringLiteral("b"),
        repeated("%[a-c]_", 12) + QStringLiteral("%#%"),
    };
    for (const QString &pattern : patterns) {
        SCOPED_TRACE(pattern.toStdString());
        QElapsedTimer timer;
        timer.start();
        const LikePattern like(pattern);
        EXPECT_FALSE(like.matches(longText));
        EXPECT_FALSE(like.matches(QStringLiteral("PARACETAMOL 500MG TABLET")));
        EXPECT_EQ(patIndex(pattern, longText), 0);
        EXPECT_LT(timer.elapsed(), 500);
    }
}
