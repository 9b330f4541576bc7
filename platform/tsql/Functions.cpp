// SQL Server's functions as the engine has them; the names and conversions that differ are the
// dialect's tables (SqlitePasses, PostgresPasses).

#include "platform/tsql/Passes.h"

namespace {

// Len counts the characters without the trailing blanks, as on SQL Server.
void len(Statement &st, int s)
{
    const int close = st.closing(s + 1);
    if (close < 0) {
        st.out(s) = QStringLiteral("length");
        return;
    }
    st.out(s) = QStringLiteral("length(rtrim");
    st.out(close) += QLatin1Char(')');
}

void convert(Statement &st, int s)
{
    const SqlToken &type = st.tok(s + 2);
    if (type.kind != SqlToken::Word)
        return;
    int comma = s + 3;
    QString length;
    if (st.tok(comma).is("(") && st.tok(comma + 1).kind == SqlToken::Number && st.tok(comma + 2).is(")")) {
        length = st.tok(comma + 1).text;
        comma += 3;
    }
    if (!st.tok(comma).is(","))
        return;
    const int close = st.closing(s + 1);
    if (close < 0)
        return;
    Dialect::Conversion conversion;
    if (isTextType(type))
        conversion = {QStringLiteral("convert_varchar"),
                      QStringLiteral(", ") + (length.isEmpty() ? QStringLiteral("30") : length)};
    else if (isOneOf(type, {"int", "integer", "bigint", "smallint", "tinyint", "bit"}))
        conversion = st.dialect().toInteger;
    else if (isOneOf(type, {"float", "real", "decimal", "numeric", "money", "smallmoney"}))
        conversion = st.dialect().toReal;
    else if (isOneOf(type, {"datetime", "smalldatetime", "date"}))
        conversion = st.dialect().toDate;
    else
        return;
    st.out(s) = conversion.head;
    for (int j = s + 2; j <= comma; ++j)
        st.out(j).clear();
    st.out(close).prepend(conversion.tail);
}

} // namespace

namespace TsqlPasses {

// Select IsNull(Remarks, '') + SubString(ItemName, 1, 4), Len(Location), Convert(VarChar(10), x)
//   -> Select ifnull(Remarks, '') + substr(ItemName, 1, 4), length(rtrim(Location)),
//      convert_varchar(x, 10)                                         (files; coalesce on the server)
// Convert(Integer, x) -> CAST(x AS INTEGER). GetDate() and PatIndex are the engine's own functions.
void functions(Statement &st)
{
    for (int s = 0; s < st.count(); ++s) {
        const SqlToken &t = st.tok(s);
        if (t.kind != SqlToken::Word || !st.tok(s + 1).is("(") || st.startsDatabaseName(s) || st.followsDot(s))
            continue;
        if (t.is("len")) {
            len(st, s);
            continue;
        }
        if (t.is("convert")) {
            convert(st, s);
            continue;
        }
        for (const Dialect::Function &function : st.dialect().functions) {
            if (t.is(function.client)) {
                st.out(s) = function.name;
                break;
            }
        }
    }
}

} // namespace TsqlPasses
