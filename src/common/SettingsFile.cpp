#include "common/SettingsFile.h"

#include "common/AtomicFile.h"
#include "common/Gbk.h"

#include <QDir>
#include <QFile>

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
        throw SettingsError {QStringLiteral("'%1' is not a valid integer value").arg(quotedValue(text))};
    return value;
}

namespace {
// The lines of the file, and each value at its column.
class LineReader final {
public:
    explicit LineReader(const QByteArray& bytes) : m_lines(splitLines(decodeCodePageText(bytes))) { }
    int digitAt(int line, int column) const { return strictToInt(lineAt(line).mid(column - 1, 1)); }
    int numberFrom(int line, int column) const { return strictToInt(lineAt(line).mid(column - 1)); }
    QString textFrom(int line, int column) const { return lineAt(line).mid(column - 1); }

private:
    const QString& lineAt(int line) const
    {
        if (line < 0 || line >= m_lines.size())
            throw SettingsError {QStringLiteral("List index out of bounds (%1)").arg(line)};
        return m_lines.at(line);
    }
    QStringList m_lines;
};

void readGeneral(const LineReader& r, SettingsRead& out)
{
    SettingsValues& v = out.values;
    v.icon = r.digitAt(1, 6);
    ++out.read;
    v.order = r.digitAt(2, 7);
    ++out.read;
    v.viewStyle = r.digitAt(3, 11);
    ++out.read;
    v.viewStyleDe = r.digitAt(4, 13);
    ++out.read;
    v.color = r.numberFrom(5, 8);
    ++out.read;
    v.trayWay = r.textFrom(13, 9);
    ++out.read;
}

void readFont(const LineReader& r, SettingsRead& out)
{
    ViewerFontRecord& f = out.values.font;
    f.charset = r.numberFrom(7, 6);
    ++out.read;
    f.color = r.numberFrom(8, 6);
    ++out.read;
    f.height = r.numberFrom(9, 6);
    ++out.read;
    f.name = r.textFrom(10, 6);
    ++out.read;
    f.size = r.numberFrom(11, 6);
    ++out.read;
    parseFontStyle(r.textFrom(12, 6), f);
    ++out.read;
}
}  // namespace

SettingsRead readSettingsBytes(const QByteArray& bytes, SettingsLines lines, const SettingsValues& base)
{
    SettingsRead out;
    out.values = base;
    try {
        const LineReader reader(bytes);
        if (lines != SettingsLines::Font)
            readGeneral(reader, out);
        if (lines != SettingsLines::General)
            readFont(reader, out);
    } catch (const SettingsError& e) {
        out.error = e.text;
    }
    return out;
}

SettingsRead readSettings(const QString& path, SettingsLines lines, const SettingsValues& base)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SettingsRead out;
        out.values = base;
        out.error
            = QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return out;
    }
    return readSettingsBytes(file.readAll(), lines, base);
}

TrayOptionSet trayOptionsFromText(const QString& trayWay)
{
    if (trayWay.size() == 2)
        return TrayOptionSet {true, true};
    return TrayOptionSet {trayWay == QLatin1String("0"), trayWay == QLatin1String("1")};
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
    const FileWriteResult written = writeWholeFile(path, settingsFileBytes(values));
    if (!written.ok && error)
        *error = written.frameworkText(path);
    return written.ok;
}
