#pragma once
// The stored-text forms: titles store ' as "+(DYH)+"; bodies and descriptions also store : as "+(MH)+".
#include <QString>

QString EscapeTitleText(const QString& text);
QString EscapeBodyText(const QString& text);
// By value: a title read for a listing is moved through, most often untouched.
QString UnescapeTitleText(QString text);
QString UnescapeBodyText(const QString& text);
