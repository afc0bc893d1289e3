#pragma once
// Prompts for tests: records every box shown and answers questions and inputs from queues.
// An unexpected question answers No, an unexpected input box is cancelled, so nothing blocks.
#include "common/Opener.h"
#include "common/Prompts.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

struct ShownPrompt {
    QString kind;  // "message", "box", "ask", "input", "standardError", "chooseFile", "chooseFont", "chooseFolder",
                   // "chooseFilesOrFolder", "report"
    QString text;  // message text, question, or input prompt
    QString caption;
    Prompts::Icon icon = Prompts::Icon::None;
    QString initial;  // input boxes: the initial text
    QString details;  // reports: the list behind the message
};

class ScriptedPrompts final : public Prompts {
public:
    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    QList<ShownPrompt> shown;
    QQueue<bool> answers;  // for ask()
    QQueue<std::optional<QString>> inputs;  // for input(); nullopt cancels
    QQueue<QString> files;  // for chooseFile(); empty cancels
    QQueue<std::optional<QFont>> fonts;  // for chooseFont(); nullopt cancels
    QQueue<QString> folders;  // for chooseFolder(); empty cancels
    QQueue<QStringList> sources;  // for chooseFilesOrFolder(); empty cancels
    // Runs while a simple message is "up", to look at the window behind it.
    std::function<void()> whileMessageShown;

    void message(QWidget*, const QString& text) override
    {
        shown.append({QStringLiteral("message"), text, QStringLiteral("Quillstash"), Icon::None, {}, {}});
        if (whileMessageShown)
            whileMessageShown();
    }
    void box(QWidget*, const QString& text, const QString& caption, Icon icon) override
    {
        shown.append({QStringLiteral("box"), text, caption, icon, {}, {}});
    }
    bool ask(QWidget*, const QString& text, const QString& caption) override
    {
        shown.append({QStringLiteral("ask"), text, caption, Icon::None, {}, {}});
        return answers.isEmpty() ? false : answers.dequeue();
    }
    bool input(QWidget*, const QString& caption, const QString& prompt, QString& value) override
    {
        shown.append({QStringLiteral("input"), prompt, caption, Icon::None, value, {}});
        if (inputs.isEmpty())
            return false;
        const std::optional<QString> answer = inputs.dequeue();
        if (!answer)
            return false;
        value = *answer;
        return true;
    }
    void standardError(QWidget*, const QString& text) override
    {
        shown.append({QStringLiteral("standardError"), text, QStringLiteral("Quillstash"), Icon::Error, {}, {}});
    }
    QString chooseFile(QWidget*, const QString& filter) override
    {
        shown.append({QStringLiteral("chooseFile"), filter, {}, Icon::None, {}, {}});
        return files.isEmpty() ? QString() : files.dequeue();
    }
    bool chooseFont(QWidget*, QFont& font) override
    {
        shown.append({QStringLiteral("chooseFont"), font.family(), {}, Icon::None, {}, {}});
        if (fonts.isEmpty())
            return false;
        const std::optional<QFont> f = fonts.dequeue();
        if (!f)
            return false;
        font = *f;
        return true;
    }

    QString chooseFolder(QWidget*, const QString& caption) override
    {
        shown.append({QStringLiteral("chooseFolder"), caption, caption, Icon::None, {}, {}});
        return folders.isEmpty() ? QString() : folders.dequeue();
    }
    QStringList chooseFilesOrFolder(QWidget*, const QString& caption, const QString& filter) override
    {
        shown.append({QStringLiteral("chooseFilesOrFolder"), filter, caption, Icon::None, {}, {}});
        return sources.isEmpty() ? QStringList() : sources.dequeue();
    }
    void report(QWidget*, const QString& text, const QString& details, const QString& caption, Icon icon) override
    {
        shown.append({QStringLiteral("report"), text, caption, icon, {}, details});
    }

    // Texts of everything shown, in order.
    QStringList texts() const
    {
        QStringList out;
        for (const ShownPrompt& p : shown)
            out.append(p.text);
        return out;
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
};

// Records what would have been handed to the desktop.
class RecordingOpener final : public Opener {
public:
    RecordingOpener() { setOpener(this); }
    ~RecordingOpener() override { setOpener(nullptr); }
    QList<QUrl> opened;
    bool open(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
};
