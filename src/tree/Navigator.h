#pragma once
// Browser-like navigation through the places of the tree: the back and forward histories, the
// current and previous location keys, the flag that makes the next listing a visit, the images of
// the Back, Forward and Up buttons, and the commands that move through them.
#include "tree/NavHistory.h"

class TCategoryTree;
class TTreeNode;
class TreeSelection;

// What the navigator asks of the window it serves.
class NavigatorHost {
public:
    virtual ~NavigatorHost() = default;
    // Lists the selected node (the listing records a visit only when the history flag is set).
    virtual void listSelectedPlace() = 0;
    // The tree's click behaviour on the selected node: a listing that is a visit.
    virtual void visitSelectedPlace() = 0;
    // The top-level listing of the two kind roots.
    virtual void showKindRoots() = 0;
    // The button images or histories changed.
    virtual void navigationChanged() = 0;
};

// The place a tree node stands for. The node's image tells its level; a node whose image does not fit
// its position (only a hand-edited tree file makes one) is named by its position instead.
LocationKey keyForNode(const TTreeNode* node);

class TNavigator final {
public:
    // Toolbar images of the three buttons (active / inactive).
    static constexpr int kBackActive = 14, kForwardActive = 15, kUpActive = 16;
    static constexpr int kBackInactive = 17, kForwardInactive = 18, kUpInactive = 19;

    TNavigator(const TCategoryTree& tree, TreeSelection& selection, NavigatorHost& host)
        : m_tree(tree), m_selection(selection), m_host(host)
    { }

    void ResetBackHistory() { m_back.Reset(); }
    void ResetForwardHistory() { m_forward.Reset(); }
    void PushBack(const LocationKey& key) { m_back.Push(key); }
    void PushForward(const LocationKey& key) { m_forward.Push(key); }
    LocationKey PopBack() { return m_back.Pop(); }
    LocationKey PopForward() { return m_forward.Pop(); }

    // Set by a click in the tree, a double click in the list and Up; taken by the next listing.
    void setHistoryFlag() { m_historyFlag = true; }
    bool historyFlag() const { return m_historyFlag; }
    // The flag for the listing about to run; cleared by every listing, also one that names no place.
    bool takeHistoryFlag();
    // A listing named key: records the previous place as a visit when visit is set, and makes key
    // both the current and the previous key.
    void recordListing(const LocationKey& key, bool visit);

    // Selects and lists the node the key names, without recording a visit. False (nothing selected,
    // nothing listed) when the place no longer exists.
    bool GoToLocation(const LocationKey& key);
    void BackTBtnClick();
    void PreTBtnClick();
    void UpTBtnClick();
    void BackMenuItemClick(int index);
    void PreMenuItemClick(int index);

    const TNavHistory& backHistory() const { return m_back; }
    const TNavHistory& forwardHistory() const { return m_forward; }
    const LocationKey& currentKey() const { return m_current; }
    const LocationKey& previousKey() const { return m_previous; }

    int backImage() const { return m_back.isEmpty() ? kBackInactive : kBackActive; }
    int forwardImage() const { return m_forward.isEmpty() ? kForwardInactive : kForwardActive; }
    int upImage() const { return m_upImage; }
    void setUpImage(int image);

private:
    const TCategoryTree& m_tree;
    TreeSelection& m_selection;
    NavigatorHost& m_host;
    TNavHistory m_back;
    TNavHistory m_forward;
    LocationKey m_current;
    LocationKey m_previous;
    bool m_historyFlag = false;
    int m_upImage = kUpInactive;
};
