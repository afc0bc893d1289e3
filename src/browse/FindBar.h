#pragma once
// Finding in a reading area: a bar under the text with the words to find. Ctrl+F opens it (taking the
// selected words when there are some), Enter and F3 find the next place, Shift+Enter and Shift+F3 the one
// before; the search goes round the end of the text. Escape closes the bar and gives the text its focus
// back. The keys work in the text and in the bar; they are the bar's even where the window holds the same
// keys for other commands.
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace textfind {
// Where words next occur in text, looking forwards from `from` (or backwards from before `from`), going
// round the end; letter case does not count. -1 when they do not occur at all or are empty.
qsizetype next(const QString& text, const QString& words, qsizetype from, bool backward);
}  // namespace textfind

class FindBar final : public QWidget {
    Q_OBJECT
public:
    // The bar belongs to editor's window; the caller places it (under the editor) in a layout.
    FindBar(QPlainTextEdit* editor, QWidget* parent);

    // Shows the bar with its field focused and selected. Non-empty words replace the field's text and are
    // found from the start of the text.
    void open(const QString& words = QString());
    // Selects the next (or previous) place of the field's words in the editor; false when there is none,
    // which the bar says.
    bool findNext(bool backward = false);
    void close();

    QLineEdit* field() const { return m_field; }
    QLabel* notice() const { return m_notice; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handles(const QKeyEvent* key) const;
    void run(const QKeyEvent* key);

    QPlainTextEdit* m_editor;
    QLineEdit* m_field = nullptr;
    QLabel* m_notice = nullptr;
};
