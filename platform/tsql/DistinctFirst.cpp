#include "platform/tsql/DistinctFirst.h"

#include "platform/tsql/SqlTokenizer.h"

#include <QSet>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <optional>

namespace {

// Words that end a table's name in the FROM clause instead of being its alias.
bool endsTable(const SqlToken &token)
{
    return isOneOf(token, {"left",   "right", "inner",     "outer",  "full",   "cross",   "natural",
                           "join",   "on",    "using",     "where",  "order",  "limit",   "group",
                           "having", "union", "intersect", "except", "window", "indexed", "not"});
}

struct Range
{
    int first = 0; // significant token positions, inclusive
    int last = -1;
    bool empty() const { return last < first; }
};

struct Join
{
    Range whole; // from "left"/"inner"/"join" to the end of its condition
    Range condition;
    QString alias;
    bool left = false;
    bool moved = false;
};

class Statement
{
public:
    explicit Statement(const QString &sql) : m_statement(sql) {}

    QString rewrite(const DistinctFirst::Options &options)
    {
        if (!tok(0).is("select") || !tok(1).is("distinct") || !findClauses() || !readFrom())
            return QString();
        chooseMovedJoins();
        const bool subquery = containsSubquery(m_selectList);
        if (!subquery && std::none_of(m_joins.begin(), m_joins.end(), [](const Join &j) { return j.moved; }))
            return QString();
        const std::optional<QVector<SqlToken>> columns = innerColumns();
        if (!columns || columns->isEmpty())
            return QString();

        // The fold's columns, and above it the same columns in their own type again where the fold
        // compared their exact text.
        QStringList folded;
        QStringList lifted;
        bool anyExact = false;
        const QString table =
            tok(m_mainTable.first + (tok(m_mainTable.first + 1).is(".") ? 2 : 0)).nameValue().toLower();
        for (const SqlToken &column : *columns) {
            const QString qualified = m_mainAlias + QLatin1Char('.') + column.text;
            const bool exact = options.exactText && options.exactText(table, column.nameValue().toLower());
            anyExact = anyExact || exact;
            const QString alias = QStringLiteral(" AS ") + column.text;
            folded.append(exact ? qualified + options.toExactText + alias : qualified);
            lifted.append(exact ? qualified + options.back + alias : qualified);
        }

        QString selectList = text(m_selectList);
        QStringList lookupJoins;
        if (options.lookupsAsJoins)
            selectList = lookupsAsJoins(options, &lookupJoins);

        QString sql = QStringLiteral("SELECT DISTINCT ") + selectList + QStringLiteral(" FROM (");
        if (anyExact)
            sql += QStringLiteral("SELECT ") + lifted.join(QStringLiteral(", ")) + QStringLiteral(" FROM (");
        sql += QStringLiteral("SELECT DISTINCT ") + folded.join(QStringLiteral(", ")) +
               QStringLiteral(" FROM ") + text(m_mainTable);
        for (const Join &join : std::as_const(m_joins)) {
            if (!join.moved)
                sql += QLatin1Char(' ') + text(join.whole);
        }
        if (!m_where.empty())
            sql += QStringLiteral(" WHERE ") + text(m_where);
        sql += QStringLiteral(") ") + m_mainAlias;
        if (anyExact)
            sql += QStringLiteral(") ") + m_mainAlias;
        for (const Join &join : std::as_const(m_joins)) {
            if (join.moved)
                sql += QLatin1Char(' ') + text(join.whole);
        }
        for (const QString &join : std::as_const(lookupJoins))
            sql += QLatin1Char(' ') + join;
        if (!m_tail.empty())
            sql += QLatin1Char(' ') + text(m_tail);
        return sql;
    }

private:
    // The select list with each lookup "(SELECT expr FROM t [alias] WHERE key = A.c LIMIT 1)" read
    // from a left join instead; the joins go to *joins. Other subqueries stay as they are.
    QString lookupsAsJoins(const DistinctFirst::Options &options, QStringList *joins) const
    {
        QString list;
        int s = m_selectList.first;
        while (s <= m_selectList.last) {
            const int close = tok(s).is("(") && tok(s + 1).is("select") ? m_statement.closing(s) : -1;
            const std::optional<QString> join = close > 0 && close <= m_selectList.last
                                                    ? lookupJoin(s + 1, close - 1, joins->size() + 1, options)
                                                    : std::nullopt;
            if (!join) {
                list += withBlanksAfter(s, m_selectList.last);
                ++s;
                continue;
            }
            const QString name = QStringLiteral("ir_lookup%1").arg(joins->size() + 1);
            joins->append(*join);
            list += name + QStringLiteral(".v");
            // Unnamed, the column keeps the name the server gives the lookup's own expression.
            if (tok(close + 1).is(",") || close == m_selectList.last)
                list += QStringLiteral(" AS ") + lookupColumnName(s + 2);
            list += withBlanksAfter(close, m_selectList.last).mid(1);
            s = close + 1;
        }
        return list;
    }

