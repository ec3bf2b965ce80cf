#pragma once

#include <vector>

#include "res/menus.h"

class QMenu;
class QMenuBar;
class QObject;

namespace quorbel {

class CommandDispatcher;

// Fills `menu` with the entries of a menu resource. Every command item sends its id to
// `dispatcher` and shows its prompt as a status tip; every (sub)menu refreshes its items'
// enabled state and check mark from the dispatcher just before it opens. With `postTo`, a
// chosen command is posted to that object's event queue and runs after the menu has closed
// (and not at all if the object is gone by then); without it, it runs at once.
void fillMenu(QMenu* menu, const std::vector<MenuItem>& items, CommandDispatcher& dispatcher,
              QObject* postTo = nullptr);

// Replaces the menu bar's menus with the top-level entries of a menu resource. Grayed
// top-level menus are disabled and cannot be opened.
void fillMenuBar(QMenuBar* bar, const std::vector<MenuItem>& items, CommandDispatcher& dispatcher);

// Refreshes the command items directly in `menu` from the dispatcher.
void refreshMenu(QMenu* menu, CommandDispatcher& dispatcher);

}  // namespace quorbel
