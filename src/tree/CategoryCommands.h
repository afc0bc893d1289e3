#pragma once
// The category commands: add, rename and delete categories and subcategories of the selected node,
// with the materials following in the database and the tree file saved in step.
#include "common/Prompter.h"

class TCategoryTree;
class TTreeFileKeeper;
class TreeSelection;

class CategoryCommandsHost {
public:
    virtual ~CategoryCommandsHost() = default;
    // A command changed the tree: the selected place is listed again.
    virtual void categoriesChanged() = 0;
};

class TCategoryCommands final {
public:
    TCategoryCommands(TCategoryTree& tree, TreeSelection& selection, TTreeFileKeeper& file, Prompter& prompter,
        CategoryCommandsHost& host)
        : m_tree(tree), m_selection(selection), m_file(file), m_prompter(prompter), m_host(host)
    { }

    void AddNewItem();
    void ReNameItem();
    void DelChildItem();

private:
    // Saves the tree file; a failure is also told on the status bar.
    bool saveTree(QString* failure);

    TCategoryTree& m_tree;
    TreeSelection& m_selection;
    TTreeFileKeeper& m_file;
    Prompter& m_prompter;
    CategoryCommandsHost& m_host;
};