    // The token at s with the blanks that follow it, up to the next significant token before end.
    QString withBlanksAfter(int s, int end) const
    {
        return s < end ? m_statement.textBefore(s, s + 1) : m_statement.text(s, s);
    }

    // The left join answering the subquery "SELECT ... LIMIT 1" between first and last, when it is a
    // lookup of one row of one table by a key equal to a column of the main table.
    std::optional<QString> lookupJoin(int first, int last, int number,
                                      const DistinctFirst::Options &options) const
    {
        if (!tok(first).is("select") || tok(last).kind != SqlToken::Number ||
            tok(last).text != QLatin1String("1") || !tok(last - 1).is("limit"))
            return std::nullopt;
        int from = -1;
        for (int s = first + 1; s < last; ++s) {
            if (tok(s).is("(") || tok(s).is("select"))
                return std::nullopt; // nested: left as it is
            if (tok(s).is("from")) {
                from = s;
                break;
            }
        }
        if (from <= first + 1)
            return std::nullopt;
        QString tableAlias;
        int s = from + 1;
        if (!isName(tok(s)))
            return std::nullopt;
        const int tableFirst = s;
        if (tok(s + 1).is(".") && isName(tok(s + 2)))
            s += 2;
        const QString table = tok(s).nameValue().toLower();
        const int tableLast = s++;
        if (isName(tok(s)) && !tok(s).is("where"))
            tableAlias = tok(s++).nameValue().toLower();
        if (!tok(s).is("where"))
            return std::nullopt;
        // key = A.c, the key's name plain or qualified by the table or its alias
        int keyAt = s + 1;
        if (tok(keyAt + 1).is(".")) {
            const QString qualifier = tok(keyAt).nameValue().toLower();
            if (qualifier != table && qualifier != tableAlias)
                return std::nullopt;
            keyAt += 2;
        }
        if (!isName(tok(keyAt)) || !tok(keyAt + 1).is("=") ||
            tok(keyAt + 2).nameValue().compare(m_mainAlias, Qt::CaseInsensitive) != 0 ||
            !tok(keyAt + 3).is(".") || !isName(tok(keyAt + 4)) || keyAt + 5 != last - 1)
            return std::nullopt;
        const QString key = tok(keyAt).text;
        const QString name = QStringLiteral("ir_lookup%1").arg(number);
        const bool unique = options.uniqueKey && options.uniqueKey(table, tok(keyAt).nameValue().toLower());
        return QStringLiteral("LEFT JOIN (SELECT ") +
               (unique ? QString() : QStringLiteral("DISTINCT ON (") + key + QStringLiteral(") ")) + key +
               QStringLiteral(" AS k, ") + text({first + 1, from - 1}).trimmed() +
               QStringLiteral(" AS v FROM ") + text({tableFirst, tableLast}) +
               (tableAlias.isEmpty() ? QString() : QLatin1Char(' ') + tok(tableLast + 1).text) +
               QStringLiteral(") ") + name + QStringLiteral(" ON ") + name + QStringLiteral(".k = ") +
               m_mainAlias + QLatin1Char('.') + tok(keyAt + 4).text;
    }

