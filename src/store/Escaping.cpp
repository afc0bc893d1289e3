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
}  // namespace

QString EscapeTitleText(const QString& text) { return replaced(text, kApostrophe, kApostropheToken); }

QString EscapeBodyText(const QString& text)
{
    return replaced(replaced(text, kApostrophe, kApostropheToken), kColon, kColonToken);
}

QString UnescapeTitleText(const QString& text) { return replaced(text, kApostropheToken, kApostrophe); }

QString UnescapeBodyText(const QString& text)
{
    return replaced(replaced(text, kApostropheToken, kApostrophe), kColonToken, kColon);
}
