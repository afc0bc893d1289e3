#include "edit/MaterialCommands.h"

#include "browse/MaterialList.h"
#include "common/Kinds.h"
#include "common/Prompter.h"
#include "common/RunState.h"
#include "store/Statements.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/TreeSelection.h"

#include <memory>

namespace {
const QString kListed = QStringLiteral("数据库操作成功！");

// The table of a material item: its image says which kind it is, whatever the tree shows now.
QString tableOf(const ListEntry& entry) { return entry.image == 4 ? kinds::textTable() : kinds::exeTable(); }

void setStatus(const QString& text)
{
    if (MainData)
        MainData->setStatus(text);
}
}  // namespace

void TMaterialCommands::AddFileToItem()
{
    TTreeNode* node = m_selection.selectedNode();
    if (!node) {
        m_prompter.message(QStringLiteral("你还没有在左边的分类树中选择一个分类！"));
        return;
    }
    if (!node->parent()) {
        m_prompter.info(QStringLiteral("不能直接在跟目录下添加资料，请选择一个分类!"), QStringLiteral("Quillstash"));
        return;
    }
    QStringList placement;
    if (TTreeNode* grandparent = node->grandparent())
        placement = {grandparent->text(), node->parent()->text(), node->text()};
    else
        placement = {node->parent()->text(), node->text(), QString()};
    const QString kind = placement.at(0);
    if (kind != kinds::textRoot() && kind != kinds::exampleRoot())
        return;  // below the search-results node nothing can be filed
    m_host.runAddDialog(kind, placement);
    m_host.relist();
}

void TMaterialCommands::N14Click()
{
    TTreeNode* node = m_selection.selectedNode();
    if (!node) {
        m_prompter.message(QStringLiteral("你还没有在左边的树中选择一个分类！"));
    } else if (node->parent()) {
        AddFileToItem();
        m_host.relist();
    } else {
        m_prompter.message(QStringLiteral("请在左边的树中选择一个具体的分类再添加！"));
    }
}

void TMaterialCommands::runAndRefresh(const Statement& statement)
{
    const bool done = TFile::ExecuteStatement(statement);
    const QString outcome = MainData ? MainData->currentStatus() : QString();
    m_host.relist();
    // A failure, or a safety copy that could not be made, outranks the listing's own success text.
    if (!done || outcome != kListed)
        setStatus(outcome);
    if (!done && MainData)
        MainData->setProgress(0);
}

void TMaterialCommands::DelFile()
{
    TTreeNode* node = m_selection.selectedNode();
    if (!node)
        return;  // the list only holds materials after a place was chosen in the tree
    if (!node->parent() && node->text() == kinds::searchNode()) {
        m_prompter.message(QStringLiteral("搜索结果中不能删除"));
        return;
    }
    const ListEntry* entry = m_list.selectedEntry();
    if (!entry) {
        m_prompter.message(QStringLiteral("请先选中一个资料"));
        return;
    }
    if (!entry->isMaterial()) {
        m_prompter.message(QStringLiteral("你选择的是一个分类，要删除分类请在左边的树结构上操作！"));
        return;
    }
    const ListEntry material = *entry;
    if (!m_prompter.ask(QStringLiteral("将删除该资料，是否继续？"), QStringLiteral("Quillstash")))
        return;
    // The item's own kind picks the table: the tree selection may have moved on (expanding a node
    // selects it) while the list still shows the materials of another place.
    runAndRefresh(sql::deleteMaterial(tableOf(material), material.id));
}

void TMaterialCommands::ReFile()
{
    const ListEntry* entry = m_list.selectedEntry();
    if (!entry) {
        m_prompter.message(QStringLiteral("请先选中一个资料"));
        return;
    }
    if (!entry->isMaterial()) {
        m_prompter.message(QStringLiteral("你选择的是一个分类，要修改分类名请在左边的树结构上操作！"));
        return;
    }
    const qint64 id = entry->id;
    const bool text = entry->image == 4;
    setStatus(QStringLiteral("正在执行相关操作。"));
    std::unique_ptr<TFile> record;
    if (text)
        record = std::make_unique<TFileText>();
    else
        record = std::make_unique<TFileExe>();
    const bool loaded = record->LoadById(id);
    setStatus(QStringLiteral("数据库读取完成！"));
    if (loaded) {
        const QStringList placement {
            kinds::textRoot(), record->bigclassname, record->classname, record->title, QString::number(id)};
        m_host.runEditDialog(*record, text, placement);
    } else {
        // An empty or half-filled edit dialog would overwrite the material with what it lacks
        // (even move it out of its category): say why instead.
        m_prompter.message(ResultMessage);
    }
    record.reset();
    m_host.relist();
    setStatus(ResultMessage.isEmpty() ? QStringLiteral("操作完成") : ResultMessage);
    TFile::ReportSafetyCopyNotice();
}

QList<MoveTarget> TMaterialCommands::moveTargets() const
{
    QList<MoveTarget> targets;
    const ListEntry* entry = m_list.selectedEntry();
    if (!entry || !entry->isMaterial())
        return targets;
    // Only the material's own kind is offered; the search-results node is no place to file into.
    const TTreeNode* root = m_tree.kindRoot(entry->image == 4 ? kinds::textRoot() : kinds::exampleRoot());
    for (int i = 0; root && i < root->childCount(); ++i) {
        const TTreeNode* category = root->child(i);
        MoveTarget target {category->text(), {}};
        for (int j = 0; j < category->childCount(); ++j)
            target.subcategories.append(category->child(j)->text());
        targets.append(target);
    }
    return targets;
}

void TMaterialCommands::TurnFile(const QString& category, const QString& subcategory)
{
    const ListEntry* entry = m_list.selectedEntry();
    if (!entry || !entry->isMaterial())
        return;
    runAndRefresh(sql::moveMaterial(tableOf(*entry), category, subcategory, entry->id));
}

void TMaterialCommands::N31Click() { m_prompter.message(QStringLiteral("要使用该功能，直接在选中的资料上单击右键。")); }
