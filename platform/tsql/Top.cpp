#include "platform/tsql/Passes.h"

namespace {

void top(Statement &st, int s)
{
    if (!(st.tok(s - 1).is("select") || st.tok(s - 1).is("distinct") || st.tok(s - 1).is("all")))
        return;
    int last = s + 1;
    QString count;
    if (st.tok(last).kind == SqlToken::Number) {
        count = st.tok(last).text;
    } else if (st.tok(last).is("(") && st.tok(last + 1).kind == SqlToken::Number && st.tok(last + 2).is(")")) {
        count = st.tok(last + 1).text;
        last += 2;
    } else {
        return;
    }
    for (int j = s; j <= last; ++j)
        st.out(j).clear();
    st.clearBlanks(s, last);
    int depth = 0;
    for (int j = last + 1; j < st.count(); ++j) {
        if (st.tok(j).is("(")) {
            ++depth;
        } else if (st.tok(j).is(")")) {
            if (depth == 0) {
                st.out(j).prepend(QStringLiteral(" LIMIT ") + count);
                return;
            }
            --depth;
        } else if (st.tok(j).is(";") && depth == 0) {
            st.out(j).prepend(QStringLiteral(" LIMIT ") + count);
            return;
        }
    }
    st.trailer() += QStringLiteral(" LIMIT ") + count;
}

} // namespace

namespace TsqlPasses {

// Select Top 1 LastName From tbPasswordMain Where EmployeeID = A.UserID
//   -> Select LastName From tbPasswordMain Where EmployeeID = A.UserID LIMIT 1
// at the end of that select, also inside a subquery: (Select Top 1 x From t) -> (Select x From t LIMIT 1).
void topAsLimit(Statement &st)
{
    for (int s = 0; s < st.count(); ++s) {
        if (st.tok(s).is("top") && !st.startsDatabaseName(s) && !st.followsDot(s))
            top(st, s);
    }
}

} // namespace TsqlPasses