    // The name the server gives the column of "(SELECT expr ...)": the column's own where expr is a
    // column, else "?column?".
    QString lookupColumnName(int exprFirst) const
    {
        int s = exprFirst;
        if (isName(tok(s)) && tok(s + 1).is(".") && isName(tok(s + 2)))
            s += 2;
        return isName(tok(s)) && tok(s + 1).is("from") ? tok(s).text : QStringLiteral("\"?column?\"");
    }

    const SqlToken &tok(int s) const { return m_statement.at(s); }
    int count() const { return m_statement.count(); }
    QString text(const Range &range) const { return m_statement.text(range.first, range.last); }

    // The clauses at the outermost level: select list, FROM, WHERE, and the ORDER BY / LIMIT tail.
    bool findClauses()
    {
        int from = -1;
        int where = -1;
        int tail = -1;
        int depth = 0;
        for (int s = 2; s < count(); ++s) {
            const SqlToken &t = tok(s);
            if (t.is("(")) {
                ++depth;
            } else if (t.is(")")) {
                if (--depth < 0)
                    return false;
            } else if (depth == 0) {
                if (isOneOf(t, {"group", "having", "union", "intersect", "except", "window", ";"}))
                    return false;
                if (t.is("from") && from < 0)
                    from = s;
                else if (t.is("where") && from >= 0 && where < 0 && tail < 0)
                    where = s;
                else if ((t.is("order") || t.is("limit")) && from >= 0 && tail < 0)
                    tail = s;
            }
        }
        if (depth != 0 || from < 3)
            return false;
        const int end = count();
        m_selectList = {2, from - 1};
        m_from = {from + 1, (where >= 0 ? where : tail >= 0 ? tail : end) - 1};
        if (where >= 0)
            m_where = {where + 1, (tail >= 0 ? tail : end) - 1};
        if (tail >= 0)
            m_tail = {tail, end - 1};
        return !m_from.empty() && (where < 0 || !m_where.empty());
    }

    // "table [AS] alias" at s; the position after it, or -1.
    int readTable(int s, QString *alias) const
    {
        if (!isName(tok(s)))
            return -1;
        ++s;
        if (tok(s).is(".") && isName(tok(s + 1)))
            s += 2;
        if (tok(s).is("as"))
            ++s;
        if (!isName(tok(s)) || endsTable(tok(s)))
            return -1;
        *alias = tok(s).nameValue();
        return s + 1;
    }

    bool readFrom()
    {
        int s = readTable(m_from.first, &m_mainAlias);
        if (s < 0)
            return false;
        m_mainTable = {m_from.first, s - 1};
        while (s <= m_from.last) {
            Join join;
            join.whole.first = s;
            if (tok(s).is("left")) {
                join.left = true;
                ++s;
                if (tok(s).is("outer"))
                    ++s;
            } else if (tok(s).is("inner")) {
                ++s;
            }
            if (!tok(s).is("join"))
                return false;
            s = readTable(s + 1, &join.alias);
            if (s < 0 || !tok(s).is("on"))
                return false;
            join.condition.first = ++s;
            int depth = 0;
            for (; s <= m_from.last; ++s) {
                if (tok(s).is("("))
                    ++depth;
                else if (tok(s).is(")"))
                    --depth;
                else if (depth == 0 &&
                         isOneOf(tok(s), {"left", "inner", "join", "cross", "natural", "right", "full", ","}))
                    break;
            }
            join.condition.last = s - 1;
            join.whole.last = s - 1;
            if (join.condition.empty())
                return false;
            m_joins.append(join);
        }
        return true;
    }

    // Qualified names "alias.column" in the range, skipping "schema.table.column" parts.
    QVector<std::pair<QString, int>> references(const Range &range) const
    {
        QVector<std::pair<QString, int>> found;
        for (int s = range.first; s + 2 <= range.last; ++s) {
            if (isName(tok(s)) && tok(s + 1).is(".") && isName(tok(s + 2)) && !tok(s - 1).is(".")) {
                found.append({tok(s).nameValue().toLower(), s + 2});
                s += 2;
            }
        }
        return found;
    }

