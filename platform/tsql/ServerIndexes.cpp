// Forms the server's planner can serve from an index or a cheaper sort: the same rows.

#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/Passes.h"

namespace {

void likeAsLowered(Statement &st, int s)
{
    const QString value = st.tok(s + 1).stringValue();
    const bool fixedStart =
        !(value.isEmpty() || value.startsWith(QLatin1Char('%')) || value.startsWith(QLatin1Char('_')));
    const bool caseless = value.toLower() == value && value.toUpper() == value;
    if (!fixedStart && !caseless)
        return;
    const int first = st.likeColumnStart(s);
    if (first < 0)
        return;
    if (!startsCondition(st.tok(first - 1)) || !st.endsCondition(s + 2))
        return;
    if (!fixedStart) {
        st.out(s - 1) += QStringLiteral("::citext::text");
        st.out(s) = QStringLiteral("LIKE");
        return;
    }
    st.out(first).prepend(QStringLiteral("lower("));
    st.out(s - 1) += QStringLiteral("::citext::text)");
    st.out(s) = QStringLiteral("LIKE");
    st.out(s + 1) = QStringLiteral("lower(") + st.out(s + 1) + QLatin1Char(')');
}

} // namespace

namespace TsqlPasses {

// "x <> ''" as "x > ''": the same rows, since no text sorts before the empty one, and a range an
// index can serve (the verified list reads only the verified lines). Only where the literal is the
// whole right side ("x <> '' + y" compares with y).
//   and isnull(verifiedby,'')<> ''  ->  and coalesce(verifiedby,'')> ''
void notEmptyAsGreater(Statement &st)
{
    for (int s = 1; s < st.count(); ++s) {
        const SqlToken &t = st.tok(s);
        if (t.kind != SqlToken::String || st.finished.contains(s) || !(st.tok(s - 1).is("<>") || st.tok(s - 1).is("!=")))
            continue;
        if (TsqlAdapter::withoutTrailingBlanks(t.stringValue()).isEmpty() && st.endsComparedValue(s + 1))
            st.out(s - 1) = QStringLiteral(">");
    }
}

// "col ILIKE 'G%'" on a citext (or text) column lower-cases both sides and matches them with
// LIKE, in the column's collation; no index serves that. The same match written out,
// "lower(col::citext::text) LIKE lower('G%')", is served by the text_pattern_ops index on
// lower(col::text) when the pattern has a fixed start, and the planner estimates its rows from
// that index's statistics. It takes the ILIKE's place: true, false or null exactly when the
// ILIKE is, whatever the pattern holds; the cast to citext (none for a citext column) keeps
// a column of another type failing as the ILIKE does.
// A pattern with no fixed start has no index to use; when it holds nothing that has a letter
// case (digits, signs, wildcards), lower-casing cannot change what it matches, and the column's
// text is matched as it is, "col::citext::text LIKE '%12#%'", without lower-casing every row.
//   A.ItemName ILIKE 'PARA%'  ->  lower(A.ItemName::citext::text) LIKE lower('PARA%')
void likeAsLoweredText(Statement &st)
{
    for (int s : std::as_const(st.serverLikes))
        likeAsLowered(st, s);
}

// A citext column sorts as its lower-cased text does: both compare lower(text) in the server's
// collation, equal texts alike. "Order By A.ItemName" of a column the statement's own Like tests
// (so a text column) becomes "Order By lower(A.ItemName::text)": the same order, but the sort
// lower-cases each row once instead of both texts at every comparison. Only a qualified
// column (never an output column's name), in a single Select without Distinct, whose Like
// stands outside any subquery.
//   ... Where A.ItemName ILIKE 'PARA%' Order By A.ItemName  ->  ... Order By lower(A.ItemName::text)
void orderByLoweredNames(Statement &st)
{
    if (st.serverLikes.isEmpty() || !st.tok(0).is("select"))
        return;
    int orderBy = -1;
    int depth = 0;
    for (int j = 0; j < st.count(); ++j) {
        const SqlToken &t = st.tok(j);
        if (t.is("("))
            ++depth;
        else if (t.is(")"))
            --depth;
        else if (t.is("union") || t.is("intersect") || t.is("except") || t.is("distinct") || t.is(";"))
            return;
        else if (t.is("select") && j > 0 && depth == 0)
            return;
        else if (t.is("order") && st.tok(j + 1).is("by") && depth == 0)
            orderBy = j + 2;
    }
    if (orderBy < 0)
        return;
    QStringList tested;
    for (int s : std::as_const(st.serverLikes)) {
        const int first = st.likeColumnStart(s);
        if (first >= 0 && first == s - 3 && st.outsideSubqueries(s))
            tested << st.tok(first).nameValue().toLower() + QLatin1Char('.') + st.tok(first + 2).nameValue().toLower();
    }
    for (int j = orderBy; j < st.count(); ++j) {
        const bool starts = j == orderBy || st.tok(j - 1).is(",");
        const SqlToken &after = st.tok(j + 3);
        const bool ends = j + 3 >= st.count() || after.is(",") || after.is("asc") || after.is("desc");
        if (!starts || !ends || !isName(st.tok(j)) || !st.tok(j + 1).is(".") || !isName(st.tok(j + 2)))
            continue;
        if (!tested.contains(st.tok(j).nameValue().toLower() + QLatin1Char('.') + st.tok(j + 2).nameValue().toLower()))
            continue;
        st.out(j).prepend(QStringLiteral("lower("));
        st.out(j + 2) += QStringLiteral("::text)");
    }
}

} // namespace TsqlPasses
