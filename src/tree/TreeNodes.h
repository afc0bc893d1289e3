#pragma once
// Helpers for the nodes of the category tree control: image indexes kept with each node,
// absolute (depth-first, collapsed branches included) order, levels and kind text.
#include "common/Kinds.h"

#include <QList>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace treenodes {
// Image index (0 top collapsed, 1 category collapsed, 2 subcategory, 3 top expanded, 4 category expanded)
// and selected image index, with the matching icon.
int image(const QTreeWidgetItem* node);
int selectedImage(const QTreeWidgetItem* node);
void setImages(QTreeWidgetItem* node, int image, int selectedImage);

// Every node in absolute order (a node, then its descendants, then its next sibling).
QList<QTreeWidgetItem*> allNodes(const QTreeWidget* tree);
// Absolute index of node in that order, or -1.
int absoluteIndex(const QTreeWidget* tree, const QTreeWidgetItem* node);

inline QTreeWidgetItem* parentOf(const QTreeWidgetItem* node);
QTreeWidgetItem* grandparentOf(const QTreeWidgetItem* node);
// 0 top node, 1 category, 2 subcategory.
int level(const QTreeWidgetItem* node);
// Text of the top node above node (node's own text for a top node).
QString kindText(const QTreeWidgetItem* node);
// The single selected node, or nullptr.
QTreeWidgetItem* selected(const QTreeWidget* tree);
// Makes node the one selected (and current) node; nullptr clears the selection.
void select(QTreeWidget* tree, QTreeWidgetItem* node);
// First top-level node with this text, or nullptr.
QTreeWidgetItem* topNode(const QTreeWidget* tree, const QString& text);
}  // namespace treenodes

#include <QTreeWidgetItem>
inline QTreeWidgetItem* treenodes::parentOf(const QTreeWidgetItem* node) { return node ? node->parent() : nullptr; }
