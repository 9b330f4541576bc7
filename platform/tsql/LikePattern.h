#pragma once

#include <QChar>
#include <QStringView>

#include <vector>

// A Like pattern as SQL Server reads it: '%' any run of characters, '_' any one character, [abc],
// [a-c] and [^abc] sets, anything else itself, letter case ignored (beyond ASCII too). Read once,
// then matched against any number of texts in time proportional to the text's length times the
// pattern's, whatever the pattern: no typed search can make a match take exponential time.
class LikePattern
{
public:
    explicit LikePattern(QStringView pattern);

    // True when the pattern matches the whole text.
    bool matches(QStringView text) const;

    // SQL Server's PATINDEX: the 1-based position at which the pattern's first match starts, 0 when
    // there is none. A pattern that does not begin with '%' must match the whole text (answer 1).
    int firstMatchPosition(QStringView text) const;

private:
    struct Range
    {
        char16_t low;
        char16_t high;
    };
    struct Element
    {
        enum Kind { AnyRun, AnyOne, Letter, Set };
        explicit Element(Kind kind) : kind(kind) {}
        Kind kind;
        char16_t letter = 0; // case folded
        bool negated = false;
        std::vector<Range> ranges; // case folded; a single letter is a range of one
    };

    static bool accepts(const Element &element, char16_t folded);
    int earliestStartOfFullMatch(QStringView text, int firstElement) const;

    std::vector<Element> m_elements;
    bool m_anchored = true; // the pattern does not begin with '%'
};
