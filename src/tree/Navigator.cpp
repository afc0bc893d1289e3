#include "tree/Navigator.h"

#include "common/Kinds.h"
#include "tree/CategoryTree.h"
#include "tree/TreeSelection.h"

LocationKey keyForNode(const TTreeNode* node)
{
    const TTreeNode* parent = node->parent();
    const TTreeNode* grandparent = node->grandparent();
    switch (node->image()) {
    case 0:
    case 3:
        if (!parent)
            return LocationKey::root(node->text());
        break;
    case 1:
    case 4:
        if (parent && !grandparent)
            return LocationKey::category_(parent->text(), node->text());
        break;
    case 2:
        if (grandparent && !grandparent->parent())
            return LocationKey::subcategory_(grandparent->text(), parent->text(), node->text());
        break;
    default:
        break;
    }
    if (!parent)
        return LocationKey::root(node->text());
    if (!grandparent)
        return LocationKey::category_(parent->text(), node->text());
    return LocationKey::subcategory_(node->kindText(), parent->text(), node->text());
}

bool TNavigator::takeHistoryFlag()
{
    const bool flag = m_historyFlag;
    m_historyFlag = false;
    return flag;
}

void TNavigator::recordListing(const LocationKey& key, bool visit)
{
    m_current = key;
    if (visit && !m_previous.isEmpty() && m_previous != m_current) {
        m_back.Push(m_previous);
        m_forward.Reset();
    }
    m_previous = m_current;
    m_host.navigationChanged();
}

void TNavigator::setUpImage(int image)
{
    if (m_upImage == image)
        return;
    m_upImage = image;
    m_host.navigationChanged();
}

// The key is resolved by its parts, never by splitting its text, so names holding "-" or equal to
// "null" are found. A place that is gone selects nothing and leaves the list as it is.
bool TNavigator::GoToLocation(const LocationKey& key)
{
    if (key.isEmpty())
        return false;
    // The kind roots are top nodes: a category named like a kind is never taken for one.
    TTreeNode* target = nullptr;
    if (key.kind == kinds::textRoot() || key.kind == kinds::exampleRoot())
        target = m_tree.kindRoot(key.kind);
    if (target && key.depth >= 2)
        target = target->childNamed(key.category);
    if (target && key.depth >= 3)
        target = target->childNamed(key.subcategory);
    if (!target)
        return false;
    m_selection.selectNode(target);
    m_historyFlag = false;  // a move through the history is not a new visit
    m_host.listSelectedPlace();
    return true;
}

void TNavigator::BackTBtnClick()
{
    if (backImage() == kBackInactive)
        return;
    // Places that no longer exist are dropped on the way; if none is left, nothing moves.
    const TNavHistory forwardBefore = m_forward;
    m_forward.Push(m_current);
    bool found = false;
    while (!found && !m_back.isEmpty())
        found = GoToLocation(m_back.Pop());
    if (!found)
        m_forward = forwardBefore;
    m_host.navigationChanged();
}

void TNavigator::PreTBtnClick()
{
    if (forwardImage() == kForwardInactive)
        return;
    const TNavHistory backBefore = m_back;
    m_back.Push(m_current);
    bool found = false;
    while (!found && !m_forward.isEmpty())
        found = GoToLocation(m_forward.Pop());
    if (!found)
        m_back = backBefore;
    m_host.navigationChanged();
}

void TNavigator::UpTBtnClick()
{
    if (m_upImage == kUpInactive)
        return;
    TTreeNode* node = m_selection.selectedNode();
    // With no node selected nothing has been listed from the tree, and the search-results node is
    // a top node that is no kind root: there is no place above either, so Up does nothing.
    if (!node)
        return;
    if (!node->parent()) {
        if (node->text() != kinds::textRoot() && node->text() != kinds::exampleRoot())
            return;
        m_host.showKindRoots();
        setUpImage(kUpInactive);
        return;
    }
    m_selection.selectNode(node->parent());
    m_host.visitSelectedPlace();
}

// A jump of several steps leaves the skipped places on the other history in the order single steps
// would have left them, the one nearest the target most recent. If the target no longer exists,
// both histories stay as they were, less the dead place.
void TNavigator::BackMenuItemClick(int index)
{
    const QList<LocationKey> keys = m_back.mostRecentFirst();
    if (index < 0 || index >= keys.size())
        return;
    if (index == 0) {
        BackTBtnClick();
        return;
    }
    const TNavHistory backBefore = m_back;
    const TNavHistory forwardBefore = m_forward;
    m_forward.Push(m_current);
    for (int j = 0; j < index; ++j) {
        m_forward.Push(keys.at(j));
        m_back.Pop();
    }
    m_back.Pop();
    if (!GoToLocation(keys.at(index))) {
        m_back = backBefore;
        m_back.removeRecent(index);
        m_forward = forwardBefore;
    }
    m_host.navigationChanged();
}

void TNavigator::PreMenuItemClick(int index)
{
    const QList<LocationKey> keys = m_forward.mostRecentFirst();
    if (index < 0 || index >= keys.size())
        return;
    if (index == 0) {
        PreTBtnClick();
        return;
    }
    const TNavHistory backBefore = m_back;
    const TNavHistory forwardBefore = m_forward;
    m_back.Push(m_current);
    for (int j = 0; j < index; ++j) {
        m_back.Push(keys.at(j));
        m_forward.Pop();
    }
    m_forward.Pop();
    if (!GoToLocation(keys.at(index))) {
        m_forward = forwardBefore;
        m_forward.removeRecent(index);
        m_back = backBefore;
    }
    m_host.navigationChanged();
}
