// Any text given to the statement adapter: the tokenizer gives the text back unchanged when its
// tokens are joined, and the translation either succeeds or refuses with Error, within the time
// limit, without touching memory it does not own. Each string literal is also read as a Like
// pattern and matched against the statement's text before it, as a typed search is matched against
// the names: the time limit catches a matcher that backtracks.
#include "platform/Error.h"
#include "platform/tsql/LikePattern.h"
#include "platform/tsql/SqlTokenizer.h"
#include "platform/tsql/TsqlAdapter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The first byte chooses how the rest is read: UTF-8 (invalid sequences included) or raw UTF-16,
// which also reaches unpaired surrogates.
QString textFrom(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    const auto *bytes = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    if (data[0] & 1)
        return QString(reinterpret_cast<const QChar *>(bytes), length / 2);
    return QString::fromUtf8(bytes, length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 8192)
        return 0;
    const QString sql = textFrom(data, size);
    QString joined;
    for (const SqlToken &token : tokenizeSql(sql)) {
        if (token.kind == SqlToken::String) {
            const LikePattern pattern(token.stringValue());
            (void)pattern.matches(joined);
            (void)pattern.firstMatchPosition(joined);
        }
        joined += token.text;
    }
    if (joined != sql) {
        std::fprintf(stderr, "tokens do not give the statement back\n");
        std::abort();
    }
    try {
        (void)TsqlAdapter::adapt(sql);
    } catch (const Error &) {
    }
    return 0;
}
