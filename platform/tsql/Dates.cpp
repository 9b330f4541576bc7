#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/Passes.h"
#include "platform/tsql/SchemaFacts.h"

namespace {

bool isDateColumn(const SqlToken &token)
{
    static const QStringList columns = SchemaFacts::dateColumns().values();
    if (token.kind == SqlToken::Word) {
        for (const QString &column : columns) {
            if (token.text.compare(column, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    return token.kind == SqlToken::QuotedName && SchemaFacts::dateColumns().contains(token.nameValue().toLower());
}

// "Insert t (a, b) Values (x, y)": the literals that are the whole value of a date column.
QSet<int> insertedDates(const Statement &st)
{
    QSet<int> literals;
    if (!st.tok(0).is("insert"))
        return literals;
    int open = 1;
    while (open < st.count() && !st.tok(open).is("(") && !st.tok(open).is("values"))
        ++open;
    if (!st.tok(open).is("("))
        return literals;
    const int close = st.closing(open);
    if (close < 0 || !st.tok(close + 1).is("values") || !st.tok(close + 2).is("("))
        return literals;
    QVector<bool> dateColumns;
    for (int s = open + 1; s < close; ++s) {
        if (st.tok(s).is(","))
            continue;
        dateColumns.append(isDateColumn(st.tok(s)) && (st.tok(s + 1).is(",") || s + 1 == close));
    }
    const int valuesClose = st.closing(close + 2);
    int column = 0;
    int start = close + 3;
    for (int s = start; s <= valuesClose && valuesClose > 0; ++s) {
        if (st.tok(s).is("(")) {
            s = st.closing(s);
            if (s < 0)
                return literals;
            continue;
        }
        if (!st.tok(s).is(",") && s != valuesClose)
            continue;
        if (s == start + 1 && st.tok(start).kind == SqlToken::String && column < dateColumns.size() &&
            dateColumns.at(column))
            literals.insert(start);
        ++column;
        start = s + 1;
    }
    return literals;
}

// The name that ends a column reference at s ("A.TransDate" ends at TransDate).
bool dateColumnEndsAt(const Statement &st, int s)
{
    return isDateColumn(st.tok(s)) && !st.tok(s + 1).is(".");
}

bool dateColumnStartsAt(const Statement &st, int s)
{
    while (isName(st.tok(s)) && st.tok(s + 1).is("."))
        s += 2;
    return isDateColumn(st.tok(s)) && !st.tok(s + 1).is("(");
}

// A literal compared with a date column (=, <, Between ... And ...).
bool comparedWithDate(const Statement &st, int s)
{
    if (isComparison(st.tok(s - 1)) && dateColumnEndsAt(st, s - 2))
        return true;
    if (isComparison(st.tok(s + 1)) && dateColumnStartsAt(st, s + 2))
        return true;
    if (st.tok(s - 1).is("between") && dateColumnEndsAt(st, s - 2))
        return true;
    return st.tok(s - 1).is("and") && st.tok(s - 3).is("between") && dateColumnEndsAt(st, s - 4);
}

} // namespace

namespace TsqlPasses {

// A literal of the exact form 'MM/dd/yyyy hh:mm:ss AM' that is compared with a date column or is
// the value an Insert writes into one takes the form the database keeps dates in; the schema's
// DATETIME columns are the date columns. Everywhere else (a remark, a name, a search text) it
// reaches the database as built.
//   Where TransDate >= '01/01/2026 12:00:00 AM'  ->  Where TransDate >= '2026-01-01 00:00:00'
void monthFirstDates(Statement &st)
{
    const QSet<int> inserted = insertedDates(st);
    for (int s = 0; s < st.count(); ++s) {
        if (st.tok(s).kind != SqlToken::String || st.finished.contains(s))
            continue;
        if (!inserted.contains(s) && !comparedWithDate(st, s))
            continue;
        const QString iso = TsqlAdapter::isoFromMonthFirst(st.tok(s).stringValue());
        if (iso.isEmpty())
            continue;
        st.out(s) = QLatin1Char('\'') + iso + QLatin1Char('\'');
        st.finished.insert(s);
    }
}

} // namespace TsqlPasses
