#pragma once
// Keeps a tree control showing a category tree: items follow every change of the tree, expanding and
// collapsing change the node images in the tree, and the control's selection is the tree selection.
#include "tree/CategoryTree.h"
#include "tree/TreeSelection.h"

#include <QHash>
#include <QObject>

class QTreeWidget;
class QTreeWidgetItem;

class TCategoryTreeView final : public QObject, public TreeObserver, public TreeSelection {
    Q_OBJECT
public:
    TCategoryTreeView(TCategoryTree& tree, QTreeWidget* control, QObject* parent = nullptr);
    ~TCategoryTreeView() override;

    QTreeWidget* control() const { return m_control; }
    QTreeWidgetItem* itemFor(const TTreeNode* node) const { return m_items.value(node); }
    TTreeNode* nodeFor(const QTreeWidgetItem* item) const;

    TTreeNode* selectedNode() const override;
    void selectNode(TTreeNode* node) override;
    void expandNode(TTreeNode* node) override;

    void treeReset() override;
    void nodeInserted(TTreeNode* node) override;
    void nodeChanged(TTreeNode* node) override;
    void nodeAboutToBeRemoved(TTreeNode* node) override;

signals:
    // The user made a node current (a click, the keyboard, expanding or collapsing it), or clicked the
    // current node again: the tree's click handler runs for it. Selections made by the program do not
    // count, nor do those the control makes when the tree changes under it.
    void nodeClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs f as the program's own change of the control: no nodeClicked for what it does.
    template <typename F> void asProgram(F f)
    {
        ++m_programDepth;
        f();
        --m_programDepth;
    }
    void currentChanged(QTreeWidgetItem* now);
    void rebuild();
    void insertItems(TTreeNode* node);

    QTreeWidgetItem* makeItems(TTreeNode* node);
    void forget(const TTreeNode* node);

    TCategoryTree& m_tree;
    QTreeWidget* m_control;
    QHash<const TTreeNode*, QTreeWidgetItem*> m_items;
    int m_programDepth = 0;
    // The current item when the last mouse press reached the control: a click on it lists it again,
    // a click that made another item current has listed that one already.
    const QTreeWidgetItem* m_currentAtPress = nullptr;
};

// The tree as the control holds it, with each item's image index (to check that it follows the tree).
QList<TreeNodeData> treeFromWidget(const QTreeWidget* tree);
