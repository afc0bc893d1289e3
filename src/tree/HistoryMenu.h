#pragma once
// The drop-down menus of Back and Forward: rebuilt at every opening, most recent place first.
#include "tree/NavHistory.h"

#include <functional>

class QMenu;

namespace historymenu {
// Replaces the menu's items by the history's keys (shown as typed: "&" is no accelerator); a click on item i
// calls onClick(i).
void fill(QMenu* menu, const TNavHistory& history, const std::function<void(int)>& onClick);
}  // namespace historymenu
