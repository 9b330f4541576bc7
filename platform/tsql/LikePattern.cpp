#include "platform/tsql/LikePattern.h"

#include <algorithm>

namespace {

char16_t folded(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

} // namespace

LikePattern::LikePattern(QStringView pattern)
{
    m_anchored = !pattern.startsWith(u'%');
    for (qsizetype p = 0; p < pattern.size(); ++p) {
        const char16_t c = pattern.at(p).unicode();
        if (c == u'%') {
            // A run of '%' means what one does.
            if (m_elements.empty() || m_elements.back().kind != Element::AnyRun)
                m_elements.emplace_back(Element::AnyRun);
            continue;
        }
        if (c == u'_') {
            m_elements.emplace_back(Element::AnyOne);
            continue;
        }
        const qsizetype close = c == u'[' ? pattern.indexOf(u']', p + 1) : -1;
        if (close > p + 1) {
            Element set(Element::Set);
            qsizetype i = p + 1;
            set.negated = pattern.at(i) == u'^';
            if (set.negated)
                ++i;
            for (; i < close; ++i) {
                if (i + 2 < close && pattern.at(i + 1) == u'-') {
                    set.ranges.push_back({folded(pattern.at(i).unicode()), folded(pattern.at(i + 2).unicode())});
                    i += 2;
                } else {
                    const char16_t letter = folded(pattern.at(i).unicode());
                    set.ranges.push_back({letter, letter});
                }
            }
            m_elements.push_back(std::move(set));
            p = close;
            continue;
        }
        Element letter(Element::Letter);
        letter.letter = folded(c);
        m_elements.push_back(std::move(letter));
    }
}

bool LikePattern::accepts(const Element &element, char16_t c)
{
    switch (element.kind) {
    case Element::AnyRun:
        return false;
    case Element::AnyOne:
        return true;
    case Element::Letter:
        return element.letter == c;
    case Element::Set:
        break;
    }
    const bool inSet = std::any_of(element.ranges.begin(), element.ranges.end(),
                                   [c](const Range &range) { return c >= range.low && c <= range.high; });
    return inSet != element.negated;
}

// Every element other than '%' takes exactly one character, so when a match fails it is enough to
// let the last '%' passed take one more character and go on from there: earlier '%'s never need to
// be revisited, and no position is tried more than once per element.
bool LikePattern::matches(QStringView text) const
{
    const int elementCount = int(m_elements.size());
    const int length = int(text.size());
    int e = 0;
    int t = 0;
    int afterRun = -1; // the element after the last '%' passed, and where its run ended
    int runEnd = 0;
    while (t < length) {
        if (e < elementCount && m_elements[e].kind == Element::AnyRun) {
            afterRun = ++e;
            runEnd = t;
        } else if (e < elementCount && accepts(m_elements[e], folded(text.at(t).unicode()))) {
            ++e;
            ++t;
        } else if (afterRun >= 0) {
            e = afterRun;
            t = ++runEnd;
        } else {
            return false;
        }
    }
    while (e < elementCount && m_elements[e].kind == Element::AnyRun)
        ++e;
    return e == elementCount;
}

// The elements from firstElement on, matched against every suffix of the text at once: for each
// element, the earliest start from which the text read so far reaches it. A start that reaches an
// element earlier can always stand in for a later one, so keeping the earliest is exact.
int LikePattern::earliestStartOfFullMatch(QStringView text, int firstElement) const
{
    const int states = int(m_elements.size()) - firstElement + 1;
    std::vector<int> earliest(states, -1);
    std::vector<int> next(states, -1);
    auto reach = [](std::vector<int> &row, int state, int start) {
        if (start >= 0 && (row[state] < 0 || start < row[state]))
            row[state] = start;
    };
    auto passRuns = [&] {
        for (int s = 0; s + 1 < states; ++s) {
            if (m_elements[firstElement + s].kind == Element::AnyRun)
                reach(earliest, s + 1, earliest[s]);
        }
    };
    for (int t = 0; t < int(text.size()); ++t) {
        reach(earliest, 0, t);
        passRuns();
        std::fill(next.begin(), next.end(), -1);
        const char16_t c = folded(text.at(t).unicode());
        for (int s = 0; s + 1 < states; ++s) {
            const Element &element = m_elements[firstElement + s];
            if (element.kind == Element::AnyRun)
                reach(next, s, earliest[s]);
            else if (accepts(element, c))
                reach(next, s + 1, earliest[s]);
        }
        earliest.swap(next);
    }
    passRuns();
    return earliest[states - 1];
}

int LikePattern::firstMatchPosition(QStringView text) const
{
    if (m_elements.empty())
        return 0;
    if (m_anchored)
        return matches(text) ? 1 : 0;
    if (m_elements.size() == 1)
        return text.isEmpty() ? 0 : 1;
    const int start = earliestStartOfFullMatch(text, 1);
    return start < 0 ? 0 : start + 1;
}
