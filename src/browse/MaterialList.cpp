// The material list: listing a tree place, clicks and double clicks, orders and view styles.
#include "app/SettingsFile.h"
#include "app/TMainForm.h"
#include "browse/ListItems.h"
#include "store/Escaping.h"
#include "store/Statements.h"
#include "store/TMainData.h"
#include "tree/TreeNodes.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVariant>

namespace {

// The place a tree node stands for. The node's image tells its level; a node whose image does not
// fit its position (only a hand-edited tree file makes one) is named by its position instead.
LocationKey keyForNode(const QTreeWidgetItem* node)
{
    const QTreeWidgetItem* parent = node->parent();
    const QTreeWidgetItem* grandparent = parent ? parent->parent() : nullptr;
    switch (treenodes::image(node)) {
    case 0:
    case 3:
        if (!parent)
            return LocationKey::root(node->text(0));
        break;
    case 1:
    case 4:
        if (parent && !grandparent)
            return LocationKey::category_(parent->text(0), node->text(0));
        break;
    case 2:
        if (grandparent && !grandparent->parent())
            return LocationKey::subcategory_(grandparent->text(0), parent->text(0), node->text(0));
        break;
    default:
        break;
    }
    if (!parent)
        return LocationKey::root(node->text(0));
    if (!grandparent)
        return LocationKey::category_(parent->text(0), node->text(0));
    return LocationKey::subcategory_(treenodes::kindText(node), parent->text(0), node->text(0));
}

// A folder item for a child node: image 0 when it has children of its own, 1 when not.
void addFolderItem(QListWidget* list, const QTreeWidgetItem* child)
{
    listitems::add(list, child->text(0), child->childCount() > 0 ? 0 : 1);
}

}  // namespace

void TMainForm::MainTreeViewClick()
{
    HistoryFlag = true;
    MainListShow();
}

void TMainForm::MainListShow()
{
    // The flag only ever means "the listing about to run is a visit". It is taken here by every
    // listing, also by those that stop before naming a place (search results, an empty kind
    // root): a flag left behind would make a later Back or Forward record a visit and wipe the
    // forward history.
    const bool recordVisit = HistoryFlag;
    HistoryFlag = false;

    MainDetail->setRowCount(0);
    setButtonImage(UpTBtn, 16);
    MainProgressBar->setValue(0);
    ToolButton1->setEnabled(true);
    ToolButton2->setEnabled(true);
    ToolButton3->setEnabled(true);
    ToolButton4->setEnabled(true);

    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    // Only the top node is the search-results node: a category may carry the same name.
    if (node && !node->parent() && node->text(0) == treenodes::searchNode()) {
        MainList->clear();
        for (int i = 0; i < StoreItemView->count(); ++i) {
            const QListWidgetItem* stored = StoreItemView->item(i);
            listitems::add(MainList, stored->text(), listitems::image(stored), listitems::id(stored));
        }
        return;
    }
    if (!node)
        return;

    MainList->clear();
    QTreeWidgetItem* parent = node->parent();
    QTreeWidgetItem* grandparent = parent ? parent->parent() : nullptr;
    if (node->childCount() == 0 && !parent)
        return;  // a kind root without categories: nothing to list, no place visited

    if (node->childCount() > 0) {
        for (int i = 0; i < node->childCount(); ++i)
            addFolderItem(MainList, node->child(i));
        if (parent)
            AddRealFileToList(node->text(0), QString(), ListOrder, treenodes::kindText(node));
    } else if (grandparent) {
        AddRealFileToList(parent->text(0), node->text(0), ListOrder, treenodes::kindText(node));
    } else {
        AddRealFileToList(node->text(0), QString(), ListOrder, parent->text(0));
    }

    CurrentKey = keyForNode(node);
    if (recordVisit && !PreviousKey.isEmpty() && PreviousKey != CurrentKey) {
        PushBack(PreviousKey);
        if (buttonImage(BackTBtn) == 17)
            setButtonImage(BackTBtn, 14);
        ResetForwardHistory();
        setButtonImage(PreTBtn, 18);
    }
    PreviousKey = CurrentKey;
}

