#pragma once

// An edit or effect a view runs while its window answers: the operation and its window.

#include <memory>

#include "edit/edit_cycle.h"
#include "edit/view_edit_host.h"
#include "framework/running_operation.h"

namespace quorbel {

// Starts `kind` with `step` on `view`'s sound; the view takes the running operation.
std::unique_ptr<RunningOperation> StartEdit(EditKind kind, CQuorbelView& view, EditStep step);

}  // namespace quorbel
