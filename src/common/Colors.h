#pragma once
// Colour values as the settings file holds them: 0x00BBGGRR for RGB colours, 0xFF000000 + index for
// system colours (negative as signed numbers). Converted to QColor only for painting.
#include <QColor>
#include <QList>
#include <QString>

struct NamedColor {
    QString name;
    qint32 value;
};

// RGB colour or system colour (through the matching palette role) for a colour value.
QColor colorFromValue(qint32 value);
// The colour value of an RGB colour.
qint32 valueFromColor(const QColor& color);
// The colour box's list: the 16 standard colours, the extended ones and the system colours.
const QList<NamedColor>& namedColors();
// Index in namedColors() of a value, or -1 when no name has it.
int namedColorIndex(qint32 value);
