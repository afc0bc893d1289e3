#pragma once
// The window side of export and import: the progress dialog, the choosers and the closing message,
// and the two entry points the main window's handlers forward to.
#include "edit/ExchangeCommands.h"

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TCategoryTree;
class TExchangeJob;
class TTreeFileKeeper;
class TreeSelection;

// Shows how far a job has come (count and current file) until it finishes; 取消 asks it to stop.
// Closing the dialog cancels as well: it stays until the job has stopped.
class TExchangeForm final : public QDialog {
    Q_OBJECT
public:
    TExchangeForm(QWidget* parent, TExchangeJob& job, const QString& caption);

    QLabel* CountLabel = nullptr;
    QLabel* FileLabel = nullptr;
    QProgressBar* Bar = nullptr;
    QPushButton* CancelBtn = nullptr;

public slots:
    void CancelBtnClick();
    void reject() override;

private:
    void showProgress();

    TExchangeJob& m_job;
    QTimer* m_timer = nullptr;
};

// ExchangeUi through the program-wide prompts and the progress dialog.
class WindowExchangeUi final : public ExchangeUi {
public:
    explicit WindowExchangeUi(QWidget* parent) : m_parent(parent) { }
    QString chooseExportFolder() override;
    QStringList chooseImportSources() override;
    void runJob(TExchangeJob& job, const QString& caption) override;
    void report(const QString& text, const QString& details, Prompter::Icon icon) override;

private:
    QWidget* m_parent;
};

namespace exchangedialogs {
// "导出全部资料...": the whole knowledge base into a folder the user picks.
void ExportAll(QWidget* window, TCategoryTree& tree, TreeSelection& selection, TTreeFileKeeper& treeFile);
// "导入资料...": files or a folder the user picks; relist lists the selected place again afterwards.
void ImportMaterials(QWidget* window, TCategoryTree& tree, TreeSelection& selection, TTreeFileKeeper& treeFile,
    const std::function<void()>& relist);
}  // namespace exchangedialogs
