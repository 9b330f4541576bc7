#include "pickers/core/modEncryption.h"

namespace {

constexpr int StartSeed = 91;

int ByteCode(QChar c)
{
    return c.unicode() <= 0xFF ? c.unicode() : '?';
}

// Walks the key cyclically from its first character.
class KeyCycle
{
public:
    explicit KeyCycle(const QString &key) : m_key(key) {}

    int next()
    {
        m_position = m_position < m_key.size() ? m_position + 1 : 1;
        return ByteCode(m_key.at(m_position - 1));
    }

private:
    const QString &m_key;
    qsizetype m_position = 0;
};

QString HexField(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QChar(u' ')).toUpper();
}

// A pair of the scrambled form, blanks removed, read as hexadecimal; -1 when it is not one.
int HexPair(QStringView pair)
{
    QString digits;
    for (QChar c : pair) {
        if (c != u' ')
            digits += c;
    }
    if (digits.isEmpty())
        return -1;
    for (QChar c : digits) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f')))
            return -1;
    }
    return digits.toInt(nullptr, 16);
}

QString Scramble(const QString &key, const QString &text)
{
    KeyCycle cycle(key);
    int seed = StartSeed;
    QString output = HexField(seed);
    for (QChar c : text) {
        int v = (ByteCode(c) + seed) % 255;
        v ^= cycle.next();
        output += HexField(v);
        seed = v;
    }
    return output;
}

QString Unscramble(const QString &key, const QString &text)
{
    if (text.size() % 2 != 0)
        return QString();
    int seed = HexPair(QStringView(text).mid(0, 2));
    if (seed < 0)
        return QString();
    KeyCycle cycle(key);
    QString output;
    for (qsizetype pos = 2; pos < text.size(); pos += 2) {
        const int v = HexPair(QStringView(text).mid(pos, 2));
        if (v < 0)
            return QString();
        int x = cycle.next() ^ v;
        if (x <= seed)
            x = x + 255 - seed;
        else
            x = x - seed;
        output += QChar(char16_t(x));
        seed = v;
    }
    return output;
}

} // namespace

QString ScrambleText(const QString &mode, const QString &key, const QString &text)
{
    const bool scramble = mode == QStringLiteral("E");
    if (!scramble && mode != QStringLiteral("D"))
        return QString();
    if (key.isEmpty()) {
        if (scramble && text.isEmpty())
            return HexField(StartSeed);
        return QString();
    }
    return scramble ? Scramble(key, text) : Unscramble(key, text);
}

QString StaffPasswordForm(const QString &password)
{
    return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
}
