#pragma once
// The stored-text forms: titles store ' as "+(DYH)+"; bodies and descriptions also store : as "+(MH)+".
#include <QString>

QString EscapeTitleText(const QString& text);
QString EscapeBodyText(const QString& text);
QString UnescapeTitleText(const QString& text);
QString UnescapeBodyText(const QString& text);
