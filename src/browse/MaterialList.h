#pragma once
// The material list: what a tree place lists (folder items for its child nodes, then the materials
// filed there), the search results it shows for the search-results node, and the clicks on it.
#include <QList>
#include <QString>

class TCategoryTree;
class TNavigator;
class TTreeNode;
class TreeSelection;

// One item of the list: image 0 folder with children, 1 folder without, 3 kind root, 4 text material,
// 5 example material; id is the material's id (0 for other items).
struct ListEntry {
    QString caption;
    int image = 0;
    qint64 id = 0;
    bool isMaterial() const { return image == 4 || image == 5; }
    bool operator==(const ListEntry& o) const { return caption == o.caption && image == o.image && id == o.id; }
};
// A listing grows to thousands of entries: moved as bytes when the list grows.
Q_DECLARE_TYPEINFO(ListEntry, Q_RELOCATABLE_TYPE);

// What the list asks of the window that shows it.
class MaterialListView {
public:
    virtual ~MaterialListView() = default;
    // Replaces the items of the list. samePlace: the place listed before is listed again (a resize, another
    // order, after a command): the item selected before, and where the list was scrolled to, stay when that
    // item is still listed. Otherwise nothing is selected afterwards.
    virtual void showEntries(const QList<ListEntry>& entries, bool samePlace) = 0;
    // Index of the selected item, or -1.
    virtual int selectedIndex() const = 0;
    // Empties the details pane.
    virtual void clearDetails() = 0;
    // The toolbar buttons of the category commands (add, rename, delete) and of adding a material.
    virtual void setCategoryButtonsEnabled(bool enabled) = 0;
    virtual void setAddMaterialEnabled(bool enabled) = 0;
    // Hides the reading pane so that the details pane shows again.
    virtual void hideReader() = 0;
};

class TMaterialList final {
public:
    TMaterialList(TCategoryTree& tree, TreeSelection& selection, TNavigator& navigator, MaterialListView& view)
        : m_tree(tree), m_selection(selection), m_navigator(navigator), m_view(view)
    { }

    // A click in the tree: the listing that follows is a visit.
    void MainTreeViewClick();
    // Lists the selected tree node.
    void MainListShow();
    // The materials of one place (category, subcategory or empty, ListOrder value, kind text), in the
    // order the database gives them; the status bar tells how reading them went.
    static QList<ListEntry> AddRealFileToList(
        const QString& category, const QString& subcategory, int order, const QString& kind);
    void MainListClick();
    void MainListDblClick();
    // One listing by title / by creation time; ListOrder stays as it was.
    void OByName();
    void OByTime();
    // The top-level listing: the two kind roots.
    void showKindRoots();

    const QList<ListEntry>& entries() const { return m_entries; }
    // The selected item, or nullptr.
    const ListEntry* selectedEntry() const;

    // The results of the last search, shown when the search-results node is listed.
    void setSearchResults(const QList<ListEntry>& results) { m_searchResults = results; }
    const QList<ListEntry>& searchResults() const { return m_searchResults; }

private:
    // place: the node listed (nullptr for the top-level listing of the kind roots).
    void show(const QList<ListEntry>& entries, const TTreeNode* place);
    void listWithOrder(int order);
    // The node a folder item stands for: among the selected node's children first, then onwards in
    // tree order.
    TTreeNode* folderNode(const QString& caption) const;

    TCategoryTree& m_tree;
    TreeSelection& m_selection;
    TNavigator& m_navigator;
    MaterialListView& m_view;
    QList<ListEntry> m_entries;
    const TTreeNode* m_shownPlace = nullptr;
    bool m_shownAny = false;
    QList<ListEntry> m_searchResults;
};
