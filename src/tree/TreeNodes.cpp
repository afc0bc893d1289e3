#include "tree/TreeNodes.h"

#include "common/Images.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;
}  // namespace

namespace treenodes {

int image(const QTreeWidgetItem* node) { return node ? node->data(0, kImageRole).toInt() : -1; }

int selectedImage(const QTreeWidgetItem* node) { return node ? node->data(0, kSelectedImageRole).toInt() : -1; }

void setImages(QTreeWidgetItem* node, int image, int selectedImage)
{
    if (!node)
        return;
    node->setData(0, kImageRole, image);
    node->setData(0, kSelectedImageRole, selectedImage);
    QIcon icon;
    icon.addPixmap(images::treeImage(image).pixmap(16, 16), QIcon::Normal);
    icon.addPixmap(images::treeImage(selectedImage).pixmap(16, 16), QIcon::Selected);
    node->setIcon(0, icon);
}

QList<QTreeWidgetItem*> allNodes(const QTreeWidget* tree)
{
    QList<QTreeWidgetItem*> out;
    if (!tree)
        return out;
    QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree));
    while (*it) {
        out.append(*it);
        ++it;
    }
    return out;
}

int absoluteIndex(const QTreeWidget* tree, const QTreeWidgetItem* node)
{
    if (!tree || !node)
        return -1;
    int i = 0;
    QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree));
    while (*it) {
        if (*it == node)
            return i;
        ++i;
        ++it;
    }
    return -1;
}

QTreeWidgetItem* grandparentOf(const QTreeWidgetItem* node)
{
    return node && node->parent() ? node->parent()->parent() : nullptr;
}

int level(const QTreeWidgetItem* node)
{
    int depth = 0;
    for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent())
        ++depth;
    return depth;
}

QString kindText(const QTreeWidgetItem* node)
{
    if (!node)
        return QString();
    const QTreeWidgetItem* top = node;
    while (top->parent())
        top = top->parent();
    return top->text(0);
}

QTreeWidgetItem* selected(const QTreeWidget* tree)
{
    if (!tree)
        return nullptr;
    const QList<QTreeWidgetItem*> items = tree->selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

void select(QTreeWidget* tree, QTreeWidgetItem* node)
{
    if (!tree)
        return;
    if (!node) {
        tree->clearSelection();
        tree->setCurrentItem(nullptr);
        return;
    }
    tree->setCurrentItem(node);
    if (!node->isSelected()) {
        tree->clearSelection();
        node->setSelected(true);
    }
}

QTreeWidgetItem* topNode(const QTreeWidget* tree, const QString& text)
{
    if (!tree)
        return nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->text(0) == text)
            return tree->topLevelItem(i);
    }
    return nullptr;
}

}  // namespace treenodes
