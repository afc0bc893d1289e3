#pragma once
// The settings file QS.ini: a fixed sequence of 14 GBK lines read by position.
#include "common/RunState.h"

#include <QString>
#include <QStringList>


// The viewer font record of lines 7 to 12.
struct ViewerFontRecord {
    int charset = 1;
    qint32 color = 0;
    int height = -12;
    QString name;
    int size = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const ViewerFontRecord& o) const;
};

// Style rule: "0" bold, "1" italic, "2" underline, "3" strikeout; other characters ignored.
void parseFontStyle(const QString& value, ViewerFontRecord& font);
QString fontStyleText(const ViewerFontRecord& font);

// A read failure with the framework's error text ("Cannot open file ...", "List index out of
// bounds (n)", "'x' is not a valid integer value"); thrown by SettingsReader.
struct SettingsError {
    QString text;
};

// Reads the file afresh and hands out values by position; each accessor throws SettingsError.
class SettingsReader final {
public:
    // Opens and splits the file (CR LF, CR or LF); throws SettingsError if it cannot be opened.
    explicit SettingsReader(const QString& path);
    // Reads the bytes of a settings file (no file involved).
    static SettingsReader fromBytes(const QByteArray& bytes);
    // The single digit at column (counted from 1) of line.
    int digitAt(int line, int column) const;
    // The integer made of everything from column (from 1) to the end of line.
    int numberFrom(int line, int column) const;
    // The text from column (from 1) to the end of line.
    QString textFrom(int line, int column) const;
    int lineCount() const { return int(m_lines.size()); }

private:
    SettingsReader() = default;
    void setBytes(const QByteArray& bytes);
    const QString& lineAt(int line) const;
    QStringList m_lines;
};

// Strict signed decimal conversion; throws SettingsError "'text' is not a valid integer value", quoting
// at most the first 40 characters of text (then "…").
int strictToInt(const QString& text);

// Everything the options dialog writes.
struct SettingsValues {
    int icon = 0;              // 0 large icons, 1 small icons, 2 list
    int order = 0;             // 0 by title, 1 by creation time
    int viewStyle = 0;         // ViewMode
    int viewStyleDe = 0;       // ViewerWindowMode
    qint32 color = 16777215;   // ViewerColor
    ViewerFontRecord font;
    QString trayWay;           // "", "0", "1" or "01"
};

// The 14 lines, each ended by CR LF, encoded in GBK.
QByteArray settingsFileBytes(const SettingsValues& values);
// Replaces the file in one piece (never half written). On failure returns false and sets error to
// "Cannot create file "path". reason".
bool writeSettingsFile(const QString& path, const SettingsValues& values, QString* error);
// Reads lines 7 to 12 into font; throws SettingsError.
void readFontRecord(const SettingsReader& reader, ViewerFontRecord& font);
