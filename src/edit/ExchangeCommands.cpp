// Export and import in the window.
//
// Choices of ours:
// - An export goes into the chosen folder when it is empty, else into a new dated folder inside it, so
//   it never mixes with what is there.
// - Plain files go to the category or subcategory of 文字资料 the tree shows selected; an export folder
//   brings its own places, so it needs none.
// - The closing message lists the first skipped files; the whole list is behind its details.
#include "edit/ExchangeCommands.h"

#include "common/Kinds.h"
#include "edit/ExchangeJob.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/TreeSelection.h"

#include <QDateTime>
#include <QDir>

namespace {
constexpr int kShownSkipped = 10;

// The place plain files go: the selected category or subcategory of the text root.
std::optional<ImportPlace> selectedTextPlace(const TCategoryTree& tree, const TTreeNode* node)
{
    if (!node || !node->parent() || tree.absoluteIndex(node) < 0)
        return std::nullopt;
    const TTreeNode* root = node->grandparent() ? node->grandparent() : node->parent();
    if (root != tree.kindRoot(kinds::textRoot()))
        return std::nullopt;
    if (node->grandparent())
        return ImportPlace {kinds::textRoot(), node->parent()->text(), node->text()};
    return ImportPlace {kinds::textRoot(), node->text(), std::nullopt};
}
}  // namespace

QString importReportText(const ImportReport& report, int shownLines, QString* details)
{
    QString text;
    if (!report.error.isEmpty())
        text = QStringLiteral("导入没有完成：") + report.error + QStringLiteral("\n\n");
    else if (report.cancelled)
        text = QStringLiteral("导入已取消。");
    text += importSummary(report);
    if (report.processed < report.total && (report.cancelled || !report.error.isEmpty()))
        text += QStringLiteral("，其余 %1 个文件没有处理").arg(report.total - report.processed);
    text += QStringLiteral("。");
    if (!report.skipped.isEmpty()) {
        text += QStringLiteral("\n\n跳过的文件：\n") + report.skipped.mid(0, shownLines).join(QLatin1Char('\n'));
        if (report.skipped.size() > shownLines)
            text += QStringLiteral("\n……还有 %1 个，见详细信息").arg(report.skipped.size() - shownLines);
    }
    if (details)
        *details = report.skipped.join(QLatin1Char('\n'));
    return text;
}

void TExchangeCommands::ExportAll()
{
    if (!MainData) {
        m_prompter.error(QStringLiteral("数据模块尚未创建，无法访问数据库"));
        return;
    }
    const QString chosen = m_ui.chooseExportFolder();
    if (chosen.isEmpty())
        return;
    const QString folder = exportFolderIn(chosen, QDateTime::currentDateTime());
    ExportSource source {QDir(MainData->programDir()).absoluteFilePath(QStringLiteral("Data.QSD")), m_tree.snapshot()};
    TExportJob job(std::move(source), folder);
    m_ui.runJob(job, QStringLiteral("导出全部资料"));
    const ExportOutcome& outcome = job.outcome();
    switch (outcome.state) {
    case ExportOutcome::State::Done:
        m_ui.report(
            QStringLiteral("已导出 %1 个资料到“%2”。").arg(outcome.materials).arg(QDir::toNativeSeparators(folder)),
            QString(), Prompter::Icon::Information);
        break;
    case ExportOutcome::State::Cancelled:
        m_ui.report(QStringLiteral("导出已取消，已经写出的文件都已删除。"), QString(), Prompter::Icon::Information);
        break;
    case ExportOutcome::State::Failed:
        m_ui.report(QStringLiteral("导出失败：") + outcome.error, QString(), Prompter::Icon::Error);
        break;
    }
}

void TExchangeCommands::ImportMaterials()
{
    if (!MainData) {
        m_prompter.error(QStringLiteral("数据模块尚未创建，无法访问数据库"));
        return;
    }
    const QStringList chosen = m_ui.chooseImportSources();
    if (chosen.isEmpty())
        return;
    ImportRequest request;
    bool plain = false;
    for (const QString& path : chosen) {
        request.sources.append(classifySource(path));
        plain = plain || request.sources.last().kind != ImportSource::Kind::ExportFolder;
    }
    if (plain) {
        request.plainPlace = selectedTextPlace(m_tree, m_selection.selectedNode());
        if (!request.plainPlace) {
            m_prompter.warn(
                QStringLiteral("要导入 .txt 和 .md 文件，请先在左边的分类树中选择“文字资料”下的一个分类或子分类，"
                               "文件会导入到那里。"));
            return;
        }
    }
    TImportApplier applier(*MainData, m_tree, m_treeFile);
    TImportJob job(std::move(request), applier);
    m_ui.runJob(job, QStringLiteral("导入资料"));
    const ImportReport& report = job.report();
    if (report.imported > 0 || applier.treeChanged())
        m_relist();
    QString details;
    const QString text = importReportText(report, kShownSkipped, &details);
    const Prompter::Icon icon = !report.error.isEmpty() ? Prompter::Icon::Error
        : report.cancelled || !report.skipped.isEmpty() ? Prompter::Icon::Warning
                                                        : Prompter::Icon::Information;
    m_ui.report(text, details, icon);
    TFile::ReportSafetyCopyNotice();
}
