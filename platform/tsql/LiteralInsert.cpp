#include "platform/tsql/LiteralInsert.h"

#include "platform/tsql/SqlTokenizer.h"

namespace {

bool isIdentifierChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u >= 0x80;
}

bool isDigitChar(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Reads the one form of statement a literal insert has, straight from the text (inserts come by the
// thousand, so nothing is split into tokens first). Every method skips what precedes it: blanks and
// comments.
class InsertScanner
{
public:
    explicit InsertScanner(QStringView text) : m_text(text) {}

    bool atEnd()
    {
        skipSpace();
        return m_pos >= m_text.size();
    }

    bool keyword(QLatin1StringView word)
    {
        skipSpace();
        const qsizetype end = m_pos + word.size();
        if (end > m_text.size() || m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0
            || (end < m_text.size() && isIdentifierChar(m_text.at(end))))
            return false;
        m_pos = end;
        return true;
    }

    bool symbol(char c)
    {
        skipSpace();
        if (m_pos >= m_text.size() || m_text.at(m_pos) != QLatin1Char(c))
            return false;
        ++m_pos;
        return true;
    }

    // A plain name (letters, digits, _) or one in "" or [].
    bool name()
    {
        skipSpace();
        if (m_pos >= m_text.size())
            return false;
        const QChar first = m_text.at(m_pos);
        if (first == QLatin1Char('"') || first == QLatin1Char('[')) {
            const QChar close = first == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']');
            for (qsizetype i = m_pos + 1; i < m_text.size(); ++i) {
                if (m_text.at(i) != close)
                    continue;
                if (close == QLatin1Char('"') && i + 1 < m_text.size() && m_text.at(i + 1) == close) {
                    ++i;
                    continue;
                }
                m_pos = i + 1;
                return true;
            }
            return false;
        }
        if (!isIdentifierChar(first) || isDigitChar(first))
            return false;
        while (m_pos < m_text.size() && isIdentifierChar(m_text.at(m_pos)))
            ++m_pos;
        return true;
    }

    enum class Literal { None, Text, Integer, Real, Null };

    // A literal value; its text (without the quotes and with '' undone for a text) in *value.
    Literal literal(QString *value)
    {
        skipSpace();
        if (m_pos >= m_text.size())
            return Literal::None;
        const QChar first = m_text.at(m_pos);
        if (first == QLatin1Char('\'')) {
            QString text;
            qsizetype piece = m_pos + 1; // the start of the text not yet taken
            for (qsizetype i = piece; i < m_text.size(); ++i) {
                if (m_text.at(i) != QLatin1Char('\''))
                    continue;
                if (i + 1 < m_text.size() && m_text.at(i + 1) == QLatin1Char('\'')) {
                    text += m_text.mid(piece, i + 1 - piece); // a doubled quote is one quote
                    piece = i + 2;
                    ++i;
                    continue;
                }
                text += m_text.mid(piece, i - piece);
                m_pos = i + 1;
                *value = text;
                return Literal::Text;
            }
            return Literal::None; // not closed
        }
        if (isDigitChar(first) || (first == QLatin1Char('.') && m_pos + 1 < m_text.size()
                                   && isDigitChar(m_text.at(m_pos + 1)))) {
            qsizetype i = m_pos;
            bool whole = true;
            while (i < m_text.size() && isDigitChar(m_text.at(i)))
                ++i;
            if (i < m_text.size() && m_text.at(i) == QLatin1Char('.')) {
                whole = false;
                for (++i; i < m_text.size() && isDigitChar(m_text.at(i));)
                    ++i;
            }
            if (i < m_text.size() && (m_text.at(i) == QLatin1Char('e') || m_text.at(i) == QLatin1Char('E'))) {
                qsizetype j = i + 1;
                if (j < m_text.size() && (m_text.at(j) == QLatin1Char('+') || m_text.at(j) == QLatin1Char('-')))
                    ++j;
                if (j < m_text.size() && isDigitChar(m_text.at(j))) {
                    whole = false;
                    for (i = j; i < m_text.size() && isDigitChar(m_text.at(i));)
                        ++i;
                }
            }
            // "12abc" or "1.2.3" are no numbers to SQLite either.
            if (i < m_text.size() && (isIdentifierChar(m_text.at(i)) || m_text.at(i) == QLatin1Char('.')))
                return Literal::None;
            *value = m_text.mid(m_pos, i - m_pos).toString();
            m_pos = i;
            return whole ? Literal::Integer : Literal::Real;
        }
        if (keyword(QLatin1StringView("null")))
            return Literal::Null;
        return Literal::None;
    }

    qsizetype position() const { return m_pos; }
    // Where the next significant character is.
    qsizetype nextStart()
    {
        skipSpace();
        return m_pos;
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c.isSpace()) {
                ++m_pos;
            } else if (c == QLatin1Char('-') && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('-')) {
                while (m_pos < m_text.size() && m_text.at(m_pos) != QLatin1Char('\n'))
                    ++m_pos;
            } else if (c == QLatin1Char('/') && m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('*')) {
                const qsizetype end = m_text.indexOf(QLatin1String("*/"), m_pos + 2);
                m_pos = end < 0 ? m_text.size() : end + 2;
            } else {
                return;
            }
        }
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<LiteralInsert> LiteralInsert::parse(const QString &sqliteSql)
{
    // SQLite reads a statement only up to a zero character; such a text runs as given.
    if (sqliteSql.contains(QChar(0)))
        return std::nullopt;
    InsertScanner scan(sqliteSql);
    if (!scan.keyword(QLatin1StringView("insert")) || !scan.keyword(QLatin1StringView("into")) || !scan.name())
        return std::nullopt;
    if (scan.symbol('.') && !scan.name())
        return std::nullopt;
    if (scan.symbol('(')) {
        do {
            if (!scan.name())
                return std::nullopt;
        } while (scan.symbol(','));
        if (!scan.symbol(')'))
            return std::nullopt;
    }
    if (!scan.keyword(QLatin1StringView("values")) || !scan.symbol('('))
        return std::nullopt;

    LiteralInsert insert;
    insert.shape.reserve(sqliteSql.size());
    qsizetype copied = 0; // the statement's text up to here is in the shape
    do {
        const bool negative = scan.symbol('-');
        const qsizetype start = scan.nextStart();
        QString value;
        const auto kind = scan.literal(&value);
        if (kind == InsertScanner::Literal::None || (kind == InsertScanner::Literal::Null && negative))
            return std::nullopt;
        if (kind == InsertScanner::Literal::Null)
            continue;
        const QString parameter = QLatin1Char('?') + QString::number(insert.values.size() + 1);
        insert.shape += QStringView(sqliteSql).mid(copied, start - copied);
        copied = scan.position();
        if (kind == InsertScanner::Literal::Text) {
            if (negative)
                return std::nullopt;
            insert.values.append(value);
            insert.shape += parameter;
        } else if (kind == InsertScanner::Literal::Integer) {
            bool fits = false;
            const qint64 integer = value.toLongLong(&fits);
            if (!fits)
                return std::nullopt; // SQLite reads it as a real, or as the smallest integer after a minus
            insert.values.append(integer);
            insert.shape += parameter;
        } else {
            insert.values.append(value);
            insert.shape += QStringLiteral("CAST(") + parameter + QStringLiteral(" AS REAL)");
        }
    } while (scan.symbol(','));
    if (!scan.symbol(')'))
        return std::nullopt;
    while (scan.symbol(';')) {
    }
    if (!scan.atEnd() || insert.values.isEmpty() || insert.values.size() > 999)
        return std::nullopt;
    insert.shape += QStringView(sqliteSql).mid(copied);
    return insert;
}
