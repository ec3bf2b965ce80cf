#pragma once

#include <string>
#include <vector>

namespace quorbel {

// Resource numbers of the two frame menus (the context menus are in command_ids.h).
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_WAVETYPE = 129;

// One entry of a menu resource: a command, a separator or a submenu. Labels carry their
// "&" mnemonic and, after a tab, the accelerator text shown at the right.
struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    std::string label;
    int id = 0;                   // command id; 0 for separators and submenus
    bool grayed = false;          // a grayed submenu cannot be opened
    std::vector<MenuItem> items;  // a submenu's entries
};

// The top-level entries of menu resource `id` (128, 129, 174, 175 or 176). The context menus
// have one unlabelled top-level submenu holding the pop-up's entries. Empty for other ids.
const std::vector<MenuItem>& menuResource(int id);

// Every command id reachable in the menu, submenus included, in menu order.
std::vector<int> menuCommandIds(const std::vector<MenuItem>& items);

}  // namespace quorbel
