#include "app/SettingsFile.h"

#include "common/Gbk.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

bool ViewerFontRecord::operator==(const ViewerFontRecord& o) const
{
    return charset == o.charset && color == o.color && height == o.height && name == o.name && size == o.size
        && bold == o.bold && italic == o.italic && underline == o.underline && strikeout == o.strikeout;
}

void parseFontStyle(const QString& value, ViewerFontRecord& font)
{
    font.bold = font.italic = font.underline = font.strikeout = false;
    for (QChar c : value) {
        if (c == QLatin1Char('0'))
            font.bold = true;
        else if (c == QLatin1Char('1'))
            font.italic = true;
        else if (c == QLatin1Char('2'))
            font.underline = true;
        else if (c == QLatin1Char('3'))
            font.strikeout = true;
    }
}

QString fontStyleText(const ViewerFontRecord& font)
{
    QString s;
    if (font.bold)
        s += QLatin1Char('0');
    if (font.italic)
        s += QLatin1Char('1');
    if (font.underline)
        s += QLatin1Char('2');
    if (font.strikeout)
        s += QLatin1Char('3');
    return s;
}

namespace {
// A value quoted in an error box: a huge one took the box tens of seconds to lay out.
QString quotedValue(const QString& text)
{
    constexpr int kMaxQuoted = 40;
    if (text.size() <= kMaxQuoted)
        return text;
    int cut = kMaxQuoted;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}
}  // namespace

int strictToInt(const QString& text)
{
    bool ok = false;
    int value = 0;
    // Only an optional sign followed by decimal digits; no blanks, no other bases.
    bool shape = !text.isEmpty();
    for (qsizetype i = 0; shape && i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'))))
            shape = false;
    }
    if (shape && text != QLatin1String("-") && text != QLatin1String("+"))
        value = text.toInt(&ok, 10);
    if (!ok)
        throw SettingsError{QStringLiteral("'%1' is not a valid integer value").arg(quotedValue(text))};
    return value;
}

SettingsReader::SettingsReader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SettingsError{QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString())};
    setBytes(file.readAll());
}

SettingsReader SettingsReader::fromBytes(const QByteArray& bytes)
{
    SettingsReader reader;
    reader.setBytes(bytes);
    return reader;
}

void SettingsReader::setBytes(const QByteArray& bytes)
{
    m_lines = splitLines(decodeCodePageText(bytes));
}

const QString& SettingsReader::lineAt(int line) const
{
    if (line < 0 || line >= m_lines.size())
        throw SettingsError{QStringLiteral("List index out of bounds (%1)").arg(line)};
    return m_lines.at(line);
}

int SettingsReader::digitAt(int line, int column) const
{
    return strictToInt(lineAt(line).mid(column - 1, 1));
}

int SettingsReader::numberFrom(int line, int column) const { return strictToInt(lineAt(line).mid(column - 1)); }

QString SettingsReader::textFrom(int line, int column) const { return lineAt(line).mid(column - 1); }

void readFontRecord(const SettingsReader& reader, ViewerFontRecord& font)
{
    font.charset = reader.numberFrom(7, 6);
    font.color = reader.numberFrom(8, 6);
    font.height = reader.numberFrom(9, 6);
    font.name = reader.textFrom(10, 6);
    font.size = reader.numberFrom(11, 6);
    parseFontStyle(reader.textFrom(12, 6), font);
}

QByteArray settingsFileBytes(const SettingsValues& v)
{
    const QString five = QStringLiteral("     ");
    const QStringList lines = {
        QStringLiteral("[Quillstash ini file]"),
        QStringLiteral("ICON=") + QString::number(v.icon),
        QStringLiteral("ORDER=") + QString::number(v.order),
        QStringLiteral("VIEWSTYLE=") + QString::number(v.viewStyle),
        QStringLiteral("VIEWSTYLEDE=") + QString::number(v.viewStyleDe),
        QStringLiteral("VFRMBC=") + QString::number(v.color),
        QStringLiteral("Font="),
        five + QString::number(v.font.charset),
        five + QString::number(v.font.color),
        five + QString::number(v.font.height),
        five + v.font.name,
        five + QString::number(v.font.size),
        five + fontStyleText(v.font),
        QStringLiteral("TrayWay=") + v.trayWay,
    };
    return gbk::encode(joinLinesCrLf(lines));
}

bool writeSettingsFile(const QString& path, const SettingsValues& values, QString* error)
{
    const QByteArray bytes = settingsFileBytes(values);
    QSaveFile file(path);
    // A shared installation may keep the program directory read-only and QS.ini writable: no new file
    // can be made beside it then, so it is written in place (not atomic, but the only way it can change).
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}
