// Category operations: add, rename and delete categories and subcategories.
//
// Choices of ours:
// - The tree file is written right after every operation, so a new or renamed category survives a
//   crash even though its materials are already in the database. A rename or delete is one unit: its
//   database change is committed only after the tree file was saved, and rolled back (the tree shown
//   as before) when the save fails; the user is told which file could not be written and why.
// - A failed database statement leaves the tree as it was; the status bar tells why.
// - A name that a sibling already has is refused: materials follow names, so deleting the copy
//   would delete the original's materials too. Names are compared without their surrounding
//   blanks, since two siblings that differ only there look the same in the tree; the name itself is
//   kept as typed.
// - Names the tree file could not read back (a leading "+", a line break, a character outside GBK)
//   are refused with a warning before anything changes.
// - After a successful operation the selected node is listed again, so the list shows the new
//   subcategory, the new name or the remaining content. After a delete the parent of the deleted
//   node becomes the selected node: the place the user was looking at is gone and its parent is
//   the nearest place that still exists.
#include "tree/CategoryCommands.h"

#include "common/Kinds.h"
#include "store/TFile.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/CategoryTreeFile.h"
#include "tree/TreeFileKeeper.h"
#include "tree/TreeSelection.h"

namespace {

const QString kNoSelection = QStringLiteral("你还没有在左边的分类树中选择一个分类！");

// Why a name cannot go into the tree file, in words a user understands.
QString unwritableNameWarning(const QString& name)
{
    if (name.startsWith(QLatin1Char('+')))
        return QStringLiteral("分类名不能以“+”开头，请换一个名字。");
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')))
        return QStringLiteral("分类名不能包含换行，请换一个名字。");
    return QStringLiteral("分类名中有无法保存的字符（例如表情符号），请换一个名字。");
}

// True when the name can be kept; otherwise warns and returns false.
bool acceptName(Prompter& prompter, const QString& name)
{
    if (canWriteTreeName(name))
        return true;
    prompter.warn(unwritableNameWarning(name), QStringLiteral("Quillstash"));
    return false;
}

// True when one of parent's children other than except carries name (blanks around it aside).
bool siblingHasName(const TTreeNode* parent, const QString& name, const TTreeNode* except)
{
    const QString wanted = name.trimmed();
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        const TTreeNode* child = parent->child(i);
        if (child != except && child->text().trimmed() == wanted)
            return true;
    }
    return false;
}

bool acceptUniqueName(Prompter& prompter, const TTreeNode* siblingsOf, const QString& name, const TTreeNode* except)
{
    if (!siblingHasName(siblingsOf, name, except))
        return true;
    prompter.warn(QStringLiteral("已经存在同名的分类，请换一个名字！"), QStringLiteral("提示信息"));
    return false;
}

}  // namespace

void TCategoryCommands::AddNewItem()
{
    TTreeNode* node = m_selection.selectedNode();
    // Only the top node is the search-results node: a category may carry the same name.
    if (node && !node->parent() && node->text() == kinds::searchNode()) {
        m_prompter.message(QStringLiteral("不能在这里建立新的子分类！"));
        return;
    }
    if (!node) {
        m_prompter.message(kNoSelection);
        return;
    }
    if (node->grandparent()) {
        m_prompter.warn(
            QStringLiteral("你已经到了分类的最低层，你不能在这个分类下再添加新的子分类了"), QStringLiteral("提示信息"));
        return;
    }
    QString name;
    const QString prompt = QStringLiteral("请输入分类名：在\"") + node->text() + QStringLiteral("\"里的子类");
    if (!m_prompter.input(QStringLiteral("请输入分类名"), prompt, name))
        return;
    if (!acceptName(m_prompter, name) || !acceptUniqueName(m_prompter, node, name, nullptr))
        return;

    const bool subcategory = node->parent() != nullptr;
    TTreeNode* child = m_tree.addChild(node, name, subcategory ? 2 : 1, subcategory ? 2 : 4);
    QString failure;
    if (!saveTree(&failure)) {
        m_tree.take(child);  // a category that only the window knows would be gone at the next start
        m_prompter.error(failure + QStringLiteral("\n新的分类没有建立。"));
        return;
    }
    m_host.categoriesChanged();
}

