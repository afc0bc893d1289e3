#include "common/BodyField.h"

#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QObject>
#include <QPlainTextEdit>

namespace {
class CtrlTabMoves final : public QObject {
public:
    explicit CtrlTabMoves(QObject* parent) : QObject(parent) { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (!tab || !(key->modifiers() & Qt::ControlModifier))
            return false;
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        if (QWidget* next = bodyfield::neighbour(static_cast<QWidget*>(watched), forward))
            next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
};
}  // namespace

namespace bodyfield {
void setUp(QPlainTextEdit* field)
{
    field->setTabChangesFocus(false);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Chinese comments in code line up with a CJK mono font; the system's fixed font is the fallback.
    fixed.setFamilies({QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("Noto Sans Mono"),
        QStringLiteral("DejaVu Sans Mono"), fixed.family()});
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPointSizeF(field->font().pointSizeF() > 0 ? field->font().pointSizeF() : fixed.pointSizeF());
    field->setFont(fixed);
    // Eight columns per tab would waste a narrow dialog; four is what most code is written with.
    field->setTabStopDistance(4 * QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')));
    field->installEventFilter(new CtrlTabMoves(field));
}

QWidget* neighbour(QWidget* from, bool forward)
{
    QWidget* w = from;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == from)
            return nullptr;
        if (w->window() == from->window() && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()
            && w->focusProxy() == nullptr)
            return w;
    }
}
}  // namespace bodyfield
