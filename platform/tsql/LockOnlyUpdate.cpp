#include "platform/tsql/LockOnlyUpdate.h"

#include "platform/tsql/SqlTokenizer.h"

namespace {

// A name the engines read as a name: a plain word (not a parameter such as @x or $x) or a quoted one.
bool isPlainName(const SqlToken &token)
{
    if (token.kind == SqlToken::QuotedName)
        return true;
    if (token.kind != SqlToken::Word)
        return false;
    for (const QChar c : token.text) {
        if (c == QLatin1Char('@') || c == QLatin1Char('#') || c == QLatin1Char('$'))
            return false;
    }
    return true;
}

} // namespace

std::optional<LockOnlyUpdate> LockOnlyUpdate::parse(const QString &sql)
{
    const SignificantTokens statement(sql);
    const int count = statement.count();
    auto tok = [&](int s) -> const SqlToken & { return statement.at(s); };

    if (!tok(0).is("update") || !isPlainName(tok(1)))
        return std::nullopt;
    LockOnlyUpdate update;
    update.table = tok(1).nameValue();
    int s = 2;
    if (tok(s).is(".")) {
        if (!isPlainName(tok(s + 1)))
            return std::nullopt;
        update.table = tok(s + 1).nameValue();
        s += 2;
    }
    update.target = statement.textBefore(1, s).trimmed();
    if (!tok(s).is("set"))
        return std::nullopt;
    do {
        const SqlToken &column = tok(s + 1);
        const SqlToken &value = tok(s + 3);
        if (!isPlainName(column) || !tok(s + 2).is("=") || !isPlainName(value)
            || column.nameValue().compare(value.nameValue(), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        s += 4;
    } while (tok(s).is(","));
    // The condition only chooses rows; a RETURNING clause would give them back.
    if (s < count && !tok(s).is("where") && !tok(s).is(";"))
        return std::nullopt;
    int end = count;
    while (end > s && tok(end - 1).is(";"))
        --end;
    for (int i = s; i < end; ++i) {
        if (tok(i).is("returning") || tok(i).is(";"))
            return std::nullopt;
    }
    update.condition = statement.textBefore(s, end).trimmed();
    return update;
}

QString unchangingUpdateTable(const QString &sql)
{
    const auto update = LockOnlyUpdate::parse(sql);
    return update ? update->table : QString();
}
