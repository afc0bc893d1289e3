#include "browse/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace textfind {
qsizetype next(const QString& text, const QString& words, qsizetype from, bool backward)
{
    if (words.isEmpty() || text.isEmpty())
        return -1;
    from = qBound<qsizetype>(0, from, text.size());
    if (!backward) {
        const qsizetype at = text.indexOf(words, from, Qt::CaseInsensitive);
        return at >= 0 ? at : text.indexOf(words, 0, Qt::CaseInsensitive);
    }
    // Backwards: a place that starts before from, else the last one in the text.
    const qsizetype at = from > 0 ? text.lastIndexOf(words, from - 1, Qt::CaseInsensitive) : -1;
    return at >= 0 ? at : text.lastIndexOf(words, -1, Qt::CaseInsensitive);
}
}  // namespace textfind

namespace {
QToolButton* button(QWidget* parent, const QString& caption)
{
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}
}  // namespace

FindBar::FindBar(QPlainTextEdit* editor, QWidget* parent) : QWidget(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("FindBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(4);
    auto* label = new QLabel(QStringLiteral("查找："), this);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("FindField"));
    m_field->setClearButtonEnabled(true);
    label->setBuddy(m_field);
    QToolButton* next = button(this, QStringLiteral("下一个"));
    QToolButton* previous = button(this, QStringLiteral("上一个"));
    QToolButton* shut = button(this, QStringLiteral("关闭"));
    next->setToolTip(QStringLiteral("查找下一个 (F3)"));
    previous->setToolTip(QStringLiteral("查找上一个 (Shift+F3)"));
    shut->setToolTip(QStringLiteral("关闭查找栏 (Esc)"));
    m_notice = new QLabel(this);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(next);
    layout->addWidget(previous);
    layout->addWidget(m_notice);
    layout->addWidget(shut);
    hide();

    connect(next, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(previous, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(shut, &QToolButton::clicked, this, &FindBar::close);
    connect(m_field, &QLineEdit::textEdited, this, [this] { m_notice->clear(); });
    m_editor->installEventFilter(this);
    m_field->installEventFilter(this);
}

void FindBar::open(const QString& words)
{
    if (!words.isEmpty()) {
        m_field->setText(words);
        QTextCursor start = m_editor->textCursor();
        start.movePosition(QTextCursor::Start);
        m_editor->setTextCursor(start);
        findNext(false);
    }
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool FindBar::findNext(bool backward)
{
    const QString words = m_field->text();
    if (words.isEmpty())
        return false;
    const QString text = m_editor->document()->toPlainText();
    const QTextCursor cursor = m_editor->textCursor();
    // Forwards from the end of what is selected; backwards from its start.
    const qsizetype from = backward ? cursor.selectionStart() : cursor.selectionEnd();
    const qsizetype at = textfind::next(text, words, from, backward);
    if (at < 0) {
        m_notice->setText(QStringLiteral("找不到“%1”").arg(words));
        return false;
    }
    m_notice->clear();
    QTextCursor hit(m_editor->document());
    hit.setPosition(int(at));
    hit.setPosition(int(at + words.size()), QTextCursor::KeepAnchor);
    m_editor->setTextCursor(hit);
    m_editor->ensureCursorVisible();
    return true;
}

void FindBar::close()
{
    const bool hadFocus = m_field->hasFocus();
    hide();
    if (hadFocus && m_editor->isVisible())
        m_editor->setFocus(Qt::OtherFocusReason);
}

bool FindBar::handles(const QKeyEvent* key) const
{
    if (key->matches(QKeySequence::Find))
        return true;
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_F3 && (mods == Qt::NoModifier || mods == Qt::ShiftModifier))
        return true;
    // In the field: Escape closes the bar rather than the window, Enter finds.
    return m_field->hasFocus()
        && (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

void FindBar::run(const QKeyEvent* key)
{
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    if (key->matches(QKeySequence::Find)) {
        // The selected words, when they are on one line, are what the user wants to find.
        const QString selected = m_editor->textCursor().selectedText();
        const bool oneLine = !selected.contains(QChar::ParagraphSeparator) && selected.size() <= 200;
        if (!selected.isEmpty() && oneLine && !m_field->hasFocus())
            m_field->setText(selected);
        open();
    } else if (key->key() == Qt::Key_Escape) {
        close();
    } else if (m_field->text().isEmpty()) {
        open();
    } else {
        findNext(shift);
    }
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor && event->type() == QEvent::Hide)
        hide();
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (handles(key)) {
            // Accepting the override keeps the window's shortcut for the same key from running.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                run(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
