// The category tree as the main window holds it: expand/collapse images and the history slots.
#include "app/TMainForm.h"
#include "tree/TreeNodes.h"

#include <QTreeWidget>

void TMainForm::MainTreeViewExpanded(QTreeWidgetItem* node)
{
    const int image = treenodes::image(node);
    if (image == 0 || image == 1) {
        treenodes::select(MainTreeView, node);
        treenodes::setImages(node, image + 3, image + 3);
    }
}

void TMainForm::MainTreeViewCollapsed(QTreeWidgetItem* node)
{
    const int image = treenodes::image(node);
    if (image == 3 || image == 4) {
        treenodes::select(MainTreeView, node);
        treenodes::setImages(node, image - 3, image - 3);
    }
}

void TMainForm::ResetBackHistory() { BackHistory.Reset(); }

void TMainForm::ResetForwardHistory() { ForwardHistory.Reset(); }

void TMainForm::PushBack(const LocationKey& key) { BackHistory.Push(key); }

void TMainForm::PushForward(const LocationKey& key) { ForwardHistory.Push(key); }

LocationKey TMainForm::PopBack() { return BackHistory.Pop(); }

LocationKey TMainForm::PopForward() { return ForwardHistory.Pop(); }
