#pragma once
// The program's collaborators without a main window: the category tree, a data module on a test
// directory, navigation, the material list and the category and material commands, each driven
// through the narrow interface it has to its window, here a recording stand-in. Dialog boxes go to
// the installed prompts (ScriptedPrompts in tests).
#include "RecordingStatus.h"
#include "TestData.h"

#include "browse/MaterialList.h"
#include "common/Prompts.h"
#include "edit/MaterialCommands.h"
#include "store/TMainData.h"
#include "tree/CategoryCommands.h"
#include "tree/CategoryTree.h"
#include "tree/Navigator.h"
#include "tree/TreeFileKeeper.h"
#include "tree/TreeSelection.h"

#include <optional>

// The selected node as a plain pointer; expanding turns the images and selects, as the tree control does.
class FakeSelection final : public TreeSelection {
public:
    explicit FakeSelection(TCategoryTree& tree) : m_tree(tree) { }
    TTreeNode* selectedNode() const override { return node; }
    void selectNode(TTreeNode* n) override { node = n; }
    void expandNode(TTreeNode* n) override
    {
        if (m_tree.expanded(n))
            node = n;
        expanded.append(n ? n->text() : QString());
    }
    TTreeNode* node = nullptr;
    QStringList expanded;  // texts of the nodes expanded, in order

private:
    TCategoryTree& m_tree;
};

// What the material list showed and set on its window.
class FakeListView final : public MaterialListView {
public:
    void showEntries(const QList<ListEntry>& e, bool samePlace) override
    {
        // As the list control does: the selected item stays when the same place is listed again.
        const std::optional<ListEntry> kept = samePlace && selected >= 0 && selected < entries.size()
            ? std::optional(entries.at(selected))
            : std::nullopt;
        entries = e;
        selected = kept ? int(entries.indexOf(*kept)) : -1;
        samePlaces.append(samePlace);
        ++shows;
    }
    int selectedIndex() const override { return selected; }
    void clearDetails() override { ++detailsCleared; }
    void setCategoryButtonsEnabled(bool enabled) override { categoryButtons = enabled; }
    void setAddMaterialEnabled(bool enabled) override { addMaterial = enabled; }
    void hideReader() override { readerHidden = true; }

    QList<ListEntry> entries;
    int selected = -1;
    int shows = 0;
    QList<bool> samePlaces;  // for every showing, whether it listed the place before again
    int detailsCleared = 0;
    bool categoryButtons = false;
    bool addMaterial = false;
    bool readerHidden = false;
};

class Rig final : private NavigatorHost, private CategoryCommandsHost, private MaterialCommandsHost {
public:
    // A data module on dir (its database named absolutely), the tree loaded from dir's MTS.qs.
    explicit Rig(const TestDataDir& dir);
    ~Rig() override;
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    RecordingStatus status;
    TMainData data;
    TCategoryTree tree;
    FakeSelection selection {tree};
    TTreeFileKeeper treeFile;
    WindowPrompter prompter {nullptr};
    TNavigator navigator {tree, selection, *this};
    FakeListView view;
    TMaterialList list {tree, selection, navigator, view};
    TCategoryCommands categories {tree, selection, treeFile, prompter, *this};
    TMaterialCommands materials {tree, selection, list, prompter, *this};

    // The node with this path of texts, or nullptr.
    TTreeNode* node(const QStringList& path) const { return tree.find(path); }
    // Selects the node (nullptr for an empty path) as a click or the arrow keys do.
    void select(const QStringList& path) { selection.selectNode(path.isEmpty() ? nullptr : node(path)); }
    // Selects the node and runs the tree's click handler on it.
    void click(const QStringList& path);
    // Selects the list item with this caption; false when there is none.
    bool selectItem(const QString& caption);
    QString selectedText() const { return selection.node ? selection.node->text() : QString(); }
    QStringList captions() const;
    // "caption/image/id" of every item listed.
    QStringList described() const;

    // How often the window was asked to show new navigation state, to list again, to show the kind roots.
    int navigationChanges = 0;
    int relists = 0;
    int kindRootListings = 0;
    // The dialogs the material commands asked for: "add 文字资料 算法/排序", "edit text 7", ...
    QStringList dialogs;

private:
    void listSelectedPlace() override { list.MainListShow(); }
    void visitSelectedPlace() override { list.MainTreeViewClick(); }
    void showKindRoots() override;
    void navigationChanged() override { ++navigationChanges; }
    void categoriesChanged() override { relist(); }
    void runAddDialog(const QString& kind, const QStringList& placement) override;
    void runEditDialog(const TFile& record, bool text, const QStringList& placement) override;
    void relist() override;
};
