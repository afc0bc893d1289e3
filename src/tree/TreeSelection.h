#pragma once
// The node the user has chosen in the category tree, as the commands see it: the tree control in the
// program, a plain pointer in tests.
class TTreeNode;

class TreeSelection {
public:
    virtual ~TreeSelection() = default;
    virtual TTreeNode* selectedNode() const = 0;
    // Makes node the one selected node (nullptr: none).
    virtual void selectNode(TTreeNode* node) = 0;
    // Expands node one level, as a click on its expand arrow does (images follow, the node is selected).
    virtual void expandNode(TTreeNode* node) = 0;
};
