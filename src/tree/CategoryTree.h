#pragma once
// The category tree as the program holds it: kind roots, categories and subcategories with their
// image indexes (0 top node collapsed, 1 category collapsed, 2 subcategory, 3 top node expanded,
// 4 category expanded). Views follow it through TreeObserver; the file format is CategoryTreeFile.
#include "tree/CategoryTreeFile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TTreeNode final {
public:
    const QString& text() const { return m_text; }
    int image() const { return m_image; }
    int selectedImage() const { return m_selectedImage; }
    TTreeNode* parent() const { return m_parent; }
    TTreeNode* grandparent() const { return m_parent ? m_parent->m_parent : nullptr; }
    int childCount() const { return int(m_children.size()); }
    TTreeNode* child(int i) const { return i >= 0 && i < childCount() ? m_children[size_t(i)].get() : nullptr; }
    int indexOf(const TTreeNode* child) const;
    // The first child with this text, or nullptr.
    TTreeNode* childNamed(const QString& text) const;
    // 0 top node, 1 category, 2 subcategory.
    int level() const;
    // Text of the top node above this node (its own text for a top node).
    QString kindText() const;
    // Texts from the top node down to this node.
    QStringList path() const;

private:
    friend class TCategoryTree;
    QString m_text;
    int m_image = 0;
    int m_selectedImage = 0;
    TTreeNode* m_parent = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> m_children;
};

// Told of every change, so a tree control can follow the tree.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void treeReset() = 0;
    // node (with its descendants) now stands under its parent.
    virtual void nodeInserted(TTreeNode* node) = 0;
    virtual void nodeChanged(TTreeNode* node) = 0;  // text or images
    virtual void nodeAboutToBeRemoved(TTreeNode* node) = 0;
};

class TCategoryTree final {
public:
    TCategoryTree() = default;
    TCategoryTree(const TCategoryTree&) = delete;
    TCategoryTree& operator=(const TCategoryTree&) = delete;

    void setObserver(TreeObserver* observer) { m_observer = observer; }

    // Replaces the whole tree by the file's nodes: images from the level, the digit read never used.
    void load(const QList<TreeNodeData>& topNodes);
    // The tree with each node's current image, as the file saves it.
    QList<TreeNodeData> snapshot() const;

    int topCount() const { return int(m_tops.size()); }
    TTreeNode* top(int i) const { return i >= 0 && i < topCount() ? m_tops[size_t(i)].get() : nullptr; }
    // The first top node with this text, or nullptr.
    TTreeNode* topNode(const QString& text) const;
    // The kind root of a kind text: the text root is always the first node, the example root is the
    // first top node of its name.
    TTreeNode* kindRoot(const QString& kind) const;
    // The node with this path of texts (first match at each level), or nullptr.
    TTreeNode* find(const QStringList& path) const;
    // Every node in absolute order (a node, then its descendants, then its next sibling).
    QList<TTreeNode*> allNodes() const;
    int absoluteIndex(const TTreeNode* node) const;
    int nodeCount() const { return int(allNodes().size()); }

    // A new last child of parent.
    TTreeNode* addChild(TTreeNode* parent, const QString& text, int image, int selectedImage);
    void setText(TTreeNode* node, const QString& text);
    void setImages(TTreeNode* node, int image, int selectedImage);
    // Takes node (with its descendants) out of the tree; insert() puts such a node back.
    std::unique_ptr<TTreeNode> take(TTreeNode* node);
    TTreeNode* insert(TTreeNode* parent, int index, std::unique_ptr<TTreeNode> node);

    // The images follow the expanded state: 0 and 1 become 3 and 4 when the node is expanded, and
    // back when it is collapsed. True when the images changed.
    bool expanded(TTreeNode* node);
    bool collapsed(TTreeNode* node);

private:
    std::vector<std::unique_ptr<TTreeNode>>& siblingsOf(TTreeNode* node);
    std::vector<std::unique_ptr<TTreeNode>> m_tops;
    TreeObserver* m_observer = nullptr;
};
