#include "framework/command_target.h"

namespace quorbel {

CommandState queryCommand(std::span<CommandTarget* const> route, int id) {
    for (CommandTarget* target : route) {
        if (target == nullptr) continue;
        CommandState state;
        if (target->OnUpdateCommand(id, state)) return state;
    }
    return CommandState{false, std::nullopt};
}

bool routeCommand(std::span<CommandTarget* const> route, int id) {
    for (CommandTarget* target : route) {
        if (target == nullptr) continue;
        CommandState state;
        if (!target->OnUpdateCommand(id, state)) continue;
        if (!state.enabled) return false;
        return target->OnCommand(id);
    }
    return false;
}

}  // namespace quorbel
