#include "shell/CsvWriter.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray Written(const QList<QStringList> &rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CsvWriter csv(buffer);
    for (const QStringList &row : rows)
        csv.writeRow(row);
    EXPECT_TRUE(csv.ok());
    return buffer.data();
}

TEST(CsvWriter, QuotesOnlyTheFieldsThatNeedIt)
{
    struct Case
    {
        const char *text;
        const char *field;
    } cases[] = {
        {"PARACETAMOL", "PARACETAMOL"},
        {"", ""},
        {"1,234.5000", "\"1,234.5000\""},
        {"O'NEIL \"4X4\" GAUZE", "\"O'NEIL \"\"4X4\"\" GAUZE\""},
        {"first line\nsecond", "\"first line\nsecond\""},
        {"ends in CR\r", "\"ends in CR\r\""},
        {" leading and trailing ", " leading and trailing "},
        {"NIÑO Ürologie 病房", "NIÑO Ürologie 病房"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CsvWriter::field(QString::fromUtf8(c.text)), QString::fromUtf8(c.field)) << c.text;
}

TEST(CsvWriter, WritesUtf8WithAByteOrderMarkAndCrLfLines)
{
    const QByteArray bytes = Written({{"Code", "Name"}, {"10001", "NIÑO, \"A\""}, {"", ""}});
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF"
                                "Code,Name\r\n10001,\"NI\xC3\x91O, \"\"A\"\"\"\r\n,\r\n"));
}

} // namespace
