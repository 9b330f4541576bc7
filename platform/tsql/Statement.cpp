#include "platform/tsql/Statement.h"

bool isOperatorKeyword(const SqlToken &token)
{
    return isOneOf(token, {"and", "or", "not", "select", "where", "then", "else", "when", "set", "values", "by",
                           "on", "in", "is", "like", "case", "return", "distinct", "as", "top"});
}

bool isComparison(const SqlToken &token)
{
    return token.kind == SqlToken::Symbol && isOneOf(token, {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"});
}

bool isTextType(const SqlToken &type)
{
    return isOneOf(type, {"varchar", "char", "nvarchar", "nchar", "text", "ntext"});
}

bool isStatementKeyword(const SqlToken &token)
{
    return isOneOf(token, {"select", "insert", "update", "delete", "with", "begin", "commit", "rollback",
                           "create", "drop", "alter", "pragma", "attach", "detach", "vacuum", "replace",
                           "explain", "analyze", "reindex", "savepoint", "release", "end", "values"});
}

bool startsCondition(const SqlToken &token)
{
    return isOneOf(token, {"where", "and", "or", "on", "(", "when", "having", "not"});
}

Statement::Statement(const QString &tsql, const Dialect &dialect) : m_dialect(dialect), m_tokens(tsql)
{
    m_out.reserve(m_tokens.all().size());
    for (const SqlToken &token : m_tokens.all())
        m_out.append(token.text);
}

QString Statement::outText(int first, int last) const
{
    QString text;
    for (int i = m_tokens.position(first); i <= m_tokens.position(last); ++i)
        text += m_out.at(i);
    return text;
}

void Statement::clearBlanks(int first, int last)
{
    const QVector<SqlToken> &all = m_tokens.all();
    for (int i = m_tokens.position(first); i <= m_tokens.position(last) + 1 && i < all.size(); ++i) {
        if (!all.at(i).isSignificant())
            m_out[i].clear();
    }
}

QString Statement::text() const
{
    QString text;
    for (const QString &part : m_out)
        text += part;
    return text + m_trailer;
}

int Statement::opening(int s) const
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

bool Statement::endsCondition(int s) const
{
    return s >= count() || isOneOf(tok(s), {"and", "or", ")", "order", "group", "then", ";"});
}

bool Statement::endsComparedValue(int s) const
{
    return endsCondition(s) || isOneOf(tok(s), {",", "having", "when", "else", "end", "union"});
}

bool Statement::endsOperand(int s) const
{
    const SqlToken &t = tok(s);
    if (t.kind == SqlToken::Word)
        return !isOperatorKeyword(t);
    return t.kind == SqlToken::Number || t.kind == SqlToken::String || t.kind == SqlToken::QuotedName ||
           t.is(")");
}

bool Statement::startsDatabaseName(int s) const
{
    if (tok(s).kind != SqlToken::Word)
        return false;
    if (tok(s + 1).is("..") && isName(tok(s + 2)))
        return true;
    return tok(s + 1).is(".") && tok(s + 2).kind == SqlToken::Word && tok(s + 3).is(".") && isName(tok(s + 4)) &&
           (s == 0 || !tok(s - 1).is("."));
}

bool Statement::outsideSubqueries(int s) const
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

bool Statement::inValueList(int s) const
{
    int j = s - 1;
    while (tok(j).is(",") && (tok(j - 1).kind == SqlToken::String || tok(j - 1).kind == SqlToken::Number))
        j -= 2;
    return tok(j).is("(") && tok(j - 1).is("in");
}

int Statement::likeColumnStart(int s) const
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

bool Statement::textFunction(int s) const
{
    const SqlToken &name = tok(s);
    if (isOneOf(name, {"substring", "substr", "replace", "upper", "lower", "ltrim", "rtrim", "left", "right",
                       "space", "char"}))
        return true;
    if (name.is("convert"))
        return isTextType(tok(s + 2));
    return false;
}

Statement::Operand Statement::leftOperand(int symbol) const
{
    Operand operand;
    int j = symbol - 1;
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

Statement::Operand Statement::rightOperand(int symbol) const
{
    Operand operand;
    int j = symbol + 1;
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
