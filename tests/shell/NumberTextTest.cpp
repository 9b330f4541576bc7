#include "platform/Error.h"
#include "shell/NumberText.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <random>

#include <cmath>

namespace {

struct ValueCase
{
    const char *text;
    double value;
};

struct TextCase
{
    const char *text;
    bool numeric;
};

struct FormatCase
{
    double value;
    const char *pattern;
    const char *expected;
};

// A workstation set to a decimal-comma region must not change how numbers are read or written.
class GermanLocale
{
public:
    GermanLocale() : m_previous(QLocale()) { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~GermanLocale() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

} // namespace

TEST(NumberText, ValReadsTheLongestLeadingNumber)
{
    const ValueCase cases[] = {
        {"", 0},          {"12abc", 12},     {"1,250.00", 1},   {"-3.5x", -3.5}, {"1e3", 1000},
        {"  42", 42},     {"1 000", 1000},   {"abc", 0},        {".5", 0.5},     {"-.25", -0.25},
        {"2.", 2},        {"7e", 7},         {"7e+", 7},        {"1.5E-2", 0.015}, {"+8", 8},
        {"3.4.5", 3.4},   {"-", 0},          {".", 0},          {"2.5", 2.5},    {"0012", 12},
    };
    for (const ValueCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(Val(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(NumberText, ValOfHugeTextsStaysAValueOrOverflows)
{
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("99999999999999999999")), 1e20);
    EXPECT_THROW(Val(QStringLiteral("1e999")), Error);
    try {
        Val(QStringLiteral("1e999"));
    } catch (const Error &e) {
        EXPECT_EQ(e.Number(), 6);
        EXPECT_EQ(e.Description(), QStringLiteral("Overflow"));
    }
}

TEST(NumberText, IsNumericAcceptsSignsSeparatorsAndExponents)
{
    const TextCase cases[] = {
        {"12", true},        {" 12 ", true},     {"-3.5", true},  {"+4", true},     {"1,250.00", true},
        {"1e3", true},       {"2.5E-3", true},   {".5", true},    {"5.", true},     {"0", true},
        {"", false},         {" ", false},       {".", false},    {"abc", false},   {"1 2", false},
        {"12abc", false},    {"1e", false},      {"--1", false},  {",5", false},    {"1.2.3", false},
        {"1e999", false},    {"1.5,0", false},
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsNumeric(QString::fromLatin1(c.text)), c.numeric);
    }
}

TEST(NumberText, ToNumberReadsGroupedTotalsAtFullValue)
{
    EXPECT_DOUBLE_EQ(ToNumber(QStringLiteral("1,234.5000")), 1234.5);
    EXPECT_DOUBLE_EQ(ToNumber(QStringLiteral("1,234.5000")) + ToNumber(QStringLiteral("3,703.5000")), 4938.0);
    EXPECT_DOUBLE_EQ(ToNumber(QStringLiteral("-1,000,000.25")), -1000000.25);
    EXPECT_DOUBLE_EQ(ToNumber(QStringLiteral("abc")), 0);
    EXPECT_DOUBLE_EQ(ToNumber(QStringLiteral("")), 0);
}

TEST(NumberText, FormatPatternsOfTheEditor)
{
    const FormatCase cases[] = {
        {2.5, "#########0", "3"},
        {3.5, "#########0", "4"},
        {-2.5, "#########0", "-3"},
        {0.4, "#########0", "0"},
        {3 * 1234.5, "###,###,##0.0000", "3,703.5000"},
        {1234567.891, "###,###,##0.0000", "1,234,567.8910"},
        {0, "###,###,##0.0000", "0.0000"},
        {999.5, "###,###,##0.0000", "999.5000"},
        {-1234.5, "###,###,##0.0000", "-1,234.5000"},
        {1234.5, "########0.0000", "1234.5000"},
        {1.25, "########0.0000", "1.2500"},
        {0.00005, "########0.0000", "0.0001"},
        {-0.00004, "########0.0000", "0.0000"},
        {-0.4, "#########0", "0"},
        {12.345, "##0.00", "12.35"},
        {1.005, "##0.00", "1.01"},
        {1234.5678, "##0.00", "1234.57"},
        {7, "#####0", "7"},
        {99.99, "######0", "100"},
        {0.12345, "#######0.0000", "0.1235"},
        {1e20, "#########0", "100000000000000000000"},
        {123456789012.5, "###,###,##0.0000", "123,456,789,012.5000"},
        {0.5, "0.##", "0.5"},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " " + std::to_string(c.value));
        EXPECT_EQ(Format(c.value, QString::fromLatin1(c.pattern)), QString::fromLatin1(c.expected));
    }
}

TEST(NumberText, GeneralNumberAsTheShortestDecimalText)
{
    const struct
    {
        double value;
        const char *expected;
    } cases[] = {
        {12, "12"},       {12.5, "12.5"},    {0.25, "0.25"},        {-3, "-3"},
        {0, "0"},         {-0.0, "0"},       {0.1 + 0.2, "0.3"},    {1e15, "1E+15"},
        {1.5e16, "1.5E+16"}, {123456789012345.0, "123456789012345"}, {0.0001, "0.0001"},
        {0.00001, "1E-05"}, {-2.5e-7, "-2.5E-07"}, {1e100, "1E+100"}, {1234567.125, "1234567.125"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(GeneralNumber(c.value), QString::fromLatin1(c.expected));
    }
}

// Quantities and costs of up to four decimals, of every size the grid shows, read as written.
TEST(NumberText, GeneralNumberOfFourDecimalValuesIsTheDecimalWritten)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + int(random() % 15);
        qint64 units = qint64(random() % 1000000000000000ULL);
        for (int d = digits; d < 15; ++d)
            units /= 10;
        QString decimal = QString::number(units).rightJustified(5, u'0');
        decimal.insert(decimal.size() - 4, u'.');
        while (decimal.endsWith(u'0'))
            decimal.chop(1);
        if (decimal.endsWith(u'.'))
            decimal.chop(1);
        const bool negative = random() % 2;
        const double value = (negative ? -1.0 : 1.0) * (double(units) / 10000);
        const QString expected = units == 0 ? QStringLiteral("0") : (negative ? u'-' + decimal : decimal);
        ASSERT_EQ(GeneralNumber(value), expected) << units;
    }
    EXPECT_EQ(GeneralNumber(1.2500), QStringLiteral("1.25"));
    EXPECT_EQ(GeneralNumber(99999999999.9999), QStringLiteral("99999999999.9999"));
    EXPECT_EQ(GeneralNumber(0.00015), QStringLiteral("0.00015"));
    EXPECT_EQ(GeneralNumber(2.0 / 3.0), QStringLiteral("0.666666666666667"));
}

TEST(NumberText, NumbersIgnoreTheRegionalSettings)
{
    GermanLocale german;
    EXPECT_DOUBLE_EQ(Val(QStringLiteral("2.5")), 2.5);
    EXPECT_TRUE(IsNumeric(QStringLiteral("1,234.50")));
    EXPECT_DOUBLE_EQ(ToNumber(QStringLiteral("1,234.50")), 1234.5);
    EXPECT_EQ(Format(1234.5, QStringLiteral("###,###,##0.0000")), QStringLiteral("1,234.5000"));
    EXPECT_EQ(GeneralNumber(0.25), QStringLiteral("0.25"));
    const QDateTime when(QDate(2026, 12, 7), QTime(15, 5, 9));
    EXPECT_EQ(DateTimeText(when), QStringLiteral("12/07/2026 03:05:09 PM"));
}

TEST(NumberText, SignedTextAndRounding)
{
    EXPECT_EQ(SignedText(4), QStringLiteral(" 4"));
    EXPECT_EQ(SignedText(0), QStringLiteral(" 0"));
    EXPECT_EQ(SignedText(-1), QStringLiteral("-1"));

    EXPECT_EQ(RoundHalfAwayFromZero(2.5), 3);
    EXPECT_EQ(RoundHalfAwayFromZero(-2.5), -3);
    EXPECT_EQ(RoundHalfAwayFromZero(2.4), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.6), 3);
}

