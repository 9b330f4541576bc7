#include "pickers/core/modEncryption.h"

#include <gtest/gtest.h>

namespace {

const QString Key = QStringLiteral("DARVELQUIMSTO");

QString E(const QString &text, const QString &key = Key)
{
    return ScrambleText(QStringLiteral("E"), key, text);
}

QString D(const QString &text, const QString &key = Key)
{
    return ScrambleText(QStringLiteral("D"), key, text);
}

} // namespace

TEST(ScrambleText, ScramblesByTheChainedSubstitution)
{
    EXPECT_EQ(E(QString()), QStringLiteral("5B"));
    // 'a' (97) + 91 = 188 (BC); 188 xor 'K' (75) = 247 (F7); then 'a' + 247 = 344 mod 255 = 89, xor 'K' = 18.
    EXPECT_EQ(E(QStringLiteral("a"), QStringLiteral("K")), QStringLiteral("5BF7"));
    EXPECT_EQ(E(QStringLiteral("aa"), QStringLiteral("K")), QStringLiteral("5BF712"));
    const QString password = E(QStringLiteral("clerk"));
    EXPECT_EQ(password.size(), 2 + 2 * 5);
    EXPECT_EQ(password, E(QStringLiteral("clerk")));
    // Each pair depends on every earlier character through the seed.
    EXPECT_NE(E(QStringLiteral("xlerk")).mid(4), password.mid(4));
}

TEST(ScrambleText, SmallBytesAreABlankAndOneDigit)
{
    // 'a' + 91 = 188 (BC); BC xor B1 = 0D.
    const QString key = QString(QChar(char16_t(0xB1)));
    EXPECT_EQ(E(QStringLiteral("a"), key), QStringLiteral("5B D"));
    EXPECT_EQ(D(QStringLiteral("5B D"), key), QStringLiteral("a"));
}

TEST(ScrambleText, KeyIsUsedCyclically)
{
    // A key of one letter repeated gives the same result as that letter alone.
    EXPECT_EQ(E(QStringLiteral("password"), QStringLiteral("K")), E(QStringLiteral("password"), QStringLiteral("KKKK")));
    // A key longer than the text is used only as far as needed.
    EXPECT_EQ(E(QStringLiteral("ab"), QStringLiteral("XY")), E(QStringLiteral("ab"), QStringLiteral("XYZW")));
    EXPECT_EQ(E(QStringLiteral("abc"), QStringLiteral("XY")).mid(6, 2), E(QStringLiteral("abc"), QStringLiteral("XYX")).mid(6, 2));
}

TEST(ScrambleText, UnscrambleRestoresEveryCode)
{
    QString all;
    for (int code = 1; code <= 254; ++code)
        all += QChar(char16_t(code));
    EXPECT_EQ(D(E(all)), all);
    for (int code = 1; code <= 254; ++code) {
        const QString one = QChar(char16_t(code));
        ASSERT_EQ(D(E(one)), one) << code;
        const QString inner = QStringLiteral("x") + one + QStringLiteral("y");
        ASSERT_EQ(D(E(inner, QStringLiteral("Q")), QStringLiteral("Q")), inner) << code;
    }
}

TEST(ScrambleText, ModesAndMalformedInput)
{
    EXPECT_EQ(ScrambleText(QStringLiteral("e"), Key, QStringLiteral("abc")), QString());
    EXPECT_EQ(ScrambleText(QStringLiteral("d"), Key, E(QStringLiteral("abc"))), QString());
    EXPECT_EQ(ScrambleText(QStringLiteral(""), Key, QStringLiteral("abc")), QString());
    EXPECT_EQ(D(QString()), QString());
    EXPECT_EQ(D(QStringLiteral("5B")), QString());
    EXPECT_EQ(D(QStringLiteral("5BF")), QString());       // odd length
    EXPECT_EQ(D(QStringLiteral("5BZZ")), QString());      // not hexadecimal
    EXPECT_EQ(D(QStringLiteral("5B  ")), QString());      // a pair of blanks
    EXPECT_EQ(D(QStringLiteral("QQ12")), QString());
    EXPECT_EQ(E(QStringLiteral("abc"), QString()), QString()); // empty key
    EXPECT_EQ(D(E(QStringLiteral("abc")), QString()), QString());
    // A character outside the single-byte code page counts as '?'.
    EXPECT_EQ(E(QStringLiteral("\u20AC")), E(QStringLiteral("?")));
}