    QSet<QString> qualifiers(const Range &range) const
    {
        QSet<QString> names;
        for (const auto &reference : references(range))
            names.insert(reference.first);
        return names;
    }

    // A left join can run after the fold when its condition reads only the main table, its own
    // table and joins moved before it, and nothing that stays inside reads its table.
    void chooseMovedJoins()
    {
        for (Join &join : m_joins)
            join.moved = join.left;
        for (bool changed = true; changed;) {
            changed = false;
            QSet<QString> readInside = qualifiers(m_where);
            for (const Join &join : std::as_const(m_joins)) {
                if (!join.moved)
                    readInside.unite(qualifiers(join.condition));
            }
            QSet<QString> available{m_mainAlias.toLower()};
            for (Join &join : m_joins) {
                const QString alias = join.alias.toLower();
                bool movable = join.moved && !readInside.contains(alias);
                for (const QString &name : qualifiers(join.condition))
                    movable = movable && (name == alias || available.contains(name));
                if (join.moved && !movable) {
                    join.moved = false;
                    changed = true;
                }
                if (join.moved)
                    available.insert(alias);
            }
        }
    }

    bool containsSubquery(const Range &range) const
    {
        for (int s = range.first; s < range.last; ++s) {
            if (tok(s).is("(") && tok(s + 1).is("select"))
                return true;
        }
        return false;
    }

    // The main table's columns the outer part reads, the ones the kept joins match on first: the
    // rows then come grouped by those, so the distinct set is built from nearly ordered keys.
    std::optional<QVector<SqlToken>> innerColumns() const
    {
        const QString main = m_mainAlias.toLower();
        QSet<QString> inside;
        for (const Join &join : std::as_const(m_joins)) {
            if (!join.moved)
                inside.insert(join.alias.toLower());
        }
        QVector<SqlToken> columns;
        QSet<QString> seen;
        auto add = [&](const SqlToken &column) {
            const QString key = column.nameValue().toLower();
            if (!seen.contains(key)) {
                seen.insert(key);
                columns.append(column);
            }
        };
        for (const Join &join : std::as_const(m_joins)) {
            if (join.moved)
                continue;
            for (const auto &[alias, s] : references(join.condition)) {
                if (alias == main)
                    add(tok(s));
            }
        }
        QVector<Range> outer{m_selectList, m_tail};
        for (const Join &join : std::as_const(m_joins)) {
            if (join.moved)
                outer.append(join.condition);
        }
        // ORDER BY names a column of the select list without its alias ("Order By TransDate").
        if (!m_tail.empty()) {
            for (int s = m_tail.first; s <= m_tail.last; ++s) {
                if (tok(s).kind != SqlToken::Word || tok(s - 1).is(".") || tok(s + 1).is(".") ||
                    tok(s + 1).is("("))
                    continue;
                for (const auto &[alias, column] : references(m_selectList)) {
                    if (alias == main &&
                        tok(column).nameValue().compare(tok(s).text, Qt::CaseInsensitive) == 0)
                        add(tok(column));
                }
            }
        }
        for (const Range &range : std::as_const(outer)) {
            if (range.empty())
                continue;
            for (const auto &[alias, s] : references(range)) {
                if (inside.contains(alias))
                    return std::nullopt; // a filtering join's column read after the fold
                if (alias == main)
                    add(tok(s));
            }
        }
        return columns;
    }

    SignificantTokens m_statement;
    Range m_selectList;
    Range m_from;
    Range m_where;
    Range m_tail;
    Range m_mainTable;
    QString m_mainAlias;
    QVector<Join> m_joins;
};

} // namespace

QString DistinctFirst::rewrite(const QString &sql, const Options &options)
{
    return Statement(sql).rewrite(options);
}
