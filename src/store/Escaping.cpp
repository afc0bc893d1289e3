#include "store/Escaping.h"

namespace {
const QString kApostrophe = QStringLiteral("'");
const QString kColon = QStringLiteral(":");
const QString kApostropheToken = QStringLiteral("+(DYH)+");
const QString kColonToken = QStringLiteral("+(MH)+");

// QString::replace scans left to right and never re-reads the text it put in.
QString replaced(QString text, const QString& from, const QString& to)
{
    return text.replace(from, to, Qt::CaseSensitive);
}

bool tokenAt(const QChar* at, const QChar* end, const QString& token)
{
    return end - at >= token.size() && QStringView(at, token.size()) == token;
}
}  // namespace

QString EscapeTitleText(const QString& text)
{
    if (!text.contains(QLatin1Char('\'')))
        return text;
    return replaced(text, kApostrophe, kApostropheToken);
}

QString EscapeBodyText(const QString& text)
{
    if (!text.contains(QLatin1Char('\'')) && !text.contains(QLatin1Char(':')))
        return text;
    return replaced(replaced(text, kApostrophe, kApostropheToken), kColon, kColonToken);
}

QString UnescapeTitleText(QString text)
{
    // Most titles hold no token: they are handed back as they are, without a copy.
    if (!text.contains(QLatin1Char('+')))
        return text;
    return replaced(std::move(text), kApostropheToken, kApostrophe);
}

QString UnescapeBodyText(const QString& text)
{
    if (!text.contains(QLatin1Char('+')))
        return text;
    // One pass giving what replacing the apostrophe tokens first, then the colon tokens gives. The two can
    // share a '+' only as "+(MH)+(DYH)+", where the apostrophe token wins and the colon token stays text.
    QString out(text.size(), Qt::Uninitialized);
    QChar* o = out.data();
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    while (p < end) {
        if (*p == QLatin1Char('+')) {
            if (tokenAt(p, end, kApostropheToken)) {
                *o++ = QLatin1Char('\'');
                p += kApostropheToken.size();
                continue;
            }
            if (tokenAt(p, end, kColonToken) && !tokenAt(p + kColonToken.size() - 1, end, kApostropheToken)) {
                *o++ = QLatin1Char(':');
                p += kColonToken.size();
                continue;
            }
        }
        *o++ = *p++;
    }
    out.truncate(o - out.constData());
    return out;
}
