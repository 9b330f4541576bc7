#pragma once

#include "platform/tsql/Dialect.h"
#include "platform/tsql/SqlTokenizer.h"

#include <QSet>
#include <QString>
#include <QVector>

// Words after which "+" is a sign, not an addition, and which never name a column.
bool isOperatorKeyword(const SqlToken &token);
// = <> != < > <= >= !< !>
bool isComparison(const SqlToken &token);
// A character type of Convert: varchar, char, nvarchar, nchar, text, ntext.
bool isTextType(const SqlToken &type);
// A word that starts a statement of SQL (anything else starts a procedure call).
bool isStatementKeyword(const SqlToken &token);
// A token after which a condition starts (or a part of one, with AND, OR, NOT).
bool startsCondition(const SqlToken &token);

// One statement on its way through the passes: its significant tokens as the client wrote them,
// and the text each token is given so far. A pass reads the tokens as written and rewrites texts;
// joining every token's text, blanks and comments included, gives the statement.
class Statement
{
public:
    Statement(const QString &tsql, const Dialect &dialect);

    const Dialect &dialect() const { return m_dialect; }
    int count() const { return m_tokens.count(); }
    // The token at s as written; an empty one outside the statement.
    const SqlToken &tok(int s) const { return m_tokens.at(s); }
    // The text the token at s is given.
    QString &out(int s) { return m_out[m_tokens.position(s)]; }
    const QString &out(int s) const { return m_out.at(m_tokens.position(s)); }
    // The texts given from token first through token last, blanks and comments between included.
    QString outText(int first, int last) const;
    // Clears the blanks and comments from token first up to the token after last.
    void clearBlanks(int first, int last);
    // Text added after the last token.
    QString &trailer() { return m_trailer; }
    QString text() const;

    // Whether the token at s + 1 follows the one at s with nothing between.
    bool adjacent(int s) const { return s + 1 < count() && m_tokens.position(s + 1) == m_tokens.position(s) + 1; }
    int closing(int s) const { return m_tokens.closing(s); }
    // The position of the "(" that the ")" at s closes, or -1.
    int opening(int s) const;
    // Whether a condition (or a part of one, before AND or OR) ends at the token at s.
    bool endsCondition(int s) const;
    // Whether the token at s ends the value a comparison's right side started before it.
    bool endsComparedValue(int s) const;
    // Whether the token at s can end an operand of "+" (a name, a literal, a ")").
    bool endsOperand(int s) const;
    // Whether the word at s is the database of a name ("INVENTORY..x", "INVENTORY.dbo.x").
    bool startsDatabaseName(int s) const;
    // Whether the token at s follows a "." or "..": a column or table name, whatever it is called.
    bool followsDot(int s) const { return s > 0 && (tok(s - 1).is(".") || tok(s - 1).is("..")); }
    // Whether no parenthesis that encloses s opens a subquery.
    bool outsideSubqueries(int s) const;
    // A literal of a list "In ('a', 'b')", which compares as "=".
    bool inValueList(int s) const;
    // The first token of the column (name or qualifier.name) that the Like at s tests, or -1 when
    // the Like tests anything else.
    int likeColumnStart(int s) const;
    // A function whose result is text, called at s.
    bool textFunction(int s) const;

    // An operand of "+" or "=": its first and last tokens, and whether it is text for certain.
    struct Operand
    {
        int first = -1;
        int last = -1;
        bool text = false;
    };
    Operand leftOperand(int symbol) const;
    Operand rightOperand(int symbol) const;

    // What passes leave for later passes.
    QSet<int> finished;      // literals given their final text (a date, a regular expression)
    QVector<int> compared;   // text literals compared as SQL Server compares (the embedded files)
    QVector<int> serverLikes; // Like operators made ILIKE with a literal pattern (the server)

private:
    const Dialect &m_dialect;
    SignificantTokens m_tokens;
    QVector<QString> m_out; // by position over all tokens
    QString m_trailer;
};
