// Password scrambling: mode "D" takes any text without failing, and mode "D" undoes mode "E" for
// every text of characters 1 to 254 under any non-empty key.
#include "pickers/core/modEncryption.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &key, const QString &text)
{
    std::fprintf(stderr, "%s\nkey: %s\ntext: %s\n", what, key.toUtf8().toHex().constData(),
                 text.toUtf8().toHex().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    const size_t keyLength = std::min<size_t>(data[0] % 32, size - 1);
    const auto *bytes = reinterpret_cast<const char *>(data + 1);
    const QString key = QString::fromLatin1(bytes, qsizetype(keyLength));
    const QString rest = QString::fromLatin1(bytes + keyLength, qsizetype(size - 1 - keyLength));

    // Arbitrary scrambled forms, also beyond Latin-1.
    const QString decoded = ScrambleText(QStringLiteral("D"), key, rest);
    if (!decoded.isEmpty() && decoded.size() != (rest.size() - 2) / 2)
        fail("unscrambled text of the wrong length", key, rest);
    (void)ScrambleText(QStringLiteral("D"), key, QString::fromUtf8(bytes, qsizetype(size - 1)));

    if (key.isEmpty())
        return 0;
    QString text = rest;
    for (QChar &c : text) {
        if (c.unicode() == 0 || c.unicode() == 255)
            c = QChar(u'A');
    }
    const QString scrambled = ScrambleText(QStringLiteral("E"), key, text);
    if (scrambled.size() != 2 + 2 * text.size())
        fail("scrambled form of the wrong length", key, text);
    if (ScrambleText(QStringLiteral("D"), key, scrambled) != text)
        fail("unscrambling does not give the text back", key, text);
    return 0;
}
