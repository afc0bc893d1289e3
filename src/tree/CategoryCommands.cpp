// Category operations: add, rename and delete categories and subcategories.
//
// Choices of ours:
// - The tree file is written right after every successful operation, so a new or renamed category
//   survives a crash even though its materials are already in the database.
// - A rename or delete touches the tree only after its database statement succeeded; after a
//   failure the tree stays as it was and the status bar tells why.
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
    if (!acceptName(this, name))
        return;

    auto* child = new QTreeWidgetItem(node, QStringList{name});
    if (treenodes::grandparentOf(child))
        treenodes::setImages(child, 2, 2);
    else
        treenodes::setImages(child, 1, 4);
    saveCategoryTree();
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
    if (!acceptName(this, name))
        return;

    bool stored = false;
    if (QTreeWidgetItem* grandparent = treenodes::grandparentOf(node))
        stored = TFile::RenameClassRows(node->parent()->text(0), node->text(0), grandparent->text(0), name);
    else
        stored = TFile::RenameClassRows(node->text(0), std::nullopt, node->parent()->text(0), name);
    if (!stored)
        return;  // the status bar shows the failure; tree and database still agree

    node->setText(0, name);
    saveCategoryTree();
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

    bool deleted = false;
    if (QTreeWidgetItem* grandparent = treenodes::grandparentOf(node))
        deleted = TFile::DeleteClassRows(node->parent()->text(0), node->text(0), grandparent->text(0));
    else
        deleted = TFile::DeleteClassRows(node->text(0), std::nullopt, node->parent()->text(0));
    if (!deleted)
        return;

    QTreeWidgetItem* parent = node->parent();
    treenodes::select(MainTreeView, parent);
    delete node;  // takes its subcategories with it
    saveCategoryTree();
    MainListShow();
    MainList->viewport()->update();
}
