#include "platform/tsql/TsqlAdapter.h"

#include "platform/Error.h"
#include "platform/tsql/SqlTokenizer.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

// The schema script is compiled into the core library as a resource; a static library's resources
// are registered by a call from outside any namespace.
static void registerSchemaResource()
{
    Q_INIT_RESOURCE(db);
}

namespace {

const QString MainDatabase = QStringLiteral("INVENTORY");
const QString PasswordDatabase = QStringLiteral("Password");

bool inList(const SqlToken &token, std::initializer_list<const char *> words)
{
    for (const char *word : words) {
        if (token.is(word))
            return true;
    }
    return false;
}

bool isStatementKeyword(const SqlToken &token)
{
    return inList(token,
                  {"select",  "insert",  "update",  "delete",    "with",    "begin",  "commit", "rollback",
                   "create",  "drop",    "alter",   "pragma",    "attach",  "detach", "vacuum", "replace",
                   "explain", "analyze", "reindex", "savepoint", "release", "end",    "values"});
}

// Words after which "+" is a sign, not an addition.
bool isOperatorKeyword(const SqlToken &token)
{
    return inList(token,
                  {"and", "or", "not", "select", "where", "then", "else",   "when",     "set", "values",
                   "by",  "on", "in",  "is",     "like",  "case", "return", "distinct", "as",  "top"});
}

bool isComparison(const SqlToken &token)
{
    return token.kind == SqlToken::Symbol &&
           inList(token, {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"});
}

bool isName(const SqlToken &token)
{
    return token.kind == SqlToken::Word || token.kind == SqlToken::QuotedName;
}

// Names of the columns the schema declares DATETIME, in lower case. Only a literal compared with or
// written into one of them is read as a date.
QSet<QString> readDateColumns()
{
    registerSchemaResource();
    QFile file(QStringLiteral(":/db/schema.sql"));
    QSet<QString> columns;
    if (!file.open(QIODevice::ReadOnly))
        return columns;
    static const QRegularExpression dateColumn(QStringLiteral("^\\s+(\\w+)\\s+DATETIME\\b"),
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::MultilineOption);
    auto matches = dateColumn.globalMatch(QString::fromUtf8(file.readAll()));
    while (matches.hasNext())
        columns.insert(matches.next().captured(1).toLower());
    return columns;
}

bool isDateColumn(const SqlToken &token)
{
    static const QStringList columns = readDateColumns().values();
    if (token.kind == SqlToken::Word) {
        for (const QString &column : columns) {
            if (token.text.compare(column, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    return token.kind == SqlToken::QuotedName && columns.contains(token.nameValue().toLower());
}

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

// Works on the significant tokens only; out[] holds the replacement text of every token.
class Translator
{
public:
    Translator(const QString &tsql, SqlDialect dialect) : m_dialect(dialect), m_tokens(tokenizeSql(tsql))
    {
        for (int i = 0; i < m_tokens.size(); ++i) {
            m_out.append(m_tokens.at(i).text);
            if (m_tokens.at(i).isSignificant())
                m_sig.append(i);
        }
    }

    AdaptedStatement run()
    {
        AdaptedStatement result;
        if (m_sig.isEmpty())
            return result;
        if (tok(0).kind == SqlToken::Word && !isStatementKeyword(tok(0)))
            return procedureCall();

        if (tok(0).is("insert") && !tok(1).is("into"))
            out(0) += QStringLiteral(" Into");
        if (tok(0).is("delete") && !tok(1).is("from"))
            out(0) += QStringLiteral(" From");

        markInsertedDates();
        QVector<int> pluses;
        for (int s = 0; s < m_sig.size(); ++s) {
            const SqlToken &t = tok(s);
            switch (t.kind) {
            case SqlToken::Word:
                word(s);
                break;
            case SqlToken::QuotedName:
                if (t.text.startsWith(QLatin1Char('[')) && postgres() && isPlainName(t.nameValue()))
                    out(s) = t.nameValue(); // PostgreSQL keeps the letter case of quoted names only
                else if (t.text.startsWith(QLatin1Char('[')))
                    out(s) = QLatin1Char('"') +
                             t.nameValue().replace(QLatin1String("\""), QLatin1String("\"\"")) +
                             QLatin1Char('"');
                break;
            case SqlToken::String:
                if (!m_rewritten.contains(s))
                    literal(s);
                break;
            case SqlToken::Symbol:
                if (t.is("+") && s > 0 && endsOperand(s - 1))
                    pluses.append(s);
                break;
            default:
                break;
            }
        }
        joinTexts(pluses);
        if (!postgres()) {
            for (int s : std::as_const(m_compared))
                indexRange(s);
        }
        for (int s : std::as_const(m_serverLikes))
            serverLikeIndexed(s);
        if (postgres())
            orderByLoweredNames();

        for (const QString &text : std::as_const(m_out))
            result.sql += text;
        result.sql += m_trailer;
        return result;
    }

private:
    const SqlToken &tok(int s) const
    {
        static const SqlToken none;
        return s >= 0 && s < m_sig.size() ? m_tokens.at(m_sig.at(s)) : none;
    }
    QString &out(int s) { return m_out[m_sig.at(s)]; }
    bool postgres() const { return m_dialect == SqlDialect::Postgres; }

    static bool isPlainName(const QString &name)
    {
        static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        return plain.match(name).hasMatch();
    }

    // A token after which a condition starts (or a part of one, with AND, OR, NOT).
    static bool startsCondition(const SqlToken &t)
    {
        return t.is("where") || t.is("and") || t.is("or") || t.is("on") || t.is("(") || t.is("when") ||
               t.is("having") || t.is("not");
    }

    // Whether a condition (or a part of one, before AND or OR) ends at the token at s.
    bool endsCondition(int s) const
    {
        return s >= m_sig.size() || inList(tok(s), {"and", "or", ")", "order", "group", "then", ";"});
    }

    // The schema of one of the client's databases on a PostgreSQL server.
    static QString serverSchema(const QString &database) { return database.toLower() + QLatin1Char('.'); }
    bool adjacent(int s) const { return s + 1 < m_sig.size() && m_sig.at(s + 1) == m_sig.at(s) + 1; }

    // Index of the parenthesis that closes the one at s, or -1.
    int closing(int s) const
    {
        int depth = 0;
        for (int j = s; j < m_sig.size(); ++j) {
            if (tok(j).is("("))
                ++depth;
            else if (tok(j).is(")") && --depth == 0)
                return j;
        }
        return -1;
    }
    int opening(int s) const
    {
        int depth = 0;
        for (int j = s; j >= 0; --j) {
            if (tok(j).is(")"))
                ++depth;
            else if (tok(j).is("(") && --depth == 0)
                return j;
        }
        return -1;
    }

    bool endsOperand(int s) const
    {
        const SqlToken &t = tok(s);
        if (t.kind == SqlToken::Word)
            return !isOperatorKeyword(t);
        return t.kind == SqlToken::Number || t.kind == SqlToken::String || t.kind == SqlToken::QuotedName ||
               t.is(")");
    }

    void word(int s)
    {
        const SqlToken &t = tok(s);
        // database..object and database.dbo.object
        if (tok(s + 1).is("..") && isName(tok(s + 2))) {
            if (postgres()) {
                out(s) = serverSchema(t.nameValue());
                out(s + 1).clear();
            } else if (t.text.compare(MainDatabase, Qt::CaseInsensitive) == 0) {
                out(s).clear();
                out(s + 1).clear();
            } else {
                out(s + 1) = QStringLiteral(".");
            }
            return;
        }
        if (tok(s + 1).is(".") && tok(s + 2).kind == SqlToken::Word && tok(s + 3).is(".") &&
            isName(tok(s + 4)) && (s == 0 || !tok(s - 1).is("."))) {
            if (postgres() && (t.text.compare(MainDatabase, Qt::CaseInsensitive) == 0 ||
                               t.text.compare(PasswordDatabase, Qt::CaseInsensitive) == 0)) {
                out(s) = serverSchema(t.text);
                out(s + 1).clear();
                out(s + 2).clear();
                out(s + 3).clear();
            } else if (t.text.compare(MainDatabase, Qt::CaseInsensitive) == 0) {
                out(s).clear();
                out(s + 1).clear();
                out(s + 2).clear();
                out(s + 3).clear();
            } else if (t.text.compare(PasswordDatabase, Qt::CaseInsensitive) == 0) {
                out(s + 2).clear();
                out(s + 3).clear();
            }
            return;
        }
        if (t.text == QLatin1String("N") && tok(s + 1).kind == SqlToken::String && adjacent(s)) {
            out(s).clear();
            return;
        }
        if (s > 0 && (tok(s - 1).is(".") || tok(s - 1).is("..")))
            return; // a column or table name, whatever it is called
        const bool call = tok(s + 1).is("(");
        if (call && t.is("isnull"))
            out(s) = postgres() ? QStringLiteral("coalesce") : QStringLiteral("ifnull");
        else if (call && t.is("substring"))
            out(s) = postgres() ? QStringLiteral("substring") : QStringLiteral("substr");
        else if (call && t.is("len"))
            len(s);
        else if (call && t.is("convert"))
            convert(s);
        else if (t.is("top"))
            top(s);
        else if (t.is("like") && postgres())
            serverLike(s);
        else if (t.is("like"))
            likePrefix(s);
    }

    // Len counts the characters without the trailing blanks, as on SQL Server.
    void len(int s)
    {
        const int close = closing(s + 1);
        if (close < 0) {
            out(s) = QStringLiteral("length");
            return;
        }
        out(s) = QStringLiteral("length(rtrim");
        out(close) += QLatin1Char(')');
    }

    // Like ignores letter case on SQL Server. PostgreSQL's ILIKE does so too but knows no [a-c]
    // sets and takes a backslash as an escape: such a pattern becomes a regular expression.
    void serverLike(int s)
    {
        const SqlToken &pattern = tok(s + 1);
        const bool negated = tok(s - 1).is("not") && s >= 2 && endsOperand(s - 2);
        const QString value = pattern.kind == SqlToken::String ? pattern.stringValue() : QString();
        if (pattern.kind == SqlToken::String &&
            (value.contains(QLatin1Char('[')) || value.contains(QLatin1Char('\\')))) {
            if (negated)
                out(s - 1).clear();
            out(s) = negated ? QStringLiteral("!~*") : QStringLiteral("~*");
            out(s + 1) = QLatin1Char('\'') + likeRegex(value).replace(QLatin1String("'"), QLatin1String("''")) +
                         QLatin1Char('\'');
            m_rewritten.insert(s + 1);
            return;
        }
        out(s) = QStringLiteral("ILIKE");
        if (pattern.kind == SqlToken::String && !negated)
            m_serverLikes.append(s);
    }

    // "col ILIKE 'G%'" on a citext (or text) column lower-cases both sides and matches them with
    // LIKE, in the column's collation; no index serves that. The same match written out,
    // "lower(col::citext::text) LIKE lower('G%')", is served by the text_pattern_ops index on
    // lower(col::text) when the pattern has a fixed start, and the planner estimates its rows from
    // that index's statistics. It takes the ILIKE's place: true, false or null exactly when the
    // ILIKE is, whatever the pattern holds; the cast to citext (none for a citext column) keeps
    // a column of another type failing as the ILIKE does. Runs once the pattern's own text is
    // translated.
    // A pattern with no fixed start has no index to use; when it holds nothing that has a letter
    // case (digits, signs, wildcards), lower-casing cannot change what it matches, and the column's
    // text is matched as it is, "col::citext::text LIKE '%12#%'", without lower-casing every row.
    void serverLikeIndexed(int s)
    {
        const QString value = tok(s + 1).stringValue();
        const bool fixedStart =
            !(value.isEmpty() || value.startsWith(QLatin1Char('%')) || value.startsWith(QLatin1Char('_')));
        const bool caseless = value.toLower() == value && value.toUpper() == value;
        if (!fixedStart && !caseless)
            return;
        const int first = likeColumnStart(s);
        if (first < 0)
            return;
        if (!startsCondition(tok(first - 1)) || !endsCondition(s + 2))
            return;
        if (!fixedStart) {
            out(s - 1) += QStringLiteral("::citext::text");
            out(s) = QStringLiteral("LIKE");
            return;
        }
        out(first).prepend(QStringLiteral("lower("));
        out(s - 1) += QStringLiteral("::citext::text)");
        out(s) = QStringLiteral("LIKE");
        out(s + 1) = QStringLiteral("lower(") + out(s + 1) + QLatin1Char(')');
    }

    // A citext column sorts as its lower-cased text does: both compare lower(text) in the server's
    // collation, equal texts alike. "Order By A.ItemName" of a column the statement's own Like tests
    // (so a text column) becomes "Order By lower(A.ItemName::text)": the same order, but the sort
    // lower-cases each row once instead of both texts at every comparison. Only a qualified
    // column (never an output column's name), in a single Select without Distinct, whose Like
    // stands outside any subquery.
    void orderByLoweredNames()
    {
        if (m_serverLikes.isEmpty() || !tok(0).is("select"))
            return;
        int orderBy = -1;
        int depth = 0;
        for (int j = 0; j < m_sig.size(); ++j) {
            const SqlToken &t = tok(j);
            if (t.is("("))
                ++depth;
            else if (t.is(")"))
                --depth;
            else if (t.is("union") || t.is("intersect") || t.is("except") || t.is("distinct") || t.is(";"))
                return;
            else if (t.is("select") && j > 0 && depth == 0)
                return;
            else if (t.is("order") && tok(j + 1).is("by") && depth == 0)
                orderBy = j + 2;
        }
        if (orderBy < 0)
            return;
        QStringList tested;
        for (int s : std::as_const(m_serverLikes)) {
            const int first = likeColumnStart(s);
            if (first >= 0 && first == s - 3 && outsideSubqueries(s))
                tested << tok(first).nameValue().toLower() + QLatin1Char('.') + tok(first + 2).nameValue().toLower();
        }
        for (int j = orderBy; j < m_sig.size(); ++j) {
            const bool starts = j == orderBy || tok(j - 1).is(",");
            const SqlToken &after = tok(j + 3);
            const bool ends = j + 3 >= m_sig.size() || after.is(",") || after.is("asc") || after.is("desc");
            if (!starts || !ends || !isName(tok(j)) || !tok(j + 1).is(".") || !isName(tok(j + 2)))
                continue;
            if (!tested.contains(tok(j).nameValue().toLower() + QLatin1Char('.') + tok(j + 2).nameValue().toLower()))
                continue;
            out(j).prepend(QStringLiteral("lower("));
            out(j + 2) += QStringLiteral("::text)");
        }
    }

    // Whether no parenthesis that encloses s opens a subquery.
    bool outsideSubqueries(int s) const
    {
        QVector<bool> open;
        for (int j = 0; j < s; ++j) {
            if (tok(j).is("("))
                open.append(tok(j + 1).is("select"));
            else if (tok(j).is(")") && !open.isEmpty())
                open.removeLast();
        }
        return !open.contains(true);
    }

    // The first token of the column (name or qualifier.name) that the Like at s tests, or -1 when
    // the Like tests anything else.
    int likeColumnStart(int s) const
    {
        if (!isName(tok(s - 1)) || (tok(s - 1).kind == SqlToken::Word && isOperatorKeyword(tok(s - 1))))
            return -1;
        if (tok(s - 2).is(".") && isName(tok(s - 3))) {
            if (tok(s - 4).is(".") || tok(s - 4).is(".."))
                return -1;
            return s - 3;
        }
        if (tok(s - 2).is(".") || tok(s - 2).is(".."))
            return -1;
        return s - 1;
    }

    // The whole-text regular expression of a Like pattern.
    static QString likeRegex(const QString &pattern)
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

    // "col Like 'ABC%'" (an ASCII prefix) also gets the range that every match lies in, so the
    // column's index serves the search (the client's Like is a function of its own, which SQLite cannot plan with). The
    // range holds for every match, so the condition's meaning, negated or not, stays the same.
    void likePrefix(int s)
    {
        const SqlToken &pattern = tok(s + 1);
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
        const int first = likeColumnStart(s);
        if (first < 0)
            return;
        QString column;
        for (int j = first; j < s; ++j)
            column += out(j);
        const QString quoted = QString(prefix).replace(QLatin1String("'"), QLatin1String("''"));
        out(first).prepend(QLatin1Char('('));
        out(s + 1) += QStringLiteral(" AND ") + column + QStringLiteral(" >= '") + quoted +
                      QStringLiteral("' COLLATE NOCASE AND ") + column + QStringLiteral(" < '") + quoted +
                      QChar(0xFFFF) + QStringLiteral("' COLLATE NOCASE)");
    }

    static bool isTextType(const SqlToken &type)
    {
        return inList(type, {"varchar", "char", "nvarchar", "nchar", "text", "ntext"});
    }

    void convert(int s)
    {
        const SqlToken &type = tok(s + 2);
        if (type.kind != SqlToken::Word)
            return;
        int comma = s + 3;
        QString length;
        if (tok(comma).is("(") && tok(comma + 1).kind == SqlToken::Number && tok(comma + 2).is(")")) {
            length = tok(comma + 1).text;
            comma += 3;
        }
        if (!tok(comma).is(","))
            return;
        const int close = closing(s + 1);
        if (close < 0)
            return;
        QString head;
        QString tail;
        if (isTextType(type)) {
            head = QStringLiteral("convert_varchar");
            tail = QStringLiteral(", ") + (length.isEmpty() ? QStringLiteral("30") : length);
        } else if (inList(type, {"int", "integer", "bigint", "smallint", "tinyint", "bit"})) {
            head = QStringLiteral("CAST");
            tail = QStringLiteral(" AS INTEGER");
        } else if (inList(type, {"float", "real", "decimal", "numeric", "money", "smallmoney"})) {
            head = QStringLiteral("CAST");
            tail = postgres() ? QStringLiteral(" AS DOUBLE PRECISION") : QStringLiteral(" AS REAL");
        } else if (inList(type, {"datetime", "smalldatetime", "date"})) {
            head = postgres() ? QStringLiteral("CAST") : QString();
            tail = postgres() ? QStringLiteral(" AS TIMESTAMP") : QString();
        } else {
            return;
        }
        out(s) = head;
        for (int j = s + 2; j <= comma; ++j)
            out(j).clear();
        out(close).prepend(tail);
    }

    void top(int s)
    {
        if (!(tok(s - 1).is("select") || tok(s - 1).is("distinct") || tok(s - 1).is("all")))
            return;
        int last = s + 1;
        QString count;
        if (tok(last).kind == SqlToken::Number) {
            count = tok(last).text;
        } else if (tok(last).is("(") && tok(last + 1).kind == SqlToken::Number && tok(last + 2).is(")")) {
            count = tok(last + 1).text;
            last += 2;
        } else {
            return;
        }
        for (int j = s; j <= last; ++j)
            out(j).clear();
        for (int i = m_sig.at(s); i <= m_sig.at(last) + 1 && i < m_tokens.size(); ++i) {
            if (!m_tokens.at(i).isSignificant())
                m_out[i].clear();
        }
        int depth = 0;
        for (int j = last + 1; j < m_sig.size(); ++j) {
            if (tok(j).is("(")) {
                ++depth;
            } else if (tok(j).is(")")) {
                if (depth == 0) {
                    out(j).prepend(QStringLiteral(" LIMIT ") + count);
                    return;
                }
                --depth;
            } else if (tok(j).is(";") && depth == 0) {
                out(j).prepend(QStringLiteral(" LIMIT ") + count);
                return;
            }
        }
        m_trailer += QStringLiteral(" LIMIT ") + count;
    }

    // "Insert t (a, b) Values (x, y)": a literal that is the whole value of a date column.
    void markInsertedDates()
    {
        if (!tok(0).is("insert"))
            return;
        int open = 1;
        while (open < m_sig.size() && !tok(open).is("(") && !tok(open).is("values"))
            ++open;
        if (!tok(open).is("("))
            return;
        const int close = closing(open);
        if (close < 0 || !tok(close + 1).is("values") || !tok(close + 2).is("("))
            return;
        QVector<bool> dateColumns;
        for (int s = open + 1; s < close; ++s) {
            if (tok(s).is(","))
                continue;
            dateColumns.append(isDateColumn(tok(s)) && (tok(s + 1).is(",") || s + 1 == close));
        }
        const int valuesClose = closing(close + 2);
        int column = 0;
        int start = close + 3;
        for (int s = start; s <= valuesClose && valuesClose > 0; ++s) {
            if (tok(s).is("(")) {
                s = closing(s);
                if (s < 0)
                    return;
                continue;
            }
            if (!tok(s).is(",") && s != valuesClose)
                continue;
            if (s == start + 1 && tok(start).kind == SqlToken::String && column < dateColumns.size() &&
                dateColumns.at(column))
                m_dateLiterals.insert(start);
            ++column;
            start = s + 1;
        }
    }

    // The name that ends a column reference at s ("A.TransDate" ends at TransDate).
    bool dateColumnEndsAt(int s) const { return isDateColumn(tok(s)) && !tok(s + 1).is("."); }
    bool dateColumnStartsAt(int s) const
    {
        while (isName(tok(s)) && tok(s + 1).is("."))
            s += 2;
        return isDateColumn(tok(s)) && !tok(s + 1).is("(");
    }

    // A literal compared with a date column (=, <, Between ... And ...) or set into one.
    bool meansDate(int s) const
    {
        if (m_dateLiterals.contains(s))
            return true;
        if (isComparison(tok(s - 1)) && dateColumnEndsAt(s - 2))
            return true;
        if (isComparison(tok(s + 1)) && dateColumnStartsAt(s + 2))
            return true;
        if (tok(s - 1).is("between") && dateColumnEndsAt(s - 2))
            return true;
        return tok(s - 1).is("and") && tok(s - 3).is("between") && dateColumnEndsAt(s - 4);
    }

    void literal(int s)
    {
        const QString iso = meansDate(s) ? TsqlAdapter::isoFromMonthFirst(tok(s).stringValue()) : QString();
        if (!iso.isEmpty()) {
            out(s) = QLatin1Char('\'') + iso + QLatin1Char('\'');
        } else if ((isComparison(tok(s - 1)) || isComparison(tok(s + 1)) || inValueList(s)) && postgres()) {
            // The citext columns ignore letter case and hold no trailing blanks; a compared text loses its
            // own.
            QString value = TsqlAdapter::withoutTrailingBlanks(tok(s).stringValue());
            // "x <> ''" as "x > ''": the same rows, since no text sorts before the empty one, and a
            // range an index can serve (the verified list reads only the verified lines). Only
            // where the literal is the whole right side ("x <> '' + y" compares with y).
            if (value.isEmpty() && (tok(s - 1).is("<>") || tok(s - 1).is("!=")) && endsComparedValue(s + 1))
                out(s - 1) = QStringLiteral(">");
            out(s) = QLatin1Char('\'') + value.replace(QLatin1String("'"), QLatin1String("''")) + QLatin1Char('\'');
        } else if (isComparison(tok(s - 1)) || isComparison(tok(s + 1))) {
            compared(s);
        }
    }

    // Whether the token at s ends the value a comparison's right side started before it.
    bool endsComparedValue(int s) const
    {
        return endsCondition(s) || inList(tok(s), {",", "having", "when", "else", "end", "union"});
    }

    // A literal of a list "In ('a', 'b')", which compares as "=".
    bool inValueList(int s) const
    {
        int j = s - 1;
        while (tok(j).is(",") && (tok(j - 1).kind == SqlToken::String || tok(j - 1).kind == SqlToken::Number))
            j -= 2;
        return tok(j).is("(") && tok(j - 1).is("in");
    }

    // A text compared with = < > ... ignores letter case and trailing blanks, as on SQL Server: the
    // client's MSSQL collation decides.
    void compared(int s)
    {
        out(s) += QStringLiteral(" COLLATE MSSQL");
        m_compared.append(s);
    }

    // "col = 'abc'" in a condition also gets the range of the columns' own NOCASE collation that
    // every equal value lies in ('abc' up to 'abc' followed by blanks), so the column's index serves
    // the lookup. Only for a column or an IsNull of one, and an ASCII text: then the range holds
    // every value SQL Server calls equal.
    void indexRange(int s)
    {
        const bool before = tok(s - 1).is("=");
        if (!before && !tok(s + 1).is("="))
            return;
        const QString value = TsqlAdapter::withoutTrailingBlanks(tok(s).stringValue());
        if (!isAscii(value))
            return;
        const Operand operand = before ? leftOperand(s - 1) : rightOperand(s + 1);
        if (operand.first < 0 || operand.last < 0)
            return;
        const int first = before ? operand.first : s;
        const int last = before ? s : operand.last;
        if (!startsCondition(tok(first - 1)) || !(endsCondition(last + 1) || startsCondition(tok(last + 1))))
            return;
        const bool column = operand.first == operand.last ||
                            (tok(operand.first).is("isnull") && tok(operand.first + 1).is("(")) ||
                            (operand.last - operand.first == 2 && tok(operand.first + 1).is("."));
        if (!column || tok(operand.last + 1).is("(") || (operand.first == operand.last && !isName(tok(operand.first))))
            return;
        QString expression;
        for (int i = m_sig.at(operand.first); i <= m_sig.at(operand.last); ++i)
            expression += m_out.at(i);
        const QString quoted = QString(value).replace(QLatin1String("'"), QLatin1String("''"));
        out(first).prepend(QLatin1Char('('));
        out(last) += QStringLiteral(" AND ") + expression + QStringLiteral(" >= '") + quoted +
                     QStringLiteral("' COLLATE NOCASE AND ") + expression + QStringLiteral(" < '") + quoted +
                     QStringLiteral("!' COLLATE NOCASE)");
    }

    static bool isAscii(const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() >= 0x80)
                return false;
        }
        return true;
    }

    // A function whose result is text, called at s.
    bool textFunction(int s) const
    {
        const SqlToken &name = tok(s);
        if (inList(name, {"substring", "substr", "replace", "upper", "lower", "ltrim", "rtrim", "left",
                          "right", "space", "char"}))
            return true;
        if (name.is("convert"))
            return isTextType(tok(s + 2));
        return false;
    }

    struct Operand
    {
        int first = -1;
        int last = -1;
        bool text = false;
    };

    Operand leftOperand(int plus) const
    {
        Operand operand;
        int j = plus - 1;
        operand.last = j;
        if (tok(j).is(")")) {
            const int open = opening(j);
            operand.first = open;
            if (open > 0 && tok(open - 1).kind == SqlToken::Word && !isOperatorKeyword(tok(open - 1))) {
                operand.first = open - 1;
                operand.text = textFunction(open - 1);
            }
            return operand;
        }
        operand.text = tok(j).kind == SqlToken::String;
        while (j >= 2 && (tok(j - 1).is(".") || tok(j - 1).is("..")) && isName(tok(j - 2)))
            j -= 2;
        operand.first = j;
        return operand;
    }

    Operand rightOperand(int plus) const
    {
        Operand operand;
        int j = plus + 1;
        operand.first = j;
        if (tok(j).kind == SqlToken::Word && tok(j + 1).is("(")) {
            operand.last = closing(j + 1);
            operand.text = textFunction(j);
            return operand;
        }
        if (tok(j).is("(")) {
            operand.last = closing(j);
            return operand;
        }
        operand.text = tok(j).kind == SqlToken::String;
        while ((tok(j + 1).is(".") || tok(j + 1).is("..")) && isName(tok(j + 2)))
            j += 2;
        operand.last = j;
        return operand;
    }

    // Chains of "+" in which one operand is text become "||" throughout.
    void joinTexts(const QVector<int> &pluses)
    {
        int i = 0;
        while (i < pluses.size()) {
            QVector<int> chain{pluses.at(i)};
            bool text = leftOperand(pluses.at(i)).text;
            Operand right = rightOperand(pluses.at(i));
            text = text || right.text;
            while (i + 1 < pluses.size() && right.last >= 0 && right.last + 1 == pluses.at(i + 1)) {
                ++i;
                chain.append(pluses.at(i));
                right = rightOperand(pluses.at(i));
                text = text || right.text;
            }
            if (text) {
                for (int plus : std::as_const(chain))
                    out(plus) = QStringLiteral("||");
            }
            ++i;
        }
    }

    AdaptedStatement procedureCall()
    {
        AdaptedStatement result;
        int s = 0;
        if (tok(s).is("exec") || tok(s).is("execute"))
            ++s;
        if (!isName(tok(s)))
            syntaxError(tok(s).text);
        QString name = tok(s).nameValue();
        ++s;
        while ((tok(s).is("..") || tok(s).is(".")) && isName(tok(s + 1))) {
            name = tok(s + 1).nameValue();
            s += 2;
        }
        result.procedure = name;
        bool expectArgument = s < m_sig.size() && !tok(s).is(";");
        while (expectArgument) {
            const SqlToken &t = tok(s);
            if (t.kind == SqlToken::String) {
                result.arguments.append(t.stringValue());
                ++s;
            } else if (t.kind == SqlToken::Number) {
                result.arguments.append(numberValue(t.text, false));
                ++s;
            } else if ((t.is("-") || t.is("+")) && tok(s + 1).kind == SqlToken::Number) {
                result.arguments.append(numberValue(tok(s + 1).text, t.is("-")));
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
            if (s >= m_sig.size() || tok(s).is(";"))
                break;
            if (!tok(s).is(","))
                syntaxError(tok(s).text);
            ++s;
        }
        if (s < m_sig.size() && tok(s).is(";"))
            ++s;
        if (s < m_sig.size())
            syntaxError(tok(s).text);
        return result;
    }

    const SqlDialect m_dialect;
    QVector<SqlToken> m_tokens;
    QVector<int> m_sig;
    QVector<QString> m_out;
    QString m_trailer;
    QSet<int> m_dateLiterals; // literals written into date columns
    QVector<int> m_compared;  // compared text literals
    QVector<int> m_serverLikes; // Like operators made ILIKE on the server
    QSet<int> m_rewritten;    // literals already given their final text
};

} // namespace

namespace TsqlAdapter {

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString isoFromMonthFirst(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4}) (\\d{1,2}):(\\d{2}):(\\d{2}) ?([AaPp][Mm])$"));
    if (text.size() < 19 || text.size() > 23)
        return QString();
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return QString();
    int hour = match.captured(4).toInt();
    if (hour < 1 || hour > 12)
        return QString();
    const bool pm = match.captured(7).startsWith(QLatin1Char('P'), Qt::CaseInsensitive);
    hour = hour % 12 + (pm ? 12 : 0);
    const QDate date(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
    const QTime time(hour, match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return QString();
    // The date and time as written: a time that the local clock skips or repeats when it changes
    // for daylight saving is a time of the hospital's records all the same.
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(), time.hour(),
                             time.minute(), time.second());
}

AdaptedStatement adapt(const QString &tsql, SqlDialect dialect)
{
    // Lists and lookups repeat the same texts; inserts carry their values and rarely repeat, so
    // the cache is simply emptied when it grows large.
    static QMutex mutex;
    static QHash<QString, AdaptedStatement> cache[2];
    const int kind = dialect == SqlDialect::Postgres ? 1 : 0;
    {
        QMutexLocker lock(&mutex);
        const auto found = cache[kind].constFind(tsql);
        if (found != cache[kind].constEnd())
            return found.value();
    }
    AdaptedStatement adapted = Translator(tsql, dialect).run();
    QMutexLocker lock(&mutex);
    if (cache[kind].size() >= 1000)
        cache[kind].clear();
    cache[kind].insert(tsql, adapted);
    return adapted;
}

} // namespace TsqlAdapter
