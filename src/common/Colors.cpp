#include "common/Colors.h"

#include <QApplication>
#include <QPalette>

namespace {
constexpr qint32 rgb(int r, int g, int b) { return qint32(r | (g << 8) | (b << 16)); }
constexpr qint32 sys(int index) { return qint32(0xFF000000u + quint32(index)); }

QPalette::ColorRole roleForSystemIndex(int index, QPalette::ColorGroup& group)
{
    group = QPalette::Active;
    switch (index) {
    case 0:
        return QPalette::Mid;  // scroll bar
    case 1:
        return QPalette::Shadow;  // background (desktop)
    case 2:
        return QPalette::Highlight;  // active caption
    case 3:
        group = QPalette::Inactive;
        return QPalette::Highlight;  // inactive caption
    case 4:
        return QPalette::Button;  // menu
    case 5:
        return QPalette::Base;  // window
    case 6:
        return QPalette::Shadow;  // window frame
    case 7:
        return QPalette::ButtonText;  // menu text
    case 8:
        return QPalette::Text;  // window text
    case 9:
        return QPalette::HighlightedText;  // caption text
    case 10:
        return QPalette::Mid;  // active border
    case 11:
        return QPalette::Midlight;  // inactive border
    case 12:
        return QPalette::Dark;  // application workspace
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15:
        return QPalette::Button;  // button face
    case 16:
        return QPalette::Dark;  // button shadow
    case 17:
        group = QPalette::Disabled;
        return QPalette::Text;  // grey text
    case 18:
        return QPalette::ButtonText;
    case 19:
        group = QPalette::Inactive;
        return QPalette::HighlightedText;
    case 20:
        return QPalette::Light;  // button highlight
    case 21:
        return QPalette::Shadow;  // 3D dark shadow
    case 22:
        return QPalette::Midlight;  // 3D light
    case 23:
        return QPalette::ToolTipText;  // info text
    case 24:
        return QPalette::ToolTipBase;  // info background
    default:
        return QPalette::Window;
    }
}
}  // namespace

QColor colorFromValue(qint32 value)
{
    const quint32 v = quint32(value);
    if ((v & 0xFF000000u) == 0xFF000000u) {
        QPalette::ColorGroup group;
        const QPalette::ColorRole role = roleForSystemIndex(int(v & 0xFFu), group);
        return QApplication::palette().color(group, role);
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint32 valueFromColor(const QColor& color) { return rgb(color.red(), color.green(), color.blue()); }

const QList<NamedColor>& namedColors()
{
    static const QList<NamedColor> list = {
        {QStringLiteral("Black"), rgb(0, 0, 0)},
        {QStringLiteral("Maroon"), rgb(128, 0, 0)},
        {QStringLiteral("Green"), rgb(0, 128, 0)},
        {QStringLiteral("Olive"), rgb(128, 128, 0)},
        {QStringLiteral("Navy"), rgb(0, 0, 128)},
        {QStringLiteral("Purple"), rgb(128, 0, 128)},
        {QStringLiteral("Teal"), rgb(0, 128, 128)},
        {QStringLiteral("Gray"), rgb(128, 128, 128)},
        {QStringLiteral("Silver"), rgb(192, 192, 192)},
        {QStringLiteral("Red"), rgb(255, 0, 0)},
        {QStringLiteral("Lime"), rgb(0, 255, 0)},
        {QStringLiteral("Yellow"), rgb(255, 255, 0)},
        {QStringLiteral("Blue"), rgb(0, 0, 255)},
        {QStringLiteral("Fuchsia"), rgb(255, 0, 255)},
        {QStringLiteral("Aqua"), rgb(0, 255, 255)},
        {QStringLiteral("White"), rgb(255, 255, 255)},
        {QStringLiteral("Money Green"), rgb(192, 220, 192)},
        {QStringLiteral("Sky Blue"), rgb(166, 202, 240)},
        {QStringLiteral("Cream"), rgb(255, 251, 240)},
        {QStringLiteral("Medium Gray"), rgb(160, 160, 164)},
        {QStringLiteral("Scroll Bar"), sys(0)},
        {QStringLiteral("Background"), sys(1)},
        {QStringLiteral("Active Caption"), sys(2)},
        {QStringLiteral("Inactive Caption"), sys(3)},
        {QStringLiteral("Menu"), sys(4)},
        {QStringLiteral("Window"), sys(5)},
        {QStringLiteral("Window Frame"), sys(6)},
        {QStringLiteral("Menu Text"), sys(7)},
        {QStringLiteral("Window Text"), sys(8)},
        {QStringLiteral("Caption Text"), sys(9)},
        {QStringLiteral("Active Border"), sys(10)},
        {QStringLiteral("Inactive Border"), sys(11)},
        {QStringLiteral("Application Workspace"), sys(12)},
        {QStringLiteral("Highlight"), sys(13)},
        {QStringLiteral("Highlight Text"), sys(14)},
        {QStringLiteral("Button Face"), sys(15)},
        {QStringLiteral("Button Shadow"), sys(16)},
        {QStringLiteral("Gray Text"), sys(17)},
        {QStringLiteral("Button Text"), sys(18)},
        {QStringLiteral("Inactive Caption Text"), sys(19)},
        {QStringLiteral("Button Highlight"), sys(20)},
        {QStringLiteral("3D Dark Shadow"), sys(21)},
        {QStringLiteral("3D Light"), sys(22)},
        {QStringLiteral("Info Text"), sys(23)},
        {QStringLiteral("Info Background"), sys(24)},
    };
    return list;
}

int namedColorIndex(qint32 value)
{
    const QList<NamedColor>& list = namedColors();
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).value == value)
            return i;
    }
    return -1;
}
