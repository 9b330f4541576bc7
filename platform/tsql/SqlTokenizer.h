#pragma once

#include <QString>
#include <QVector>

#include <initializer_list>

// Splits T-SQL text into tokens. Joining the texts of all tokens gives the input back unchanged,
// so a translation can rewrite single tokens and leave everything else byte for byte.
struct SqlToken
{
    enum Kind {
        Space,      // blanks, line breaks, comments
        String,     // 'text' with '' inside; unterminated literals run to the end
        QuotedName, // [name] or "name"
        Word,       // identifiers and keywords (letters, digits, _ @ # $)
        Number,     // 12, 1.5, .5, 1e3
        Symbol,     // operators and punctuation; ".." is one token
    };

    Kind kind = Space;
    QString text;

    bool is(const char *symbolOrWord) const; // a symbol, or a word in any letter case
    bool isSignificant() const { return kind != Space; }
    // The literal's value with the quotes removed and doubled quotes undone.
    QString stringValue() const;
    // The name inside [] or "", or a plain word as written.
    QString nameValue() const;
};

QVector<SqlToken> tokenizeSql(const QString &sql);

// A name: a plain word (keywords included) or a quoted one.
inline bool isName(const SqlToken &token)
{
    return token.kind == SqlToken::Word || token.kind == SqlToken::QuotedName;
}

// Whether the token is one of the symbols or words (in any letter case).
inline bool isOneOf(const SqlToken &token, std::initializer_list<const char *> symbolsOrWords)
{
    for (const char *one : symbolsOrWords) {
        if (token.is(one))
            return true;
    }
    return false;
}

// Whether the text holds one statement: nothing but blanks, comments and ";" after its first ";".
// A value the client joined between quotes stays inside its literal, so a second statement can
// only come from one that ended its quotes early.
bool holdsOneStatement(const QString &sql);

// The significant tokens of a statement (neither blanks nor comments) by position, over all of its
// tokens, so that parts of the statement can be given back as written.
class SignificantTokens
{
public:
    explicit SignificantTokens(const QString &sql);

    int count() const { return int(m_positions.size()); }
    // The token at s; an empty one outside the statement.
    const SqlToken &at(int s) const;
    // The statement as written from token first through token last.
    QString text(int first, int last) const;
    // The statement as written from token from up to token to (to the end when to is count()),
    // the blanks and comments before to included.
    QString textBefore(int from, int to) const;
    // The position of the ")" that closes the "(" at s, or -1.
    int closing(int s) const;
    // All tokens, blanks and comments included, and where the significant token s stands in them.
    const QVector<SqlToken> &all() const { return m_tokens; }
    int position(int s) const { return m_positions.at(s); }

private:
    QVector<SqlToken> m_tokens;
    QVector<int> m_positions; // of the significant tokens in m_tokens
};
