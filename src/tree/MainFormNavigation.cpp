// Back, forward and up through the navigation history.
#include "app/TMainForm.h"
#include "browse/ListItems.h"
#include "tree/TreeNodes.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

// Captions show "&" as typed instead of turning it into an accelerator.
QString menuCaption(const LocationKey& key)
{
    QString caption = key.text();
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

void fillHistoryMenu(TMainForm* form, QMenu* menu, const TNavHistory& history, void (TMainForm::*onClick)(int))
{
    menu->clear();
    const QList<LocationKey> keys = history.mostRecentFirst();
    for (int i = 0; i < keys.size(); ++i) {
        QAction* action = menu->addAction(menuCaption(keys.at(i)));
        QObject::connect(action, &QAction::triggered, form, [form, onClick, i] { (form->*onClick)(i); });
    }
}

}  // namespace

// The key is resolved by its parts, never by splitting its text, so names holding "-" or equal to
// "null" are found. A place that is gone selects nothing and leaves the list as it is.
bool TMainForm::GoToLocation(const LocationKey& key)
{
    if (key.isEmpty())
        return false;
    QTreeWidgetItem* target = nullptr;
    // The kind roots are top nodes: a category named like a kind is never taken for one.
    if (key.kind == treenodes::textRoot())
        target = MainTreeView->topLevelItem(0);
    else if (key.kind == treenodes::exampleRoot())
        target = treenodes::topNode(MainTreeView, key.kind);
    if (target && key.depth >= 2)
        target = childNamed(target, key.category);
    if (target && key.depth >= 3)
        target = childNamed(target, key.subcategory);
    if (!target)
        return false;
    treenodes::select(MainTreeView, target);
    HistoryFlag = false;  // a move through the history is not a new visit
    MainListShow();
    return true;
}

void TMainForm::BackTBtnClick()
{
    if (buttonImage(BackTBtn) == 17)
        return;
    // Places that no longer exist are dropped on the way; if none is left, nothing moves.
    const TNavHistory forwardBefore = ForwardHistory;
    PushForward(CurrentKey);
    bool found = false;
    while (!found && !BackHistory.isEmpty())
        found = GoToLocation(PopBack());
    if (!found)
        ForwardHistory = forwardBefore;
    setButtonImage(PreTBtn, ForwardHistory.isEmpty() ? 18 : 15);
    setButtonImage(BackTBtn, BackHistory.isEmpty() ? 17 : 14);
}

void TMainForm::PreTBtnClick()
{
    if (buttonImage(PreTBtn) == 18)
        return;
    const TNavHistory backBefore = BackHistory;
    PushBack(CurrentKey);
    bool found = false;
    while (!found && !ForwardHistory.isEmpty())
        found = GoToLocation(PopForward());
    if (!found)
        BackHistory = backBefore;
    setButtonImage(BackTBtn, BackHistory.isEmpty() ? 17 : 14);
    setButtonImage(PreTBtn, ForwardHistory.isEmpty() ? 18 : 15);
}

void TMainForm::UpTBtnClick()
{
    if (buttonImage(UpTBtn) == 19)
        return;
    QTreeWidgetItem* node = treenodes::selected(MainTreeView);
    // With no node selected nothing has been listed from the tree, and the search-results node is
    // a top node that is no kind root: there is no place above either, so Up does nothing.
    if (!node)
        return;
    if (!node->parent()) {
        if (node->text(0) != treenodes::textRoot() && node->text(0) != treenodes::exampleRoot())
            return;
        MainList->clear();
        listitems::add(MainList, treenodes::textRoot(), 3);
        listitems::add(MainList, treenodes::exampleRoot(), 3);
        setButtonImage(UpTBtn, 19);
        return;
    }
    treenodes::select(MainTreeView, node->parent());
    MainTreeViewClick();
}

void TMainForm::BackMenuPopup() { fillHistoryMenu(this, BackMenu, BackHistory, &TMainForm::BackMenuItemClick); }

void TMainForm::PreMenuPopup() { fillHistoryMenu(this, PreMenu, ForwardHistory, &TMainForm::PreMenuItemClick); }

// A jump of several steps leaves the skipped places on the other history in the order single steps
// would have left them, the one nearest the target most recent. If the target no longer exists,
// both histories stay as they were, less the dead place.
void TMainForm::BackMenuItemClick(int index)
{
    const QList<LocationKey> keys = BackHistory.mostRecentFirst();
    if (index < 0 || index >= keys.size())
        return;
    if (index == 0) {
        BackTBtnClick();
        return;
    }
    const TNavHistory backBefore = BackHistory;
    const TNavHistory forwardBefore = ForwardHistory;
    PushForward(CurrentKey);
    for (int j = 0; j < index; ++j) {
        PushForward(keys.at(j));
        PopBack();
    }
    PopBack();
    if (!GoToLocation(keys.at(index))) {
        BackHistory = backBefore;
        BackHistory.removeRecent(index);
        ForwardHistory = forwardBefore;
    }
    setButtonImage(BackTBtn, BackHistory.isEmpty() ? 17 : 14);
    setButtonImage(PreTBtn, ForwardHistory.isEmpty() ? 18 : 15);
}

void TMainForm::PreMenuItemClick(int index)
{
    const QList<LocationKey> keys = ForwardHistory.mostRecentFirst();
    if (index < 0 || index >= keys.size())
        return;
    if (index == 0) {
        PreTBtnClick();
        return;
    }
    const TNavHistory backBefore = BackHistory;
    const TNavHistory forwardBefore = ForwardHistory;
    PushBack(CurrentKey);
    for (int j = 0; j < index; ++j) {
        PushBack(keys.at(j));
        PopForward();
    }
    PopForward();
    if (!GoToLocation(keys.at(index))) {
        ForwardHistory = forwardBefore;
        ForwardHistory.removeRecent(index);
        BackHistory = backBefore;
    }
    setButtonImage(BackTBtn, BackHistory.isEmpty() ? 17 : 14);
    setButtonImage(PreTBtn, ForwardHistory.isEmpty() ? 18 : 15);
}
