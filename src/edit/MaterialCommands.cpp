// Material commands: add, delete, edit and move materials.
#include "app/Images.h"
#include "app/Prompts.h"
#include "app/TMainForm.h"
#include "browse/ListItems.h"
#include "edit/TAddFileExeFrm.h"
#include "edit/TAddFileForm.h"
#include "store/Statements.h"
#include "store/TFile.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <memory>

namespace {

const QString kMoveCaption = QStringLiteral("资料转移到");

void refreshList(TMainForm* form)
{
    form->MainListShow();
    form->MainList->viewport()->update();
}

// Runs a delete or move and refreshes the list either way. A failure stays on the status bar:
// the listing that follows would otherwise cover it with its own success text.
void runAndRefresh(TMainForm* form, const Statement& statement)
{
    const bool done = TFile::ExecuteStatement(statement);
    const QString outcome = form->MainStatus->currentMessage();
    refreshList(form);
    // A failure, or a safety copy that could not be made, outranks the listing's own success text.
    if (!done || outcome != QStringLiteral("数据库操作成功！"))
        form->MainStatus->showMessage(outcome);
    if (!done)
        form->MainProgressBar->setValue(0);
}

// The table of a material item: its image says which kind it is, whatever the tree shows now.
QString tableOfItem(const QListWidgetItem* item)
{
    return listitems::image(item) == 4 ? QStringLiteral("textfile") : QStringLiteral("exefile");
}

// Menu captions are shown as they are: no character turns into an accelerator.
QString menuCaption(const QString& name)
{
    QString caption = name;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

// Shows a dialog modally and frees it; the owner may go away while it runs.
void runDialog(TAddFileForm* dialog)
{
    QPointer<TAddFileForm> guard(dialog);
    dialog->exec();
    delete guard.data();
}

}  // namespace

void TMainForm::AddFileToItem()
{
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    if (!node) {
        prompts().message(this, QStringLiteral("你还没有在左边的分类树中选择一个分类！"));
        return;
    }
    if (!node->parent()) {
        prompts().info(this, QStringLiteral("不能直接在跟目录下添加资料，请选择一个分类!"), QStringLiteral("Quillstash"));
        return;
    }
    QStringList placement;
    if (QTreeWidgetItem* grandparent = treenodes::grandparentOf(node))
        placement = {grandparent->text(0), node->parent()->text(0), node->text(0)};
    else
        placement = {node->parent()->text(0), node->text(0), QString()};

    const QString kind = placement.at(0);
    if (kind == treenodes::textRoot())
        runDialog(new TAddFileForm(this, placement));
    else if (kind == treenodes::exampleRoot())
        runDialog(new TAddFileExeFrm(this, placement));
    else
        return;  // below the search-results node nothing can be filed
    refreshList(this);
}

void TMainForm::N14Click()
{
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    if (!node) {
        prompts().message(this, QStringLiteral("你还没有在左边的树中选择一个分类！"));
    } else if (node->parent()) {
        AddFileToItem();
        refreshList(this);
    } else {
        prompts().message(this, QStringLiteral("请在左边的树中选择一个具体的分类再添加！"));
    }
}

void TMainForm::DelFile()
{
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    if (!node)
        return;  // the list only holds materials after a place was chosen in the tree
    if (!node->parent() && node->text(0) == treenodes::searchNode()) {
        prompts().message(this, QStringLiteral("搜索结果中不能删除"));
        return;
    }
    QListWidgetItem* item = listitems::selected(MainList);
    if (!item) {
        prompts().message(this, QStringLiteral("请先选中一个资料"));
        return;
    }
    if (!listitems::isMaterial(item)) {
        prompts().message(this, QStringLiteral("你选择的是一个分类，要删除分类请在左边的树结构上操作！"));
        return;
    }
    if (!prompts().ask(this, QStringLiteral("将删除该资料，是否继续？"), QStringLiteral("Quillstash")))
        return;
    // The item's own kind picks the table: the tree selection may have moved on (expanding a node
    // selects it) while the list still shows the materials of another place.
    runAndRefresh(this, sql::deleteMaterial(tableOfItem(item), listitems::id(item)));
}

void TMainForm::ReFile()
{
    QListWidgetItem* item = listitems::selected(MainList);
    if (!item) {
        prompts().message(this, QStringLiteral("请先选中一个资料"));
        return;
    }
    if (!listitems::isMaterial(item)) {
        prompts().message(this, QStringLiteral("你选择的是一个分类，要修改分类名请在左边的树结构上操作！"));
        return;
    }
    const qint64 id = listitems::id(item);
    const bool text = listitems::image(item) == 4;
    MainStatus->showMessage(QStringLiteral("正在执行相关操作。"));

    std::unique_ptr<TFile> record;
    if (text)
        record = std::make_unique<TFileText>();
    else
        record = std::make_unique<TFileExe>();
    const bool loaded = record->LoadById(id);
    MainStatus->showMessage(QStringLiteral("数据库读取完成！"));

    if (loaded) {
        const QStringList placement{treenodes::textRoot(), record->bigclassname, record->classname, record->title,
                                    QString::number(id)};
        if (text)
            runDialog(new TAddFileForm(this, static_cast<const TFileText&>(*record), placement));
        else
            runDialog(new TAddFileExeFrm(this, static_cast<const TFileExe&>(*record), placement));
    } else {
        // An empty or half-filled edit dialog would overwrite the material with what it lacks
        // (even move it out of its category): say why instead.
        prompts().message(this, ResultMessage);
    }
    record.reset();
    refreshList(this);
    MainStatus->showMessage(ResultMessage.isEmpty() ? QStringLiteral("操作完成") : ResultMessage);
    TFile::ReportSafetyCopyNotice();
}

void TMainForm::TurnFilePopMenu()
{
    const QList<QAction*> actions = MainListPopupMenu->actions();
    if (!actions.isEmpty() && actions.last()->text().startsWith(kMoveCaption)) {
        QAction* old = actions.last();
        MainListPopupMenu->removeAction(old);
        if (QMenu* oldMenu = old->menu())
            delete oldMenu;  // takes its items and its menu action with it
        else
            delete old;
    }

    QListWidgetItem* item = listitems::selected(MainList);
    if (!listitems::isMaterial(item))
        return;

    auto* move = new QMenu(kMoveCaption, MainListPopupMenu);
    move->setObjectName(QStringLiteral("TurnFileMenu"));
    move->setIcon(images::listImage(10));
    MainListPopupMenu->addMenu(move);

    // Only the material's own kind is offered; the search-results node is no place to file into.
    QTreeWidgetItem* root = listitems::image(item) == 4 ? MainTreeView->topLevelItem(0)
                                                        : treenodes::topNode(MainTreeView, treenodes::exampleRoot());
    if (!root)
        return;
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem* category = root->child(i);
        const QString categoryName = category->text(0);
        if (category->childCount() == 0) {
            QAction* target = move->addAction(menuCaption(categoryName));
            target->setData(QStringList{categoryName});
            connect(target, &QAction::triggered, this, [this, target] { TurnFile(target); });
            continue;
        }
        QMenu* sub = move->addMenu(menuCaption(categoryName));
        for (int j = 0; j < category->childCount(); ++j) {
            const QString subName = category->child(j)->text(0);
            QAction* target = sub->addAction(menuCaption(subName));
            target->setData(QStringList{categoryName, subName});
            connect(target, &QAction::triggered, this, [this, target] { TurnFile(target); });
        }
    }
}

void TMainForm::TurnFile(QAction* target)
{
    QListWidgetItem* item = listitems::selected(MainList);
    if (!target || !listitems::isMaterial(item))
        return;
    // A category target carries its name; a subcategory target its category and its own name.
    const QStringList place = target->data().toStringList();
    if (place.isEmpty())
        return;
    runAndRefresh(this, sql::moveMaterial(tableOfItem(item), place.at(0), place.value(1), listitems::id(item)));
}

void TMainForm::N31Click()
{
    prompts().message(this, QStringLiteral("要使用该功能，直接在选中的资料上单击右键。"));
}
