#include "store/BodyLines.h"

#include "common/Gbk.h"
#include "common/Utf8.h"
#include "store/Escaping.h"

namespace {
QString storedText(const char* data, qsizetype size) { return UnescapeBodyText(utf8::decode(data, size)); }

// The first codePoints code points of text (a surrogate pair is one).
QString leftCodePoints(const QString& text, qsizetype codePoints)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (qsizetype taken = 0; taken < codePoints && i < n; ++taken)
        i += (text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
    return i == n ? text : text.left(i);
}
}  // namespace

BodyLines::BodyLines(const QStringList& lines) : m_lines(lines) { }

BodyLines& BodyLines::operator=(const QStringList& lines)
{
    m_lines = lines;
    m_stored.clear();
    m_pending = false;
    return *this;
}

BodyLines BodyLines::fromStored(const QByteArray& utf8)
{
    BodyLines out;
    out.m_stored = utf8;
    out.m_pending = !utf8.isEmpty();
    return out;
}

const QStringList& BodyLines::lines() const
{
    if (m_pending) {
        m_lines = splitLines(storedText(m_stored.constData(), m_stored.size()));
        m_stored.clear();
        m_pending = false;
    }
    return m_lines;
}

// No lines exactly when the lines with their ends are no text.
bool BodyLines::isEmpty() const { return m_pending ? crLfTextStart(1).isEmpty() : m_lines.isEmpty(); }

void BodyLines::append(const QString& line)
{
    lines();
    m_lines.append(line);
}

QString BodyLines::text(QStringView lineEnd) const
{
    if (!m_pending) {
        QString out;
        for (const QString& line : m_lines) {
            out += line;
            out += lineEnd;
        }
        return out;
    }
    return withLineEnds(storedText(m_stored.constData(), m_stored.size()), lineEnd);
}

QString BodyLines::crLfTextStart(qsizetype codePoints) const
{
    if (!m_pending)
        return leftCodePoints(text(u"\r\n"), codePoints);
    // A code point of the text comes from at most 7 stored bytes (a token), and a cut in the stored bytes
    // changes at most the last few code points decoded from them (a split sequence or token, a CR whose LF
    // was cut off, the line end added after the last piece): decoding this much leaves the first codePoints
    // as the whole value gives them.
    const qsizetype enough = 8 * codePoints + 32;
    const qsizetype size = qMin(m_stored.size(), enough);
    return leftCodePoints(withLineEnds(storedText(m_stored.constData(), size), u"\r\n"), codePoints);
}
