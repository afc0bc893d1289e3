#pragma once
// UTF-8 to QString for the database's text: a quick decoder for well-formed text (what the program itself
// stores), and Qt's own decoder for anything else, so that the result is always that of QString::fromUtf8.
#include <QString>

namespace utf8 {
// The same text as QString::fromUtf8(data, size), for any bytes.
QString decode(const char* data, qsizetype size);
// Decodes well-formed UTF-8 into out, which has room for size units (a byte never gives more than one
// unit); returns the number of units written, or -1 for bytes Qt's decoder would replace or treat apart
// (malformed sequences, surrogates, noncharacters, a byte order mark).
qsizetype decodeWellFormed(const char* data, qsizetype size, char16_t* out);
}  // namespace utf8