void TCategoryCommands::ReNameItem()
{
    TTreeNode* node = m_selection.selectedNode();
    if (node && !node->parent()) {
        m_prompter.warn(QStringLiteral("这是软件定义的根目录，你不能修改！"), QStringLiteral("Quillstash"));
        return;
    }
    if (!node) {
        m_prompter.message(kNoSelection);
        return;
    }
    QString name = node->text();
    if (!m_prompter.input(QStringLiteral("请输入新的名字"), QStringLiteral("请输入新的名字："), name))
        return;
    if (!acceptName(m_prompter, name) || !acceptUniqueName(m_prompter, node->parent(), name, node))
        return;

    const QString oldName = node->text();
    QString failure;
    bool savedNewName = false;
    // Runs inside the database change, before its commit.
    const auto saveNewName = [&](QString*) {
        m_tree.setText(node, name);
        savedNewName = saveTree(&failure);
        if (!savedNewName)
            m_tree.setText(node, oldName);
        return savedNewName;
    };
    bool stored = false;
    if (TTreeNode* grandparent = node->grandparent())
        stored = TFile::RenameClassRows(node->parent()->text(), oldName, grandparent->text(), name, saveNewName);
    else
        stored = TFile::RenameClassRows(oldName, std::nullopt, node->parent()->text(), name, saveNewName);
    if (!stored) {
        if (savedNewName) {
            // The commit failed after the file took the new name: the file goes back with the tree.
            m_tree.setText(node, oldName);
            if (!saveTree(&failure))
                m_prompter.error(failure + QStringLiteral("\n分类树文件中的名字与数据库不一致，请检查后再试。"));
        } else if (!failure.isEmpty()) {
            m_prompter.error(failure + QStringLiteral("\n分类没有改名。"));
        }
        return;  // the status bar shows a database failure; tree and database still agree
    }
    m_host.categoriesChanged();
}

void TCategoryCommands::DelChildItem()
{
    TTreeNode* node = m_selection.selectedNode();
    if (!node) {
        m_prompter.message(kNoSelection);
        return;
    }
    if (!node->parent()) {
        m_prompter.warn(QStringLiteral("这是本软件定义的根目录，不能删除"), QStringLiteral("Quillstash"));
        return;
    }
    const QString question = QStringLiteral("删除分类“") + node->text()
        + QStringLiteral("”，将删除他的子分类及所有属于他的资料，要继续吗？");
    if (!m_prompter.ask(question, QStringLiteral("Quillstash")))
        return;

    TTreeNode* parent = node->parent();
    const int index = parent->indexOf(node);
    const QString name = node->text();
    std::unique_ptr<TTreeNode> taken;
    QString failure;
    bool savedWithout = false;
    const auto restore = [&] {
        m_selection.selectNode(m_tree.insert(parent, index, std::move(taken)));
    };
    // Runs inside the database change, before its commit.
    const auto saveWithout = [&](QString*) {
        m_selection.selectNode(parent);
        taken = m_tree.take(node);  // with its subcategories
        savedWithout = saveTree(&failure);
        if (!savedWithout)
            restore();
        return savedWithout;
    };
    bool deleted = false;
    if (TTreeNode* grandparent = node->grandparent())
        deleted = TFile::DeleteClassRows(parent->text(), name, grandparent->text(), saveWithout);
    else
        deleted = TFile::DeleteClassRows(name, std::nullopt, parent->text(), saveWithout);
    if (!deleted) {
        if (savedWithout) {
            restore();
            if (!saveTree(&failure))
                m_prompter.error(failure + QStringLiteral("\n分类树文件与数据库不一致，请检查后再试。"));
        } else if (!failure.isEmpty()) {
            m_prompter.error(failure + QStringLiteral("\n分类没有删除。"));
        }
        return;
    }
    m_host.categoriesChanged();
}

bool TCategoryCommands::saveTree(QString* failure)
{
    if (m_file.save(failure))
        return true;
    if (MainData && failure)
        MainData->setStatus(*failure);
    return false;
}
