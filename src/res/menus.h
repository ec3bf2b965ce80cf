#pragma once

#include <string>
#include <vector>

namespace quorbel {

// Resource numbers of the two frame menus (the context menus are in command_ids.h).
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_WAVETYPE = 129;

// One entry of a menu resource: a command, a separator, a submenu, or the place of the list
// of recent files. Labels carry their "&" mnemonic and, after a tab, the accelerator text
// shown at the right.
struct MenuItem {
    // RecentFiles stands for the numbered items ID_FILE_MRU_FILE1 ... 8 and a separator after
    // them; the shell fills them in when the menu opens and shows none while the list is empty.
    enum class Kind { Command, Separator, Popup, RecentFiles };
    Kind kind = Kind::Command;
    std::string label;
    int id = 0;                   // command id; 0 for separators and submenus
    bool grayed = false;          // a grayed submenu cannot be opened
    std::vector<MenuItem> items;  // a submenu's entries
};

// The top-level entries of menu resource `id` (128, 129, 174, 175 or 176). The context menus
// have one unlabelled top-level submenu holding the pop-up's entries. Empty for other ids.
const std::vector<MenuItem>& menuResource(int id);

// Every command id reachable in the menu, submenus included, in menu order (the recent files'
// eight in the list's place).
std::vector<int> menuCommandIds(const std::vector<MenuItem>& items);

}  // namespace quorbel
