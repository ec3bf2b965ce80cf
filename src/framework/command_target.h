#pragma once

#include <optional>
#include <span>

namespace quorbel {

// What a command's enabling rule decides for a menu item, context-menu item or accelerator.
// `checked` stays empty when the rule does not touch the check mark.
struct CommandState {
    bool enabled = true;
    std::optional<bool> checked;

    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
};

// One link of the command route (active view, then main frame, then application).
class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    // Fills `state` and returns true when this target handles `id`.
    virtual bool OnUpdateCommand(int id, CommandState& state) = 0;
    // Runs the handler of `id`; returns false when this target has none.
    virtual bool OnCommand(int id) = 0;
};

// The state of `id` along a route: the first target that handles it decides. A command no
// target handles is disabled.
CommandState queryCommand(std::span<CommandTarget* const> route, int id);

// Runs `id` on the first target that handles it, but only when its enabling rule holds at
// this moment. Returns true when a handler ran.
bool routeCommand(std::span<CommandTarget* const> route, int id);

}  // namespace quorbel
