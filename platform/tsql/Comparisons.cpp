#include "platform/tsql/TsqlAdapter.h"
#include "platform/tsql/Passes.h"

namespace TsqlPasses {

// A text compared with = <> < > ... ignores letter case and trailing blanks, as on SQL Server.
// The embedded files: the literal carries the client's MSSQL collation, which decides so also
// for an expression (isnull(x,'') = '').
//   Where Location = 'central supply  '  ->  Where Location = 'central supply  ' COLLATE MSSQL
// The server: the columns are citext and hold no trailing blanks; a compared literal, or one
// listed in "In (...)", loses its own.
//   Where Location = 'central supply  '  ->  Where Location = 'central supply'
void comparedTexts(Statement &st)
{
    const bool trimmed = st.dialect().comparedTexts == Dialect::ComparedTexts::Trimmed;
    for (int s = 0; s < st.count(); ++s) {
        if (st.tok(s).kind != SqlToken::String || st.finished.contains(s))
            continue;
        const bool compared = isComparison(st.tok(s - 1)) || isComparison(st.tok(s + 1));
        if (trimmed && (compared || st.inValueList(s))) {
            QString value = TsqlAdapter::withoutTrailingBlanks(st.tok(s).stringValue());
            st.out(s) = QLatin1Char('\'') + value.replace(QLatin1String("'"), QLatin1String("''")) + QLatin1Char('\'');
        } else if (!trimmed && compared) {
            st.out(s) += QStringLiteral(" COLLATE MSSQL");
            st.compared.append(s);
        }
    }
}

} // namespace TsqlPasses
