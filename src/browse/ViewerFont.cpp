#include "browse/ViewerFont.h"

#include "common/Colors.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QtGlobal>

namespace viewerfont {

bool read(const QString& settingsPath, ViewerFontRecord& font, QString* error)
{
    // A record that stops half way must not be applied in part.
    const SettingsRead read = readSettings(settingsPath, SettingsLines::Font);
    if (!read.ok()) {
        if (error)
            *error = read.error;
        return false;
    }
    font = read.values.font;
    return true;
}

void apply(QPlainTextEdit* control, const ViewerFontRecord& record)
{
    if (!control)
        return;
    control->setProperty(charsetProperty(), record.charset);

    QPalette pal = control->palette();
    const QColor text = colorFromValue(record.color);
    pal.setColor(QPalette::Text, text);
    control->setPalette(pal);

    control->setFont(toQFont(record, control->font()));
}

QFont toQFont(const ViewerFontRecord& record, QFont font)
{
    // A negative height is the character height without internal leading, a positive one the cell
    // height; pixels either way are the closest Qt has.
    if (record.height != 0)
        font.setPixelSize(qAbs(record.height));
    if (!record.name.isEmpty())
        font.setFamilies({record.name});
    if (record.size > 0)
        font.setPointSize(record.size);
    font.setBold(record.bold);
    font.setItalic(record.italic);
    font.setUnderline(record.underline);
    font.setStrikeOut(record.strikeout);
    return font;
}

bool applyFromSettings(QPlainTextEdit* control, const QString& settingsPath, QString* error)
{
    ViewerFontRecord record;
    if (!read(settingsPath, record, error))
        return false;
    apply(control, record);
    return true;
}

void setBackground(QPlainTextEdit* control, qint32 colorValue)
{
    if (!control)
        return;
    QPalette pal = control->palette();
    const QColor color = colorFromValue(colorValue);
    pal.setColor(QPalette::Base, color);
    control->setPalette(pal);
}

}  // namespace viewerfont

void viewerfont::setUpReadingArea(QPlainTextEdit* control)
{
    control->setReadOnly(true);
    control->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    control->setFocusPolicy(Qt::StrongFocus);
}
