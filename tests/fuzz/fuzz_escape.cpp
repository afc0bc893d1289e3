// Fuzz target: the stored-text escaping. Escaped text holds no apostrophe (and, for bodies, no
// colon); text without token fragments comes back unchanged; unescaping never fails. (Text holding
// a fragment such as "(DYH)" can form a token with the escape next to it: the stored format
// cannot tell those apart, so they are left out of the round trip.)
#include "store/Escaping.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString title = EscapeTitleText(text);
    const QString body = EscapeBodyText(text);
    if (title.contains(QLatin1Char('\'')) || body.contains(QLatin1Char('\'')) || body.contains(QLatin1Char(':'))) {
        std::fprintf(stderr, "escaped text still holds an apostrophe or colon\n");
        std::abort();
    }
    (void)UnescapeTitleText(text);
    (void)UnescapeBodyText(text);
    bool hasTokens = false;
    for (const char* fragment : {"(DYH)", "(MH)"})
        hasTokens = hasTokens || text.contains(QLatin1String(fragment));
    if (!hasTokens && (UnescapeTitleText(title) != text || UnescapeBodyText(body) != text)) {
        std::fprintf(stderr, "escaping did not round-trip\n");
        std::abort();
    }
    return 0;
}
