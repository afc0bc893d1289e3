#pragma once
// The move item of the list's pop-up menu: "资料转移到", rebuilt at every opening for a material.
#include "edit/MaterialCommands.h"

#include <functional>

class QMenu;

namespace movemenu {
inline QString caption() { return QStringLiteral("资料转移到"); }
// Removes the move item left by the last opening (the menu's last item, when it is one), then, when
// targets is not empty, appends a new one: a category without subcategories is a target itself, a
// category with subcategories opens a submenu of them. choose(category, subcategory) runs on a click.
void rebuild(
    QMenu* menu, const QList<MoveTarget>& targets, const std::function<void(const QString&, const QString&)>& choose);
}  // namespace movemenu
