#include "browse/MaterialList.h"

#include "common/Kinds.h"
#include "common/RunState.h"
#include "store/Escaping.h"
#include "store/Statements.h"
#include "store/TMainData.h"
#include "tree/CategoryTree.h"
#include "tree/Navigator.h"
#include "tree/TreeSelection.h"

#include "store/Sqlite.h"

void TMaterialList::MainTreeViewClick()
{
    m_navigator.setHistoryFlag();
    MainListShow();
}

void TMaterialList::show(const QList<ListEntry>& entries, const TTreeNode* place)
{
    const bool samePlace = m_shownAny && place == m_shownPlace;
    m_shownAny = true;
    m_shownPlace = place;
    m_entries = entries;
    m_view.showEntries(m_entries, samePlace);
    if (samePlace && m_view.selectedIndex() >= 0)
        m_view.setCategoryButtonsEnabled(false);  // as after the click that selected the kept item
}

void TMaterialList::MainListShow()
{
    // The flag only ever means "the listing about to run is a visit". It is taken here by every
    // listing, also by those that stop before naming a place (search results, an empty kind
    // root): a flag left behind would make a later Back or Forward record a visit and wipe the
    // forward history.
    const bool recordVisit = m_navigator.takeHistoryFlag();

    m_view.clearDetails();
    m_navigator.setUpImage(TNavigator::kUpActive);
    if (MainData)
        MainData->setProgress(0);
    m_view.setCategoryButtonsEnabled(true);
    m_view.setAddMaterialEnabled(true);

    TTreeNode* node = m_selection.selectedNode();
    // Only the top node is the search-results node: a category may carry the same name.
    if (node && !node->parent() && node->text() == kinds::searchNode()) {
        show(m_searchResults, node);
        return;
    }
    if (!node)
        return;

    TTreeNode* parent = node->parent();
    if (node->childCount() == 0 && !parent) {
        show({}, node);
        return;  // a kind root without categories: nothing to list, no place visited
    }
    QList<ListEntry> entries;
    if (node->childCount() > 0) {
        for (int i = 0; i < node->childCount(); ++i) {
            const TTreeNode* child = node->child(i);
            entries.append(ListEntry {child->text(), child->childCount() > 0 ? 0 : 1, 0});
        }
        if (parent)
            entries += AddRealFileToList(node->text(), QString(), ListOrder, node->kindText());
    } else if (node->grandparent()) {
        entries += AddRealFileToList(parent->text(), node->text(), ListOrder, node->kindText());
    } else {
        entries += AddRealFileToList(node->text(), QString(), ListOrder, parent->text());
    }
    show(entries, node);
    m_navigator.recordListing(keyForNode(node), recordVisit);
}

QList<ListEntry> TMaterialList::AddRealFileToList(
    const QString& category, const QString& subcategory, int order, const QString& kind)
{
    const Statement statement = sql::listMaterials(kinds::tableForKind(kind), category, subcategory, order);
    const int image = kind == kinds::textRoot() ? 4 : 5;
    QList<ListEntry> entries;
    if (!MainData)
        return entries;
    MainData->setProgress(3);
    MainData->setStatus(QStringLiteral("正在从数据库读取数据！"));
    // Rows read before a failure are kept.
    QString error;
    const bool ok = MainData->select(
        statement,
        [&](TMainData::Row& row) {
            entries.append(ListEntry {UnescapeTitleText(row.text(1)), image, row.int64(0)});
            return true;
        },
        &error);
    if (ok) {
        MainData->setProgress(StatusSink::kFull);
        MainData->setStatus(QStringLiteral("数据库操作成功！"));
    } else {
        MainData->setProgress(0);
        MainData->setStatus(error + QStringLiteral("   严重错误，请重新安装程序"));
    }
    return entries;
}

void TMaterialList::MainListClick()
{
    m_view.setCategoryButtonsEnabled(false);
    m_view.hideReader();
}

const ListEntry* TMaterialList::selectedEntry() const
{
    const int index = m_view.selectedIndex();
    return index >= 0 && index < m_entries.size() ? &m_entries.at(index) : nullptr;
}

TTreeNode* TMaterialList::folderNode(const QString& caption) const
{
    // The folder items are the children of the selected node; look there first, so that a
    // subcategory named like its own category opens the subcategory. Otherwise search onwards
    // from the selected node in tree order.
    TTreeNode* current = m_selection.selectedNode();
    if (current) {
        if (TTreeNode* child = current->childNamed(caption))
            return child;
    }
    const QList<TTreeNode*> nodes = m_tree.allNodes();
    for (qsizetype i = current ? qMax<qsizetype>(0, nodes.indexOf(current)) : 0; i < nodes.size(); ++i) {
        if (nodes.at(i)->text() == caption)
            return nodes.at(i);
    }
    return nullptr;
}

void TMaterialList::MainListDblClick()
{
    m_navigator.setHistoryFlag();
    const ListEntry* entry = selectedEntry();
    if (entry && entry->image == 3) {
        // The kind roots are top nodes; a category that happens to carry a kind's name is not one.
        if (TTreeNode* root = m_tree.kindRoot(entry->caption)) {
            m_selection.selectNode(root);
            MainTreeViewClick();
            m_navigator.setUpImage(TNavigator::kUpActive);
        }
    } else if (entry && (entry->image == 0 || entry->image == 1)) {
        const int image = entry->image;
        TTreeNode* target = folderNode(entry->caption);
        if (target && target->childCount() > 0) {
            m_selection.selectNode(target);
            if (target->image() == 1)  // collapsed: open it one level
                m_selection.expandNode(target);
            m_selection.selectNode(target);
            MainTreeViewClick();
            m_navigator.setUpImage(TNavigator::kUpActive);
        } else if (target && image == 1) {
            m_selection.selectNode(target);
            MainListShow();
            m_navigator.setUpImage(TNavigator::kUpActive);
        }
    }
    // A double click that listed nothing (a material item, a folder that is gone) visits nothing.
    m_navigator.takeHistoryFlag();
}

void TMaterialList::listWithOrder(int order)
{
    const int saved = ListOrder;
    ListOrder = order;
    MainListShow();
    ListOrder = saved;
}

void TMaterialList::OByName() { listWithOrder(1); }

void TMaterialList::OByTime() { listWithOrder(2); }

void TMaterialList::showKindRoots()
{
    show({ListEntry {kinds::textRoot(), 3, 0}, ListEntry {kinds::exampleRoot(), 3, 0}}, nullptr);
}
