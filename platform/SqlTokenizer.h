#pragma once

#include <QString>
#include <QVector>

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
