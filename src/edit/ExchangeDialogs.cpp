#include "edit/ExchangeDialogs.h"

#include "common/ModalDialog.h"

#include "common/Prompts.h"
#include "edit/ExchangeJob.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TExchangeForm::TExchangeForm(QWidget* parent, TExchangeJob& job, const QString& caption) : QDialog(parent), m_job(job)
{
    setObjectName(QStringLiteral("TExchangeForm"));
    setWindowTitle(caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    CountLabel = new QLabel(QStringLiteral("正在查找文件……"), this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    FileLabel = new QLabel(this);
    FileLabel->setObjectName(QStringLiteral("FileLabel"));
    FileLabel->setMinimumWidth(420);
    FileLabel->setTextFormat(Qt::PlainText);
    Bar = new QProgressBar(this);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setRange(0, 0);
    CancelBtn = new QPushButton(QStringLiteral("取消"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CancelBtn);
    layout->addWidget(CountLabel);
    layout->addWidget(FileLabel);
    layout->addWidget(Bar);
    layout->addLayout(buttons);

    connect(CancelBtn, &QPushButton::clicked, this, &TExchangeForm::CancelBtnClick);
    connect(&m_job, &TExchangeJob::finished, this, [this] {
        showProgress();
        accept();
    });
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &TExchangeForm::showProgress);
    m_timer->start(100);
}

void TExchangeForm::showProgress()
{
    const ExchangeProgress::State state = m_job.progress().state();
    if (state.total > 0) {
        Bar->setRange(0, state.total);
        Bar->setValue(state.done);
        CountLabel->setText(QStringLiteral("%1 / %2").arg(state.done).arg(state.total));
    }
    if (m_job.progress().isCancelled())
        CountLabel->setText(CountLabel->text() + QStringLiteral("  正在取消……"));
    FileLabel->setText(FileLabel->fontMetrics().elidedText(state.current, Qt::ElideMiddle, FileLabel->width()));
}

void TExchangeForm::CancelBtnClick()
{
    CancelBtn->setEnabled(false);
    m_job.cancel();
    showProgress();
}

void TExchangeForm::reject()
{
    // Escape and the close button stop the job; the dialog closes when it has stopped.
    if (!m_job.isFinished())
        CancelBtnClick();
    else
        QDialog::reject();
}

QString WindowExchangeUi::chooseExportFolder()
{
    return prompts().chooseFolder(m_parent, QStringLiteral("选择导出到的文件夹"));
}

QStringList WindowExchangeUi::chooseImportSources()
{
    return prompts().chooseFilesOrFolder(
        m_parent, QStringLiteral("选择要导入的文件或文件夹"), QStringLiteral("文本文件 (*.txt *.md);;所有文件 (*)"));
}

void WindowExchangeUi::runJob(TExchangeJob& job, const QString& caption)
{
    TExchangeForm form(m_parent, job, caption);
    job.start();
    if (!job.isFinished())
        execWindowModal(form);
}

void WindowExchangeUi::report(const QString& text, const QString& details, Prompter::Icon icon)
{
    prompts().report(m_parent, text, details, QStringLiteral("Quillstash"), icon);
}

namespace exchangedialogs {
void ExportAll(QWidget* window, TCategoryTree& tree, TreeSelection& selection, TTreeFileKeeper& treeFile)
{
    WindowPrompter prompter(window);
    WindowExchangeUi ui(window);
    TExchangeCommands(tree, selection, treeFile, prompter, ui, [] {}).ExportAll();
}

void ImportMaterials(QWidget* window, TCategoryTree& tree, TreeSelection& selection, TTreeFileKeeper& treeFile,
    const std::function<void()>& relist)
{
    WindowPrompter prompter(window);
    WindowExchangeUi ui(window);
    TExchangeCommands(tree, selection, treeFile, prompter, ui, relist).ImportMaterials();
}
}  // namespace exchangedialogs
