#include "platform/tsql/Passes.h"

#include <QRegularExpression>

namespace {

// The whole-text regular expression of a Like pattern.
QString likeRegex(const QString &pattern)
{
    QString result = QStringLiteral("^");
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const int close = c == QLatin1Char('[') ? int(pattern.indexOf(QLatin1Char(']'), i + 2)) : -1;
        if (c == QLatin1Char('%')) {
            result += QStringLiteral(".*");
        } else if (c == QLatin1Char('_')) {
            result += QLatin1Char('.');
        } else if (close > 0) {
            QString set = pattern.mid(i + 1, close - i - 1);
            set.replace(QLatin1String("\\"), QLatin1String("\\\\"));
            result += QLatin1Char('[') + set + QLatin1Char(']');
            i = close;
        } else {
            result += QRegularExpression::escape(QString(c));
        }
    }
    return result + QLatin1Char('$');
}

void serverLike(Statement &st, int s)
{
    const SqlToken &pattern = st.tok(s + 1);
    const bool negated = st.tok(s - 1).is("not") && s >= 2 && st.endsOperand(s - 2);
    const QString value = pattern.kind == SqlToken::String ? pattern.stringValue() : QString();
    if (pattern.kind == SqlToken::String && (value.contains(QLatin1Char('[')) || value.contains(QLatin1Char('\\')))) {
        if (negated)
            st.out(s - 1).clear();
        st.out(s) = negated ? QStringLiteral("!~*") : QStringLiteral("~*");
        st.out(s + 1) =
            QLatin1Char('\'') + likeRegex(value).replace(QLatin1String("'"), QLatin1String("''")) + QLatin1Char('\'');
        st.finished.insert(s + 1);
        return;
    }
    st.out(s) = QStringLiteral("ILIKE");
    if (pattern.kind == SqlToken::String && !negated)
        st.serverLikes.append(s);
}

} // namespace

namespace TsqlPasses {

// Like ignores letter case on SQL Server. The server's ILIKE does so too but knows no [a-c] sets
// and takes a backslash as an escape: such a pattern becomes a regular expression.
//   A.ItemName Like 'PARA%'        -> A.ItemName ILIKE 'PARA%'
//   A.ItemName Not Like '[a-c]%'   -> A.ItemName !~* '^[a-c].*$'
// (The embedded files' Like is a function of their own with SQL Server's rules: no pass.)
void likeOnServer(Statement &st)
{
    for (int s = 0; s < st.count(); ++s) {
        if (st.tok(s).is("like") && !st.startsDatabaseName(s) && !st.followsDot(s))
            serverLike(st, s);
    }
}

} // namespace TsqlPasses
