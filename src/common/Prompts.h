#pragma once
// Every message box, question, input box and chooser of the program goes through this interface,
// so tests can install a scripted implementation that never blocks on a modal box.
#include "common/Prompter.h"

#include <QFont>
#include <QString>
#include <QStringList>

class QWidget;

class Prompts {
public:
    using Icon = Prompter::Icon;

    virtual ~Prompts() = default;

    // Simple message: the application title as caption, an OK button, no icon.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // Application message box with a caption and an icon, OK button.
    virtual void box(QWidget* parent, const QString& text, const QString& caption, Icon icon) = 0;
    // Question with Yes and No buttons; true only for Yes.
    virtual bool ask(QWidget* parent, const QString& text, const QString& caption) = 0;
    // Text input box; returns false when cancelled, otherwise sets value.
    virtual bool input(QWidget* parent, const QString& caption, const QString& prompt, QString& value) = 0;
    // The framework's standard error box (errors no handler of the program catches).
    virtual void standardError(QWidget* parent, const QString& text) = 0;
    // Open-file chooser; returns the chosen full path, or an empty text when cancelled.
    virtual QString chooseFile(QWidget* parent, const QString& filter) = 0;
    // Font chooser starting at font/colour; returns false when cancelled.
    virtual bool chooseFont(QWidget* parent, QFont& font) = 0;
    // Folder chooser; the chosen folder, or an empty text when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& caption) = 0;
    // Chooser of several files or one folder; the chosen paths, empty when cancelled.
    virtual QStringList chooseFilesOrFolder(QWidget* parent, const QString& caption, const QString& filter) = 0;
    // Message box with a caption and an icon whose details (a long list; none when empty) unfold on demand.
    virtual void report(QWidget* parent, const QString& text, const QString& details, const QString& caption, Icon icon)
        = 0;

    // Convenience forms of box().
    void warn(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Quillstash"))
    {
        box(parent, text, caption, Icon::Warning);
    }
    void info(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Quillstash"))
    {
        box(parent, text, caption, Icon::Information);
    }
    void error(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Quillstash"))
    {
        box(parent, text, caption, Icon::Error);
    }
};

// The program-wide prompts; QtPrompts unless a test installed its own.
Prompts& prompts();
// Installs p (not owned) as the program-wide prompts; nullptr restores the Qt implementation.
void setPrompts(Prompts* p);

// The default implementation with QMessageBox, QInputDialog, QFileDialog and QFontDialog.
class QtPrompts final : public Prompts {
public:
    void message(QWidget* parent, const QString& text) override;
    void box(QWidget* parent, const QString& text, const QString& caption, Icon icon) override;
    bool ask(QWidget* parent, const QString& text, const QString& caption) override;
    bool input(QWidget* parent, const QString& caption, const QString& prompt, QString& value) override;
    void standardError(QWidget* parent, const QString& text) override;
    QString chooseFile(QWidget* parent, const QString& filter) override;
    bool chooseFont(QWidget* parent, QFont& font) override;
    QString chooseFolder(QWidget* parent, const QString& caption) override;
    QStringList chooseFilesOrFolder(QWidget* parent, const QString& caption, const QString& filter) override;
    void report(
        QWidget* parent, const QString& text, const QString& details, const QString& caption, Icon icon) override;
};

// The prompts of one window, as the commands it drives see them.
class WindowPrompter final : public Prompter {
public:
    explicit WindowPrompter(QWidget* parent) : m_parent(parent) { }
    void message(const QString& text) override { prompts().message(m_parent, text); }
    void box(const QString& text, const QString& caption, Icon icon) override
    {
        prompts().box(m_parent, text, caption, icon);
    }
    bool ask(const QString& text, const QString& caption) override { return prompts().ask(m_parent, text, caption); }
    bool input(const QString& caption, const QString& prompt, QString& value) override
    {
        return prompts().input(m_parent, caption, prompt, value);
    }

private:
    QWidget* m_parent;
};