void TMainForm::AddRealFileToList(const QString& category, const QString& subcategory, int order, const QString& kind)
{
    const Statement statement = sql::listMaterials(tableForKind(kind), category, subcategory, order);
    const int image = kind == treenodes::textRoot() ? 4 : 5;

    MainProgressBar->setValue(3);
    MainStatus->showMessage(QStringLiteral("正在从数据库读取数据！"));

    // Rows are collected first and the items made after the query is closed, so that nothing the
    // list does when it changes can reach the database in the middle of the read. Rows read before
    // a failure are kept.
    QList<QPair<QString, qint64>> rows;
    QString error;
    bool ok = false;
    if (MainData) {
        ok = MainData->select(
            statement,
            [&rows](const QSqlQuery& row) {
                rows.append({row.value(QStringLiteral("title")).toString(), row.value(QStringLiteral("id")).toLongLong()});
                return true;
            },
            &error);
    } else {
        error = QStringLiteral("数据库尚未打开");
    }
    for (const auto& [stored, id] : rows) {
        listitems::add(MainList, UnescapeTitleText(stored), image, id);
    }

    if (ok) {
        MainProgressBar->setValue(MainProgressBar->maximum());
        MainStatus->showMessage(QStringLiteral("数据库操作成功！"));
    } else {
        MainProgressBar->setValue(0);
        MainStatus->showMessage(error + QStringLiteral("   严重错误，请重新安装程序"));
    }
}

void TMainForm::MainListClick()
{
    ToolButton1->setEnabled(false);
    ToolButton2->setEnabled(false);
    ToolButton3->setEnabled(false);
    ThisFrmViewer->hide();
}

void TMainForm::MainListDblClick()
{
    HistoryFlag = true;
    QListWidgetItem* item = listitems::selected(MainList);
    const int image = listitems::image(item);
    if (item && image == 3) {
        // The kind roots are top nodes; a category that happens to carry a kind's name is not one.
        QTreeWidgetItem* root = item->text() == treenodes::textRoot()
                                    ? MainTreeView->topLevelItem(0)
                                    : treenodes::topNode(MainTreeView, item->text());
        if (root) {
            treenodes::select(MainTreeView, root);
            MainTreeViewClick();
            setButtonImage(UpTBtn, 16);
        }
    } else if (item && (image == 0 || image == 1)) {
        // The folder items are the children of the selected node; look there first, so that a
        // subcategory named like its own category opens the subcategory. Otherwise search onwards
        // from the selected node in tree order.
        QTreeWidgetItem* current = treenodes::selected(MainTreeView);
        QTreeWidgetItem* target = nullptr;
        if (current) {
            for (int i = 0; i < current->childCount() && !target; ++i) {
                if (current->child(i)->text(0) == item->text())
                    target = current->child(i);
            }
        }
        if (!target) {
            const QList<QTreeWidgetItem*> nodes = treenodes::allNodes(MainTreeView);
            const int start = current ? qMax(0, nodes.indexOf(current)) : 0;
            for (int i = start; i < nodes.size() && !target; ++i) {
                if (nodes.at(i)->text(0) == item->text())
                    target = nodes.at(i);
            }
        }
        if (target && target->childCount() > 0) {
            treenodes::select(MainTreeView, target);
            if (!target->isExpanded())
                target->setExpanded(true);
            MainTreeViewClick();
            setButtonImage(UpTBtn, 16);
        } else if (target && image == 1) {
            treenodes::select(MainTreeView, target);
            MainListShow();
            setButtonImage(UpTBtn, 16);
        }
    }
    // A double click that listed nothing (a material item, a folder that is gone) visits nothing.
    HistoryFlag = false;
}

void TMainForm::OByName()
{
    const int saved = ListOrder;
    ListOrder = 1;
    MainListShow();
    MainList->viewport()->update();
    ListOrder = saved;
}

void TMainForm::OByTime()
{
    const int saved = ListOrder;
    ListOrder = 2;
    MainListShow();
    MainList->viewport()->update();
    ListOrder = saved;
}

void TMainForm::N23Click() { setListViewStyle(0); }

void TMainForm::N24Click() { setListViewStyle(1); }

void TMainForm::N25Click() { setListViewStyle(2); }