TEST(NumberText, CurrencyKeepsFourDecimals)
{
    EXPECT_EQ(Currency::fromDouble(1.25).raw(), 12500);
    EXPECT_EQ(Currency::fromDouble(-3703.5).raw(), -37035000);
    EXPECT_EQ(Currency::fromDouble(0.00005).raw(), 0); // half to even
    EXPECT_EQ(Currency::fromDouble(0.00015).raw(), 2);
    EXPECT_DOUBLE_EQ(Currency::fromDouble(1234.5678).toDouble(), 1234.5678);
    EXPECT_THROW(Currency::fromDouble(1e20), Error);
}

TEST(NumberText, DateTimeTextRoundTrips)
{
    const QDateTime afternoon(QDate(2026, 12, 7), QTime(15, 5, 9));
    EXPECT_EQ(DateTimeText(afternoon), QStringLiteral("12/07/2026 03:05:09 PM"));
    EXPECT_EQ(DateTimeText(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1))), QStringLiteral("01/02/2026 12:00:01 AM"));
    EXPECT_EQ(ParseDateTimeText(QStringLiteral("12/07/2026 03:05:09 PM")), afternoon);
    EXPECT_EQ(ParseDateTimeText(QStringLiteral("12/7/2026")), QDateTime(QDate(2026, 12, 7), QTime(0, 0)));
    EXPECT_FALSE(ParseDateTimeText(QStringLiteral("13/45/2026")).isValid());
    EXPECT_FALSE(ParseDateTimeText(QStringLiteral("")).isValid());
}
