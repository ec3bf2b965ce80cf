#pragma once

#include <string>
#include <vector>

#include "framework/command_target.h"

class QWidget;

namespace quorbel {

// Where menu items, accelerators and context-menu items send their commands: the route
// through the active view, the main frame and the application.
class CommandDispatcher {
  public:
    virtual ~CommandDispatcher() = default;
    // The enabled state and check mark the route gives `id` at this moment.
    virtual CommandState queryCommand(int id) = 0;
    // Runs `id` if its enabling rule holds now; true when a handler ran.
    virtual bool dispatchCommand(int id) = 0;
    // The window that owns menus and pop-ups (the main window).
    virtual QWidget* menuOwner() = 0;
    // The recently used files the File menu lists, newest first (full paths).
    virtual std::vector<std::string> recentFiles() { return {}; }
};

}  // namespace quorbel
