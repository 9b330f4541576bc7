#include "platform/Error.h"
#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/Passes.h"

namespace {

[[noreturn]] void syntaxError(const QString &near)
{
    throw Error(Error::DatabaseError, QStringLiteral("Database"),
                QStringLiteral("Incorrect syntax near '%1'.").arg(near));
}

QVariant numberValue(const QString &text, bool negative)
{
    bool ok = false;
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'), Qt::CaseInsensitive)) {
        const qint64 value = text.toLongLong(&ok);
        if (ok)
            return negative ? -value : value;
    }
    const double value = text.toDouble(&ok);
    return negative ? -value : value;
}

} // namespace

namespace TsqlPasses {

// A statement that starts with a name that is not a SQL keyword calls a stored procedure:
// [Exec] db..proc arg, arg ... with quoted texts, numbers or bare words as arguments. The
// arguments are values to bind, never joined into SQL.
//   Inventory..sp_Inv_SearchItem_In_Invent '10001', 94
//     -> procedure sp_Inv_SearchItem_In_Invent, arguments "10001" and 94
// Throws Error for a call whose arguments are not literals.
std::optional<AdaptedStatement> procedureCall(const Statement &st)
{
    if (st.tok(0).kind != SqlToken::Word || isStatementKeyword(st.tok(0)))
        return std::nullopt;
    AdaptedStatement result;
    int s = 0;
    if (st.tok(s).is("exec") || st.tok(s).is("execute"))
        ++s;
    if (!isName(st.tok(s)))
        syntaxError(st.tok(s).text);
    QString name = st.tok(s).nameValue();
    ++s;
    while ((st.tok(s).is("..") || st.tok(s).is(".")) && isName(st.tok(s + 1))) {
        name = st.tok(s + 1).nameValue();
        s += 2;
    }
    result.procedure = name;
    bool expectArgument = s < st.count() && !st.tok(s).is(";");
    while (expectArgument) {
        const SqlToken &t = st.tok(s);
        if (t.kind == SqlToken::String) {
            result.arguments.append(t.stringValue());
            ++s;
        } else if (t.kind == SqlToken::Number) {
            result.arguments.append(numberValue(t.text, false));
            ++s;
        } else if ((t.is("-") || t.is("+")) && st.tok(s + 1).kind == SqlToken::Number) {
            result.arguments.append(numberValue(st.tok(s + 1).text, t.is("-")));
            s += 2;
        } else if (t.is("null")) {
            result.arguments.append(QVariant());
            ++s;
        } else if (t.kind == SqlToken::Word) {
            result.arguments.append(t.text);
            ++s;
        } else {
            syntaxError(t.text);
        }
        if (s >= st.count() || st.tok(s).is(";"))
            break;
        if (!st.tok(s).is(","))
            syntaxError(st.tok(s).text);
        ++s;
    }
    if (s < st.count() && st.tok(s).is(";"))
        ++s;
    if (s < st.count())
        syntaxError(st.tok(s).text);
    return result;
}

} // namespace TsqlPasses
