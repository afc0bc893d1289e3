#pragma once
// The two commands of the menu "文件&F" that move the knowledge base to plain files and back:
// "导出全部资料..." and "导入资料...". They choose, run and report through ExchangeUi, so tests drive
// them without a window.
#include "common/Prompter.h"

#include <QString>
#include <QStringList>
#include <functional>

struct ImportReport;
class TCategoryTree;
class TExchangeJob;
class TTreeFileKeeper;
class TreeSelection;

// What the commands ask of the window they serve.
class ExchangeUi {
public:
    virtual ~ExchangeUi() = default;
    // The folder to export into; empty when the user cancelled.
    virtual QString chooseExportFolder() = 0;
    // The files, or the one folder, to import; empty when the user cancelled.
    virtual QStringList chooseImportSources() = 0;
    // Starts the job and returns once it has finished, showing its progress; the user may cancel it.
    virtual void runJob(TExchangeJob& job, const QString& caption) = 0;
    // The closing message; details (may be empty) hold the full list of what was skipped.
    virtual void report(const QString& text, const QString& details, Prompter::Icon icon) = 0;
};

class TExchangeCommands final {
public:
    TExchangeCommands(TCategoryTree& tree, TreeSelection& selection, TTreeFileKeeper& treeFile, Prompter& prompter,
        ExchangeUi& ui, std::function<void()> relist)
        : m_tree(tree), m_selection(selection), m_treeFile(treeFile), m_prompter(prompter), m_ui(ui),
          m_relist(std::move(relist))
    { }

    void ExportAll();
    void ImportMaterials();

private:
    TCategoryTree& m_tree;
    TreeSelection& m_selection;
    TTreeFileKeeper& m_treeFile;
    Prompter& m_prompter;
    ExchangeUi& m_ui;
    std::function<void()> m_relist;
};

// The closing message of an import and the list behind it (shared with quillstash-import).
QString importReportText(const ImportReport& report, int shownLines, QString* details);
