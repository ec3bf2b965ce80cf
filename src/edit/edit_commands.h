#pragma once

// Cut, Copy, Paste, Undo, Redo, Delete, Trim, Silence and Insert Silence: the edit layer's rows of
// an editor view's command table, which whoever makes a view hands to it
// (CQuorbelView::AddCommands).

#include <span>

#include "view/view_command.h"

namespace quorbel {

std::span<const ViewCommand> EditCommands();

}  // namespace quorbel
