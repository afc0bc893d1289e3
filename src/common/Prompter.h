#pragma once
// The message boxes, questions and input boxes a command needs, without naming a window: the window
// that drives the command hands it one (see common/Prompts.h for the Qt side).
#include <QString>

class Prompter {
public:
    enum class Icon { None, Information, Warning, Error };
    virtual ~Prompter() = default;
    // Simple message: the application title as caption, an OK button, no icon.
    virtual void message(const QString& text) = 0;
    // Message box with a caption and an icon, OK button.
    virtual void box(const QString& text, const QString& caption, Icon icon) = 0;
    // Question with Yes and No buttons; true only for Yes.
    virtual bool ask(const QString& text, const QString& caption) = 0;
    // Text input box; false when cancelled, otherwise value is set.
    virtual bool input(const QString& caption, const QString& prompt, QString& value) = 0;

    void warn(const QString& text, const QString& caption = QStringLiteral("Quillstash"))
    {
        box(text, caption, Icon::Warning);
    }
    void info(const QString& text, const QString& caption = QStringLiteral("Quillstash"))
    {
        box(text, caption, Icon::Information);
    }
    void error(const QString& text, const QString& caption = QStringLiteral("Quillstash"))
    {
        box(text, caption, Icon::Error);
    }
};
