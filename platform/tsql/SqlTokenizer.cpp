#include "platform/tsql/SqlTokenizer.h"

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#') ||
           c == QLatin1Char('$');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool SqlToken::is(const char *symbolOrWord) const
{
    if (kind == Symbol)
        return text == QLatin1String(symbolOrWord);
    if (kind == Word)
        return text.compare(QLatin1String(symbolOrWord), Qt::CaseInsensitive) == 0;
    return false;
}

QString SqlToken::stringValue() const
{
    if (kind != String)
        return text;
    QString inner = text.mid(1);
    if (inner.endsWith(QLatin1Char('\'')))
        inner.chop(1);
    return inner.replace(QLatin1String("''"), QLatin1String("'"));
}

QString SqlToken::nameValue() const
{
    if (kind == QuotedName && text.size() >= 2) {
        const QString inner = text.mid(1, text.size() - 2);
        if (text.startsWith(QLatin1Char('[')))
            return QString(inner).replace(QLatin1String("]]"), QLatin1String("]"));
        return QString(inner).replace(QLatin1String("\"\""), QLatin1String("\""));
    }
    return text;
}

QVector<SqlToken> tokenizeSql(const QString &sql)
{
    QVector<SqlToken> tokens;
    const int n = int(sql.size());
    int i = 0;
    auto add = [&](SqlToken::Kind kind, int start) {
        tokens.append(SqlToken{kind, sql.mid(start, i - start)});
    };

    while (i < n) {
        const int start = i;
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();

        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            add(SqlToken::Space, start);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
            add(SqlToken::Space, start);
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            add(SqlToken::Space, start);
        } else if (c == QLatin1Char('\'')) {
            ++i;
            while (i < n) {
                if (sql.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < n && sql.at(i + 1) == QLatin1Char('\'')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            add(SqlToken::String, start);
        } else if (c == QLatin1Char('[') || c == QLatin1Char('"')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('"');
            ++i;
            while (i < n) {
                if (sql.at(i) == close) {
                    if (i + 1 < n && sql.at(i + 1) == close) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            add(SqlToken::QuotedName, start);
        } else if (isDigit(c) || (c == QLatin1Char('.') && isDigit(next))) {
            while (i < n && (isDigit(sql.at(i)) || sql.at(i) == QLatin1Char('.'))) {
                // "1..2" never occurs; a second '.' pair still ends the number cleanly.
                if (sql.at(i) == QLatin1Char('.') && i + 1 < n && sql.at(i + 1) == QLatin1Char('.'))
                    break;
                ++i;
            }
            if (i < n && (sql.at(i) == QLatin1Char('e') || sql.at(i) == QLatin1Char('E'))) {
                int j = i + 1;
                if (j < n && (sql.at(j) == QLatin1Char('+') || sql.at(j) == QLatin1Char('-')))
                    ++j;
                if (j < n && isDigit(sql.at(j))) {
                    i = j;
                    while (i < n && isDigit(sql.at(i)))
                        ++i;
                }
            }
            add(SqlToken::Number, start);
        } else if (isWordStart(c)) {
            while (i < n && isWordPart(sql.at(i)))
                ++i;
            add(SqlToken::Word, start);
        } else {
            static const char *const pairs[] = {"..", "<>", "<=", ">=", "!=", "||", "!<", "!>"};
            i += 1;
            for (const char *pair : pairs) {
                if (c == QLatin1Char(pair[0]) && next == QLatin1Char(pair[1])) {
                    i += 1;
                    break;
                }
            }
            add(SqlToken::Symbol, start);
        }
    }
    return tokens;
}

bool holdsOneStatement(const QString &sql)
{
    bool ended = false;
    for (const SqlToken &token : tokenizeSql(sql)) {
        if (token.is(";"))
            ended = true;
        else if (ended && token.isSignificant())
            return false;
    }
    return true;
}

SignificantTokens::SignificantTokens(const QString &sql) : m_tokens(tokenizeSql(sql))
{
    for (int i = 0; i < m_tokens.size(); ++i) {
        if (m_tokens.at(i).isSignificant())
            m_positions.append(i);
    }
}

const SqlToken &SignificantTokens::at(int s) const
{
    static const SqlToken none;
    return s >= 0 && s < count() ? m_tokens.at(m_positions.at(s)) : none;
}

QString SignificantTokens::text(int first, int last) const
{
    QString result;
    for (int i = m_positions.at(first); i <= m_positions.at(last); ++i)
        result += m_tokens.at(i).text;
    return result;
}

QString SignificantTokens::textBefore(int from, int to) const
{
    const int end = to < count() ? m_positions.at(to) : int(m_tokens.size());
    QString result;
    for (int i = from < count() ? m_positions.at(from) : int(m_tokens.size()); i < end; ++i)
        result += m_tokens.at(i).text;
    return result;
}

int SignificantTokens::closing(int s) const
{
    int depth = 0;
    for (int i = s; i < count(); ++i) {
        if (at(i).is("("))
            ++depth;
        else if (at(i).is(")") && --depth == 0)
            return i;
    }
    return -1;
}
