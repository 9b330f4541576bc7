#include "platform/tsql/Passes.h"

namespace TsqlPasses {

// "+" joins texts when one operand of a chain of "+" is a string literal or a text function
// (SubString, Replace, Upper, Lower, LTrim, RTrim, Convert to a character type); the whole chain
// then becomes "||". Otherwise "+" stays arithmetic, so max(...) + 1 remains a number.
//   Select LastName + ', ' + FirstName, Max(TermsID) + 1  ->  Select LastName || ', ' || FirstName, Max(TermsID) + 1
void textJoins(Statement &st)
{
    QVector<int> pluses;
    for (int s = 1; s < st.count(); ++s) {
        if (st.tok(s).kind == SqlToken::Symbol && st.tok(s).is("+") && st.endsOperand(s - 1))
            pluses.append(s);
    }
    int i = 0;
    while (i < pluses.size()) {
        QVector<int> chain{pluses.at(i)};
        bool text = st.leftOperand(pluses.at(i)).text;
        Statement::Operand right = st.rightOperand(pluses.at(i));
        text = text || right.text;
        while (i + 1 < pluses.size() && right.last >= 0 && right.last + 1 == pluses.at(i + 1)) {
            ++i;
            chain.append(pluses.at(i));
            right = st.rightOperand(pluses.at(i));
            text = text || right.text;
        }
        if (text) {
            for (int plus : std::as_const(chain))
                st.out(plus) = QStringLiteral("||");
        }
        ++i;
    }
}

} // namespace TsqlPasses
