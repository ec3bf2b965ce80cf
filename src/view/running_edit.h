#pragma once

// An edit or effect a view runs while its window answers: the operation and its window.

#include <memory>

#include "edit/edit_cycle.h"
#include "edit/view_edit_host.h"

namespace quorbel {

struct RunningEdit {
    explicit RunningEdit(CQuorbelView& view) : host(view) {}
    ViewEditHost host;
    std::unique_ptr<EditOperation> operation;  // destroyed first: it refers to `host`
    bool progressShown = false;
};

}  // namespace quorbel
