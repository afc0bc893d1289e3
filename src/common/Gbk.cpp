#include "common/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace gbk {

QByteArray encode(const QString& text, bool* ok)
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (ok)
        *ok = encoder.isValid() && !encoder.hasError();
    return bytes;
}

QString decode(const QByteArray& bytes, bool* ok)
{
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (ok)
        *ok = decoder.isValid() && !decoder.hasError();
    return text;
}

bool canEncode(const QString& text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

namespace {
// GBK length of one code point: ASCII is one byte, anything else two (or four for GB18030-only
// characters, which GBK cannot hold; those count as one replacement byte).
int codePointBytes(char32_t cp)
{
    if (cp < 0x80)
        return 1;
    const QString one = QString::fromUcs4(&cp, 1);
    bool ok = false;
    const QByteArray bytes = encode(one, &ok);
    return ok ? int(bytes.size()) : 1;
}
}  // namespace

int byteLength(const QString& text)
{
    int total = 0;
    for (char32_t cp : text.toUcs4())
        total += codePointBytes(cp);
    return total;
}

QString prefix(const QString& text, int maxBytes)
{
    QString out;
    int used = 0;
    const QList<uint> points = text.toUcs4();
    for (uint cp : points) {
        if (cp == 0)
            break;
        const int n = codePointBytes(char32_t(cp));
        if (used + n > maxBytes)
            break;
        used += n;
        const char32_t c = char32_t(cp);
        out += QString::fromUcs4(&c, 1);
    }
    return out;
}

}  // namespace gbk

QString decodeCodePageText(const QByteArray& bytes) { return gbk::decode(gbk::encode(gbk::decode(bytes))); }

namespace {
// Calls line(view) for each line of text: CR LF, CR and LF end a line, and a last line without an end counts.
template <typename F> void forEachLine(const QString& text, F line)
{
    const qsizetype n = text.size();
    const QChar* data = text.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = data[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        line(QStringView(data + start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && data[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        line(QStringView(data + start, n - start));
}
}  // namespace

QStringList splitLines(const QString& text)
{
    QStringList lines;
    forEachLine(text, [&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

QString withLineEnds(const QString& text, QStringView lineEnd)
{
    const qsizetype n = text.size();
    const QChar* data = text.constData();
    // Text whose every break is lineEnd already and that ends with one (a stored body) comes back shared.
    bool same = n == 0 || data[n - 1] == QLatin1Char('\r') || data[n - 1] == QLatin1Char('\n');
    for (qsizetype i = 0; same && i < n; ++i) {
        const QChar c = data[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            const qsizetype breakSize
                = (c == QLatin1Char('\r') && i + 1 < n && data[i + 1] == QLatin1Char('\n')) ? 2 : 1;
            same = QStringView(data + i, breakSize) == lineEnd;
            i += breakSize - 1;
        }
    }
    if (same)
        return text;

    QString out;
    out.reserve(n + n / 16 + lineEnd.size());
    forEachLine(text, [&](QStringView line) {
        out.append(line);
        out.append(lineEnd);
    });
    return out;
}

QString joinLinesCrLf(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) {
        out += line;
        out += QStringLiteral("\r\n");
    }
    return out;
}
