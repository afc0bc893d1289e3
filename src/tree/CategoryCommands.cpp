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
#include "app/Prompts.h"
#include "app/TMainForm.h"
#include "store/TFile.h"
#include "tree/CategoryTreeFile.h"
#include "tree/TreeNodes.h"

#include <QListWidget>
#include <QTreeWidget>

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
bool acceptName(QWidget* parent, const QString& name)
{
    if (canWriteTreeName(name))
        return true;
    prompts().warn(parent, unwritableNameWarning(name), QStringLiteral("Quillstash"));
    return false;
}

// True when one of parent's children other than except carries name (blanks around it aside).
bool siblingHasName(const QTreeWidgetItem* parent, const QString& name, const QTreeWidgetItem* except)
{
    const QString wanted = name.trimmed();
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        const QTreeWidgetItem* child = parent->child(i);
        if (child != except && child->text(0).trimmed() == wanted)
            return true;
    }
    return false;
}

bool acceptUniqueName(QWidget* parent, const QTreeWidgetItem* siblingsOf, const QString& name,
                      const QTreeWidgetItem* except)
{
    if (!siblingHasName(siblingsOf, name, except))
        return true;
    prompts().warn(parent, QStringLiteral("已经存在同名的分类，请换一个名字！"), QStringLiteral("提示信息"));
    return false;
}

}  // namespace

void TMainForm::AddNewItem()
{
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    // Only the top node is the search-results node: a category may carry the same name.
    if (node && !node->parent() && node->text(0) == treenodes::searchNode()) {
        prompts().message(this, QStringLiteral("不能在这里建立新的子分类！"));
        return;
    }
    if (!node) {
        prompts().message(this, kNoSelection);
        return;
    }
    if (treenodes::grandparentOf(node)) {
        prompts().warn(this, QStringLiteral("你已经到了分类的最低层，你不能在这个分类下再添加新的子分类了"),
                       QStringLiteral("提示信息"));
        return;
    }
    QString name;
    const QString prompt = QStringLiteral("请输入分类名：在\"") + node->text(0) + QStringLiteral("\"里的子类");
    if (!prompts().input(this, QStringLiteral("请输入分类名"), prompt, name))
        return;
    if (!acceptName(this, name) || !acceptUniqueName(this, node, name, nullptr))
        return;

    auto* child = new QTreeWidgetItem(node, QStringList{name});
    if (treenodes::grandparentOf(child))
        treenodes::setImages(child, 2, 2);
    else
        treenodes::setImages(child, 1, 4);
    QString failure;
    if (!saveCategoryTree(&failure)) {
        delete child;  // a category that only the window knows would be gone at the next start
        prompts().error(this, failure + QStringLiteral("\n新的分类没有建立。"));
        return;
    }
    MainListShow();
    MainList->viewport()->update();
}

void TMainForm::ReNameItem()
{
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    if (node && !node->parent()) {
        prompts().warn(this, QStringLiteral("这是软件定义的根目录，你不能修改！"), QStringLiteral("Quillstash"));
        return;
    }
    if (!node) {
        prompts().message(this, kNoSelection);
        return;
    }
    QString name = node->text(0);
    if (!prompts().input(this, QStringLiteral("请输入新的名字"), QStringLiteral("请输入新的名字："), name))
        return;
    if (!acceptName(this, name) || !acceptUniqueName(this, node->parent(), name, node))
        return;

    const QString oldName = node->text(0);
    QString failure;
    bool savedNewName = false;
    // Runs inside the database change, before its commit.
    const auto saveTree = [&](QString*) {
        node->setText(0, name);
        savedNewName = saveCategoryTree(&failure);
        if (!savedNewName)
            node->setText(0, oldName);
        return savedNewName;
    };
    bool stored = false;
    if (QTreeWidgetItem* grandparent = treenodes::grandparentOf(node))
        stored = TFile::RenameClassRows(node->parent()->text(0), oldName, grandparent->text(0), name, saveTree);
    else
        stored = TFile::RenameClassRows(oldName, std::nullopt, node->parent()->text(0), name, saveTree);
    if (!stored) {
        if (savedNewName) {
            // The commit failed after the file took the new name: the file goes back with the tree.
            node->setText(0, oldName);
            if (!saveCategoryTree(&failure))
                prompts().error(this, failure + QStringLiteral("\n分类树文件中的名字与数据库不一致，请检查后再试。"));
        } else if (!failure.isEmpty()) {
            prompts().error(this, failure + QStringLiteral("\n分类没有改名。"));
        }
        return;  // the status bar shows a database failure; tree and database still agree
    }
    MainListShow();
    MainList->viewport()->update();
}

void TMainForm::DelChildItem()
{
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    if (!node) {
        prompts().message(this, kNoSelection);
        return;
    }
    if (!node->parent()) {
        prompts().warn(this, QStringLiteral("这是本软件定义的根目录，不能删除"), QStringLiteral("Quillstash"));
        return;
    }
    const QString question = QStringLiteral("删除分类“") + node->text(0)
        + QStringLiteral("”，将删除他的子分类及所有属于他的资料，要继续吗？");
    if (!prompts().ask(this, question, QStringLiteral("Quillstash")))
        return;

    QTreeWidgetItem* parent = node->parent();
    const int index = parent->indexOfChild(node);
    QString failure;
    bool savedWithout = false;
    const auto restore = [&] {
        parent->insertChild(index, node);
        treenodes::select(MainTreeView, node);
    };
    // Runs inside the database change, before its commit.
    const auto saveTree = [&](QString*) {
        treenodes::select(MainTreeView, parent);
        parent->takeChild(index);  // with its subcategories
        savedWithout = saveCategoryTree(&failure);
        if (!savedWithout)
            restore();
        return savedWithout;
    };
    bool deleted = false;
    if (QTreeWidgetItem* grandparent = treenodes::grandparentOf(node))
        deleted = TFile::DeleteClassRows(parent->text(0), node->text(0), grandparent->text(0), saveTree);
    else
        deleted = TFile::DeleteClassRows(node->text(0), std::nullopt, parent->text(0), saveTree);
    if (!deleted) {
        if (savedWithout) {
            restore();
            if (!saveCategoryTree(&failure))
                prompts().error(this, failure + QStringLiteral("\n分类树文件与数据库不一致，请检查后再试。"));
        } else if (!failure.isEmpty()) {
            prompts().error(this, failure + QStringLiteral("\n分类没有删除。"));
        }
        return;
    }
    delete node;
    MainListShow();
    MainList->viewport()->update();
}
