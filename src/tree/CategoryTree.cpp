#include "tree/CategoryTree.h"

#include "common/Kinds.h"

#include <functional>

int TTreeNode::indexOf(const TTreeNode* child) const
{
    for (int i = 0; i < childCount(); ++i) {
        if (m_children[size_t(i)].get() == child)
            return i;
    }
    return -1;
}

TTreeNode* TTreeNode::childNamed(const QString& text) const
{
    for (const auto& c : m_children) {
        if (c->m_text == text)
            return c.get();
    }
    return nullptr;
}

int TTreeNode::level() const
{
    int depth = 0;
    for (const TTreeNode* p = m_parent; p; p = p->m_parent)
        ++depth;
    return depth;
}

QString TTreeNode::kindText() const
{
    const TTreeNode* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return top->m_text;
}

QStringList TTreeNode::path() const
{
    QStringList out;
    for (const TTreeNode* n = this; n; n = n->m_parent)
        out.prepend(n->m_text);
    return out;
}

void TCategoryTree::load(const QList<TreeNodeData>& topNodes)
{
    m_tops.clear();
    // Images come from the level, never from the digit read.
    std::function<void(TTreeNode*, const TreeNodeData&, int)> fill
        = [&](TTreeNode* node, const TreeNodeData& data, int depth) {
              const int image = depth == 0 ? 0 : (depth == 1 ? (data.image == 2 ? 2 : 1) : 2);
              node->m_text = data.text;
              node->m_image = node->m_selectedImage = image;
              for (const TreeNodeData& c : data.children) {
                  auto child = std::make_unique<TTreeNode>();
                  child->m_parent = node;
                  fill(child.get(), c, depth + 1);
                  node->m_children.push_back(std::move(child));
              }
          };
    for (const TreeNodeData& data : topNodes) {
        auto node = std::make_unique<TTreeNode>();
        fill(node.get(), data, 0);
        m_tops.push_back(std::move(node));
    }
    if (m_observer)
        m_observer->treeReset();
}

QList<TreeNodeData> TCategoryTree::snapshot() const
{
    std::function<TreeNodeData(const TTreeNode*)> copy = [&](const TTreeNode* node) {
        TreeNodeData data {node->text(), node->image(), {}};
        for (int i = 0; i < node->childCount(); ++i)
            data.children.append(copy(node->child(i)));
        return data;
    };
    QList<TreeNodeData> out;
    for (const auto& top : m_tops)
        out.append(copy(top.get()));
    return out;
}

TTreeNode* TCategoryTree::topNode(const QString& text) const
{
    for (const auto& top : m_tops) {
        if (top->text() == text)
            return top.get();
    }
    return nullptr;
}

TTreeNode* TCategoryTree::kindRoot(const QString& kind) const
{
    if (kind == kinds::textRoot())
        return top(0);
    return topNode(kind);
}

TTreeNode* TCategoryTree::find(const QStringList& path) const
{
    if (path.isEmpty())
        return nullptr;
    TTreeNode* node = topNode(path.first());
    for (int i = 1; node && i < path.size(); ++i)
        node = node->childNamed(path.at(i));
    return node;
}

QList<TTreeNode*> TCategoryTree::allNodes() const
{
    QList<TTreeNode*> out;
    std::function<void(TTreeNode*)> walk = [&](TTreeNode* node) {
        out.append(node);
        for (const auto& c : node->m_children)
            walk(c.get());
    };
    for (const auto& top : m_tops)
        walk(top.get());
    return out;
}

int TCategoryTree::absoluteIndex(const TTreeNode* node) const
{
    return node ? int(allNodes().indexOf(const_cast<TTreeNode*>(node))) : -1;
}

TTreeNode* TCategoryTree::addChild(TTreeNode* parent, const QString& text, int image, int selectedImage)
{
    auto node = std::make_unique<TTreeNode>();
    node->m_text = text;
    node->m_image = image;
    node->m_selectedImage = selectedImage;
    return insert(parent, parent ? parent->childCount() : topCount(), std::move(node));
}

void TCategoryTree::setText(TTreeNode* node, const QString& text)
{
    node->m_text = text;
    if (m_observer)
        m_observer->nodeChanged(node);
}

void TCategoryTree::setImages(TTreeNode* node, int image, int selectedImage)
{
    node->m_image = image;
    node->m_selectedImage = selectedImage;
    if (m_observer)
        m_observer->nodeChanged(node);
}

std::vector<std::unique_ptr<TTreeNode>>& TCategoryTree::siblingsOf(TTreeNode* node)
{
    return node->m_parent ? node->m_parent->m_children : m_tops;
}

std::unique_ptr<TTreeNode> TCategoryTree::take(TTreeNode* node)
{
    if (m_observer)
        m_observer->nodeAboutToBeRemoved(node);
    auto& siblings = siblingsOf(node);
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() == node) {
            std::unique_ptr<TTreeNode> out = std::move(*it);
            siblings.erase(it);
            out->m_parent = nullptr;
            return out;
        }
    }
    return nullptr;
}

TTreeNode* TCategoryTree::insert(TTreeNode* parent, int index, std::unique_ptr<TTreeNode> node)
{
    TTreeNode* raw = node.get();
    raw->m_parent = parent;
    auto& siblings = parent ? parent->m_children : m_tops;
    index = qBound(0, index, int(siblings.size()));
    siblings.insert(siblings.begin() + index, std::move(node));
    if (m_observer)
        m_observer->nodeInserted(raw);
    return raw;
}

bool TCategoryTree::expanded(TTreeNode* node)
{
    if (!node || (node->image() != 0 && node->image() != 1))
        return false;
    setImages(node, node->image() + 3, node->image() + 3);
    return true;
}

bool TCategoryTree::collapsed(TTreeNode* node)
{
    if (!node || (node->image() != 3 && node->image() != 4))
        return false;
    setImages(node, node->image() - 3, node->image() - 3);
    return true;
}
