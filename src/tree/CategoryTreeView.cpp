#include "tree/CategoryTreeView.h"

#include "tree/TreeNodes.h"

#include <QEvent>
#include <QTreeWidget>

namespace {
constexpr int kNodeRole = Qt::UserRole + 3;

TreeNodeData fromItem(const QTreeWidgetItem* item)
{
    TreeNodeData node {item->text(0), treenodes::image(item), {}};
    for (int i = 0; i < item->childCount(); ++i)
        node.children.append(fromItem(item->child(i)));
    return node;
}
}  // namespace

QList<TreeNodeData> treeFromWidget(const QTreeWidget* tree)
{
    QList<TreeNodeData> out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        out.append(fromItem(tree->topLevelItem(i)));
    return out;
}

TCategoryTreeView::TCategoryTreeView(TCategoryTree& tree, QTreeWidget* control, QObject* parent)
    : QObject(parent), m_tree(tree), m_control(control)
{
    m_tree.setObserver(this);
    treeReset();
    m_control->viewport()->installEventFilter(this);
    connect(m_control, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (item == m_currentAtPress)
            emit nodeClicked();
        m_currentAtPress = nullptr;
    });
    // The selection, not the current item: a mouse press makes the pressed node current before it selects
    // it, and the listing lists the selected node.
    connect(m_control, &QTreeWidget::itemSelectionChanged, this,
        [this] { currentChanged(treenodes::selected(m_control)); });
    // Expanding or collapsing a node selects it and turns its image; the selection lists like any other
    // the user makes.
    const auto turned = [this](QTreeWidgetItem* item, bool expanded) {
        TTreeNode* node = nodeFor(item);
        if (!(expanded ? m_tree.expanded(node) : m_tree.collapsed(node)))
            return;
        const bool moved = treenodes::selected(m_control) != item;
        asProgram([&] { selectNode(node); });
        if (moved)
            currentChanged(item);
    };
    connect(m_control, &QTreeWidget::itemExpanded, this, [turned](QTreeWidgetItem* item) { turned(item, true); });
    connect(m_control, &QTreeWidget::itemCollapsed, this, [turned](QTreeWidgetItem* item) { turned(item, false); });
}

bool TCategoryTreeView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control->viewport() && event->type() == QEvent::MouseButtonPress)
        m_currentAtPress = m_control->currentItem();
    return QObject::eventFilter(watched, event);
}

void TCategoryTreeView::currentChanged(QTreeWidgetItem* now)
{
    if (m_programDepth > 0 || !now || !m_control->isVisible())
        return;
    emit nodeClicked();
}

TCategoryTreeView::~TCategoryTreeView() { m_tree.setObserver(nullptr); }

TTreeNode* TCategoryTreeView::nodeFor(const QTreeWidgetItem* item) const
{
    return item ? reinterpret_cast<TTreeNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

TTreeNode* TCategoryTreeView::selectedNode() const { return nodeFor(treenodes::selected(m_control)); }

void TCategoryTreeView::selectNode(TTreeNode* node)
{
    asProgram([&] { treenodes::select(m_control, itemFor(node)); });
}

void TCategoryTreeView::expandNode(TTreeNode* node)
{
    if (QTreeWidgetItem* item = itemFor(node))
        asProgram([&] { item->setExpanded(true); });
}

QTreeWidgetItem* TCategoryTreeView::makeItems(TTreeNode* node)
{
    auto* item = new QTreeWidgetItem(QStringList {node->text()});
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    treenodes::setImages(item, node->image(), node->selectedImage());
    m_items.insert(node, item);
    QList<QTreeWidgetItem*> children;
    children.reserve(node->childCount());
    for (int i = 0; i < node->childCount(); ++i)
        children.append(makeItems(node->child(i)));
    item->addChildren(children);
    return item;
}

void TCategoryTreeView::treeReset()
{
    asProgram([&] { rebuild(); });
}

void TCategoryTreeView::rebuild()
{
    m_currentAtPress = nullptr;
    m_control->clear();
    m_items.clear();
    QList<QTreeWidgetItem*> tops;
    for (int i = 0; i < m_tree.topCount(); ++i)
        tops.append(makeItems(m_tree.top(i)));
    m_control->addTopLevelItems(tops);
    m_control->collapseAll();
    m_control->clearSelection();
    m_control->setCurrentItem(nullptr);
}

void TCategoryTreeView::nodeInserted(TTreeNode* node)
{
    asProgram([&] { insertItems(node); });
}

void TCategoryTreeView::insertItems(TTreeNode* node)
{
    QTreeWidgetItem* item = makeItems(node);
    if (TTreeNode* parent = node->parent()) {
        if (QTreeWidgetItem* parentItem = itemFor(parent))
            parentItem->insertChild(parent->indexOf(node), item);
        return;
    }
    for (int i = 0; i < m_tree.topCount(); ++i) {
        if (m_tree.top(i) == node)
            m_control->insertTopLevelItem(i, item);
    }
}

void TCategoryTreeView::nodeChanged(TTreeNode* node)
{
    QTreeWidgetItem* item = itemFor(node);
    if (!item)
        return;
    item->setText(0, node->text());
    treenodes::setImages(item, node->image(), node->selectedImage());
}

void TCategoryTreeView::forget(const TTreeNode* node)
{
    m_items.remove(node);
    for (int i = 0; i < node->childCount(); ++i)
        forget(node->child(i));
}

void TCategoryTreeView::nodeAboutToBeRemoved(TTreeNode* node)
{
    QTreeWidgetItem* item = itemFor(node);
    forget(node);
    m_currentAtPress = nullptr;
    asProgram([&] { delete item; });
}
