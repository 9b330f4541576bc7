// Any value joined between quotes with SqlText: the translated statement holds exactly one string
// literal and its value is exactly the value given, so no value can change what the statement does.
#include "platform/Database.h"
#include "platform/tsql/SqlTokenizer.h"
#include "platform/tsql/TsqlAdapter.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &sql)
{
    std::fprintf(stderr, "%s\n%s\n", what, sql.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 4096)
        return 0;
    const auto *bytes = reinterpret_cast<const char *>(data);
    const QString value = size > 0 && (data[0] & 1)
        ? QString(reinterpret_cast<const QChar *>(bytes + 1), qsizetype(size - 1) / 2)
        : QString::fromUtf8(bytes, qsizetype(size));

    const QString head = QStringLiteral("Select * From INVENTORY..tbInvLocation Where Location = '");
    const AdaptedStatement adapted = TsqlAdapter::adapt(head + SqlText(value) + QStringLiteral("'"));
    if (adapted.isProcedureCall())
        fail("became a procedure call", head);
    QStringList literals;
    for (const SqlToken &token : tokenizeSql(adapted.sql)) {
        if (token.kind == SqlToken::String)
            literals << token.stringValue();
    }
    // The value itself, then (for an ASCII text) the bounds of its index range.
    if (literals.size() != 1 && literals.size() != 3)
        fail("neither the value alone nor the value with its range", adapted.sql);
    if (literals.at(0) != value)
        fail("the literal does not hold the value", adapted.sql);
    QString trimmed = value;
    while (trimmed.endsWith(QLatin1Char(' ')))
        trimmed.chop(1);
    if (literals.size() == 3 && (literals.at(1) != trimmed || literals.at(2) != trimmed + QLatin1Char('!')))
        fail("the range does not hold the value", adapted.sql);
    const QString end = literals.size() == 1 ? QStringLiteral("' COLLATE MSSQL") : QStringLiteral("' COLLATE NOCASE)");
    if (!adapted.sql.startsWith(QStringLiteral("Select * From tbInvLocation Where ")) || !adapted.sql.endsWith(end))
        fail("the statement around the value changed", adapted.sql);
    return 0;
}
