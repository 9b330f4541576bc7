// Ranges of the columns' own NOCASE collation that the embedded files' indexes serve. The client's
// Like and MSSQL comparison are functions SQLite cannot plan with; a range every matching value
// lies in, added with AND, lets the column's index choose the rows without changing which match.

#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/Passes.h"

namespace {

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

void likePrefix(Statement &st, int s)
{
    const SqlToken &pattern = st.tok(s + 1);
    if (pattern.kind != SqlToken::String)
        return;
    const QString value = pattern.stringValue();
    if (value.size() < 2 || !value.endsWith(QLatin1Char('%')))
        return;
    const QString prefix = value.left(value.size() - 1);
    for (const QChar c : prefix) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('[') || c.unicode() >= 0x80)
            return;
    }
    const int first = st.likeColumnStart(s);
    if (first < 0)
        return;
    QString column;
    for (int j = first; j < s; ++j)
        column += st.out(j);
    const QString quoted = QString(prefix).replace(QLatin1String("'"), QLatin1String("''"));
    st.out(first).prepend(QLatin1Char('('));
    st.out(s + 1) += QStringLiteral(" AND ") + column + QStringLiteral(" >= '") + quoted +
                     QStringLiteral("' COLLATE NOCASE AND ") + column + QStringLiteral(" < '") + quoted +
                     QChar(0xFFFF) + QStringLiteral("' COLLATE NOCASE)");
}

void equalityRange(Statement &st, int s)
{
    const bool before = st.tok(s - 1).is("=");
    if (!before && !st.tok(s + 1).is("="))
        return;
    const QString value = TsqlAdapter::withoutTrailingBlanks(st.tok(s).stringValue());
    if (!isAscii(value))
        return;
    const Statement::Operand operand = before ? st.leftOperand(s - 1) : st.rightOperand(s + 1);
    if (operand.first < 0 || operand.last < 0)
        return;
    const int first = before ? operand.first : s;
    const int last = before ? s : operand.last;
    if (!startsCondition(st.tok(first - 1)) || !(st.endsCondition(last + 1) || startsCondition(st.tok(last + 1))))
        return;
    const bool column = operand.first == operand.last ||
                        (st.tok(operand.first).is("isnull") && st.tok(operand.first + 1).is("(")) ||
                        (operand.last - operand.first == 2 && st.tok(operand.first + 1).is("."));
    if (!column || st.tok(operand.last + 1).is("(") ||
        (operand.first == operand.last && !isName(st.tok(operand.first))))
        return;
    const QString expression = st.outText(operand.first, operand.last);
    const QString quoted = QString(value).replace(QLatin1String("'"), QLatin1String("''"));
    st.out(first).prepend(QLatin1Char('('));
    st.out(last) += QStringLiteral(" AND ") + expression + QStringLiteral(" >= '") + quoted +
                    QStringLiteral("' COLLATE NOCASE AND ") + expression + QStringLiteral(" < '") + quoted +
                    QStringLiteral("!' COLLATE NOCASE)");
}

} // namespace

namespace TsqlPasses {

// "col Like 'ABC%'" (an ASCII prefix) also gets the range that every match lies in, so the
// column's index serves the search. The range holds for every match, so the condition's meaning,
// negated or not, stays the same.
//   A.ItemName Like 'PARA%'
//     -> (A.ItemName Like 'PARA%' AND A.ItemName >= 'PARA' COLLATE NOCASE AND A.ItemName < 'PARA?' COLLATE NOCASE)
//   where ? is the character U+FFFF, after every character a name holds.
void likePrefixRanges(Statement &st)
{
    for (int s = 0; s < st.count(); ++s) {
        if (st.tok(s).is("like") && !st.startsDatabaseName(s) && !st.followsDot(s))
            likePrefix(st, s);
    }
}

// "col = 'abc'" in a condition also gets the range of the column's NOCASE collation that every
// equal value lies in ('abc' up to 'abc' followed by blanks). Only for a column or an IsNull of
// one, and an ASCII text: then the range holds every value SQL Server calls equal.
//   Where Location = 'central supply  ' COLLATE MSSQL
//     -> Where (Location = 'central supply  ' COLLATE MSSQL AND Location >= 'central supply' COLLATE NOCASE
//        AND Location < 'central supply!' COLLATE NOCASE)
void equalityRanges(Statement &st)
{
    for (int s : std::as_const(st.compared))
        equalityRange(st, s);
}

} // namespace TsqlPasses
