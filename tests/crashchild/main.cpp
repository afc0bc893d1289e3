// A child for the crash-safety test: starts on a data directory the way the program does, then files
// materials, adds categories and rewrites the settings in a loop, through the program's own code, until
// it is killed. Each finished step is reported on stdout in one write, so the parent knows exactly what
// was stored before the kill:
//   READY            start-up done (tree and settings read)
//   M <title>        a material insert reported success
//   C <name>         a category was added and the tree file holds it
//   S <colour>       the settings file was rewritten with this viewer colour
//   E <text>         something failed; the child stops with exit code 3
// Usage: qs_crashchild <data directory> <first step number>
#include "ScriptedPrompts.h"

#include "app/TMainForm.h"
#include "common/SettingsFile.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/CategoryTreeFile.h"
#include "tree/TreeNodes.h"

#include <QApplication>
#include <QDir>
#include <QStatusBar>
#include <QTreeWidget>
#include <memory>

#include <unistd.h>

namespace {

void report(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    // One write of a short line to a pipe arrives whole or not at all.
    if (::write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size())
        ::_exit(4);
}

[[noreturn]] void fail(const QString& why)
{
    report(QStringLiteral("E ") + why);
    ::_exit(3);
}

bool treeHolds(const QString& path, const QString& category)
{
    try {
        for (const TreeNodeData& top : loadTreeFile(path)) {
            for (const TreeNodeData& node : top.children) {
                if (node.text == category)
                    return true;
            }
        }
    } catch (const EOpenFileError& e) {
        fail(QStringLiteral("tree file unreadable: ") + e.text);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillstash"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        fail(QStringLiteral("usage: qs_crashchild <data directory> <first step number>"));
    const QString dir = args.at(1);
    const qint64 first = args.at(2).toLongLong();

    ScriptedPrompts prompts;
    QDir::setCurrent(dir);
    TMainForm form(dir);
    form.FormCreate();
    if (form.terminateRequested() || !prompts.shown.isEmpty())
        fail(QStringLiteral("start-up: ") + prompts.texts().join(QStringLiteral(" / ")));
    auto data = std::make_unique<TMainData>(dir);
    data->setStatusSink(&form.statusSink());
    report(QStringLiteral("READY"));

    QString category = QStringLiteral("c%1").arg(first);
    for (qint64 step = first;; ++step) {
        if (step % 4 == 0) {
            // A category under the text root, added the way the user adds one.
            category = QStringLiteral("c%1").arg(step);
            treenodes::select(form.ui().MainTreeView, form.ui().MainTreeView->topLevelItem(0));
            prompts.inputs.enqueue(category);
            form.AddNewItem();
            if (!treeHolds(form.treeFilePath(), category))
                fail(QStringLiteral("category not saved: ") + category + QLatin1Char(' ')
                    + form.ui().MainStatus->currentMessage());
            report(QStringLiteral("C ") + category);
        }

        TFileText record;
        record.title = QStringLiteral("m%1").arg(step);
        record.bigclassname = category;
        record.writer = QStringLiteral("crash test");
        // Bodies of varying length, so inserts touch one page or several.
        for (qint64 line = 0; line <= (step % 40) * 4; ++line)
            record.main.append(
                QStringLiteral("line %1 of material %2: some text to fill the page").arg(line).arg(step));
        record.InsertNew();
        if (ResultMessage != QStringLiteral("添加成功！你可以继续操作！"))
            fail(QStringLiteral("insert: ") + ResultMessage);
        report(QStringLiteral("M ") + record.title);

        if (step % 3 == 0) {
            SettingsValues values;
            values.color = qint32(step % 16777216);
            values.font.name = QStringLiteral("宋体");
            values.font.charset = 134;
            values.trayWay = QStringLiteral("01");
            QString error;
            if (!writeSettingsFile(form.settingsFilePath(), values, &error))
                fail(QStringLiteral("settings: ") + error);
            report(QStringLiteral("S %1").arg(values.color));
        }
    }
}
