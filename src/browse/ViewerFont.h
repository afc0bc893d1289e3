#pragma once
// The reading areas' look: the viewer font record of the settings file (lines 7 to 12, read afresh
// every time) and the background colour, applied to a text control.
#include "common/SettingsFile.h"

#include <QFont>

#include <QString>

class QPlainTextEdit;

namespace viewerfont {
// Name of the dynamic property that carries the record's character set on the control: Qt fonts
// have no character set, but the value must survive unchanged.
inline const char* charsetProperty() { return "qsFontCharset"; }

// Reads the font record from the settings file. On failure returns false, sets error (if given)
// to the reader's error text and leaves font untouched.
bool read(const QString& settingsPath, ViewerFontRecord& font, QString* error = nullptr);
// The record as a Qt font, starting from base: height, then name, size, style (the size in points set
// after the height decides; a size that is not positive leaves the height's pixel size in place; an
// empty name keeps base's family). Character set and colour have no place in a QFont.
QFont toQFont(const ViewerFontRecord& record, QFont base);
// Applies the record in the record's order: character set, colour, height, name, size, style.
// The size in points comes after the height, so it decides; a size that is not positive leaves
// the height's pixel size in place.
void apply(QPlainTextEdit* control, const ViewerFontRecord& font);
// read() then apply(); on a read failure the control keeps its previous font.
bool applyFromSettings(QPlainTextEdit* control, const QString& settingsPath, QString* error = nullptr);
// Makes control a reading area: read-only, reached with Tab, its text selectable and scrolled with the
// keyboard as well as the mouse.
void setUpReadingArea(QPlainTextEdit* control);
// Background of the reading area from a colour value (0x00BBGGRR or a system colour).
void setBackground(QPlainTextEdit* control, qint32 colorValue);
}  // namespace viewerfont
