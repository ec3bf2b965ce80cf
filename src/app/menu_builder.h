#pragma once

#include <vector>

#include "res/menus.h"

class QMenu;
class QMenuBar;

namespace quorbel {

class CommandDispatcher;

// Fills `menu` with the entries of a menu resource. Every command item sends its id to
// `dispatcher` and shows its prompt as a status tip; every (sub)menu refreshes its items'
// enabled state and check mark from the dispatcher just before it opens.
void fillMenu(QMenu* menu, const std::vector<MenuItem>& items, CommandDispatcher& dispatcher);

// Replaces the menu bar's menus with the top-level entries of a menu resource. Grayed
// top-level menus are disabled and cannot be opened.
void fillMenuBar(QMenuBar* bar, const std::vector<MenuItem>& items, CommandDispatcher& dispatcher);

// Refreshes the command items directly in `menu` from the dispatcher.
void refreshMenu(QMenu* menu, CommandDispatcher& dispatcher);

}  // namespace quorbel
