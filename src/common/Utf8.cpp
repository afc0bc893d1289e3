#include "common/Utf8.h"

#include <cstdint>
#include <cstring>

namespace utf8 {

namespace {
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
// U+FDD0..U+FDEF and the last two code points of every plane, and U+FEFF: Qt may treat them apart.
bool isSpecial(char32_t cp) { return (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE || cp == 0xFEFF; }
}  // namespace

qsizetype decodeWellFormed(const char* data, qsizetype size, char16_t* out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* const end = p + size;
    char16_t* o = out;
    while (p < end) {
        // ASCII eight bytes at a time: code lines, names, paths.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            for (int i = 0; i < 8; ++i)
                o[i] = p[i];
            o += 8;
            p += 8;
        }
        // Character by character until ASCII resumes: Chinese text stays here, without trying the word
        // loop before every character.
        while (p < end) {
            const unsigned char c = *p;
            if (c < 0x80) {
                *o++ = c;
                ++p;
                if (end - p >= 8 && *p < 0x80)
                    break;
            } else if (c >= 0xE0 && c < 0xF0) {
                if (end - p < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
                    return -1;
                const char32_t cp = ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
                // Below U+D800 only an overlong form is refused; the rest of the checks are for the rare high end.
                if (cp < 0x800 || (cp >= 0xD800 && (cp <= 0xDFFF || isSpecial(cp))))
                    return -1;
                *o++ = char16_t(cp);
                p += 3;
            } else if (c < 0xC2) {
                return -1;  // a continuation byte, or the lead of an overlong form
            } else if (c < 0xE0) {
                if (end - p < 2 || !isContinuation(p[1]))
                    return -1;
                *o++ = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
                p += 2;
            } else if (c < 0xF5) {
                if (end - p < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
                    return -1;
                const char32_t cp = ((c & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
                if (cp < 0x10000 || cp > 0x10FFFF || isSpecial(cp))
                    return -1;
                *o++ = QChar::highSurrogate(cp);
                *o++ = QChar::lowSurrogate(cp);
                p += 4;
            } else {
                return -1;
            }
        }
    }
    return o - out;
}

QString decode(const char* data, qsizetype size)
{
    if (size <= 0)
        return size == 0 && data ? QStringLiteral("") : QString::fromUtf8(data, size);
    QString out(size, Qt::Uninitialized);
    const qsizetype units = decodeWellFormed(data, size, reinterpret_cast<char16_t*>(out.data()));
    if (units < 0)
        return QString::fromUtf8(data, size);
    out.truncate(units);
    return out;
}

}  // namespace utf8
