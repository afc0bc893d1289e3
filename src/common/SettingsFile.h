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
// bounds (n)", "'x' is not a valid integer value").
struct SettingsError {
    QString text;
};

// Strict signed decimal conversion; throws SettingsError "'text' is not a valid integer value", quoting
// at most the first 40 characters of text (then "…").
int strictToInt(const QString& text);

// Everything the options dialog writes.
struct SettingsValues {
    int icon = 0;  // 0 large icons, 1 small icons, 2 list
    int order = 0;  // 0 by title, 1 by creation time
    int viewStyle = 0;  // ViewMode
    int viewStyleDe = 0;  // ViewerWindowMode
    qint32 color = 16777215;  // ViewerColor
    ViewerFontRecord font;
    QString trayWay;  // "", "0", "1" or "01"
};

// The 14 lines, each ended by CR LF, encoded in GBK.
QByteArray settingsFileBytes(const SettingsValues& values);
// Replaces the file in one piece (never half written; written in place in a directory that only lets
// its files change). On failure returns false and sets error to "Cannot create file "path". reason".
bool writeSettingsFile(const QString& path, const SettingsValues& values, QString* error);
// Which lines a reader asks for: the general lines (1 to 5 and 13, read in that order), the font lines
// (7 to 12), or both (general first).
enum class SettingsLines { General, Font, All };

// What a read gives: the values it read over base, and the error that stopped it. Values read before
// the error hold what the file says; the rest keep base's values.
struct SettingsRead {
    SettingsValues values;
    QString error;  // the framework's text; empty when every line asked for was read
    int read = 0;  // how many values were read before the error, in reading order
    bool ok() const { return error.isEmpty(); }
};

// The one reader of the settings file: opens and parses it afresh every time. Lines end at CR LF, a lone
// CR or a lone LF; the single digits of lines 1 to 4 come from one column, everything else from its
// column to the end of the line.
SettingsRead readSettings(const QString& path, SettingsLines lines, const SettingsValues& base = {});
SettingsRead readSettingsBytes(const QByteArray& bytes, SettingsLines lines, const SettingsValues& base = {});
// How many values the general lines hold (icon, order, view style, viewer window mode, colour, tray).
constexpr int kGeneralValues = 6;

// The tray flags of a "TrayWay=" value: both for a value of two characters, minimise for "0", close
// for "1", neither otherwise.
TrayOptionSet trayOptionsFromText(const QString& trayWay);
