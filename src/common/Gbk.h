#pragma once
// The 8-bit code page of the program's files and byte counts (GBK), and line splitting.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace gbk {
// Encodes text as GBK; ok (if given) is false when a character cannot be encoded.
QByteArray encode(const QString& text, bool* ok = nullptr);
// Decodes GBK bytes; ok (if given) is false when the bytes are not valid GBK.
QString decode(const QByteArray& bytes, bool* ok = nullptr);
// True when every character of text has a GBK encoding.
bool canEncode(const QString& text);
// Number of GBK bytes of text (characters without an encoding count as one byte).
int byteLength(const QString& text);
// The longest leading part of text (up to a NUL) that fits in maxBytes GBK bytes,
// never cutting inside a character.
QString prefix(const QString& text, int maxBytes);
}  // namespace gbk

// Text of a GBK file as the program reads it. Bytes that are not GBK are brought to what a GBK save
// writes for them, so reading what was saved gives the same text.
QString decodeCodePageText(const QByteArray& bytes);

// Splits text into lines at CR LF, lone CR or lone LF; a break at the very end starts no further line.
QStringList splitLines(const QString& text);
// The lines as one text, each followed by CR LF (the empty list gives the empty text).
QString joinLinesCrLf(const QStringList& lines);
// What joining splitLines(text) with lineEnd after each line gives, in one pass without the line strings.
QString withLineEnds(const QString& text, QStringView lineEnd);
