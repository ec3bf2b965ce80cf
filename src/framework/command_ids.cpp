#include "framework/command_ids.h"

#include <array>
#include <charconv>
#include <utility>

namespace quorbel {

namespace {

#define QUORBEL_CMD(name)              \
    std::pair<std::string_view, int> { \
#name, name                    \
    }
constexpr std::array kCommandNames = {
    QUORBEL_CMD(ID_BUTTON_PLAY),      QUORBEL_CMD(ID_BUTTON_STOP),
    QUORBEL_CMD(ID_BUTTON_TOSTART),   QUORBEL_CMD(ID_BUTTON_TOEND),
    QUORBEL_CMD(ID_BUTTON_RECORD),    QUORBEL_CMD(ID_FILE_NEW),
    QUORBEL_CMD(ID_FILE_OPEN),        QUORBEL_CMD(ID_FILE_CLOSE),
    QUORBEL_CMD(ID_FILE_SAVE),        QUORBEL_CMD(ID_FILE_SAVE_AS),
    QUORBEL_CMD(ID_EDIT_COPY),        QUORBEL_CMD(ID_EDIT_CUT),
    QUORBEL_CMD(ID_EDIT_PASTE),       QUORBEL_CMD(ID_EDIT_UNDO),
    QUORBEL_CMD(ID_WINDOW_NEW),       QUORBEL_CMD(ID_WINDOW_ARRANGE),
    QUORBEL_CMD(ID_WINDOW_CASCADE),   QUORBEL_CMD(ID_WINDOW_TILE_HORZ),
    QUORBEL_CMD(ID_APP_ABOUT),        QUORBEL_CMD(ID_APP_EXIT),
    QUORBEL_CMD(ID_NEXT_PANE),        QUORBEL_CMD(ID_PREV_PANE),
    QUORBEL_CMD(ID_VIEW_TOOLBAR),     QUORBEL_CMD(ID_VIEW_STATUS_BAR),
    QUORBEL_CMD(ID_FILTER_HIGHPASS),  QUORBEL_CMD(ID_FILTER_LOWPASS),
    QUORBEL_CMD(ID_OCTAVE_INCREASE),  QUORBEL_CMD(ID_OCTAVE_DECREASE),
    QUORBEL_CMD(ID_EFFECTS_REVERSE),  QUORBEL_CMD(ID_SLIDER_WAVE),
    QUORBEL_CMD(ID_SLIDER_CLUSTERED), QUORBEL_CMD(ID_SLIDER_NONE),
    QUORBEL_CMD(ID_MAGNIFY_100),      QUORBEL_CMD(ID_MAGNIFY_200),
    QUORBEL_CMD(ID_MAGNIFY_300),      QUORBEL_CMD(ID_FILE_PROPERTIES),
    QUORBEL_CMD(ID_SCOPE_WAVE),       QUORBEL_CMD(ID_SCOPE_CLUSTERED),
    QUORBEL_CMD(ID_SCOPE_NONE),       QUORBEL_CMD(ID_SKIN_NORMAL),
    QUORBEL_CMD(ID_SKIN_EMBOSSED),    QUORBEL_CMD(ID_SKIN_NIGHTSHADE),
    QUORBEL_CMD(ID_SKIN_GREY),        QUORBEL_CMD(ID_RECORD_INSERT),
    QUORBEL_CMD(ID_RECORD_OVERWRITE), QUORBEL_CMD(ID_HELP_HOWTOUSE),
};
#undef QUORBEL_CMD

}  // namespace

std::optional<int> commandIdFromName(std::string_view name) {
    for (const auto& [n, id] : kCommandNames) {
        if (n == name) return id;
    }
    int value = 0;
    const char* end = name.data() + name.size();
    auto [ptr, ec] = std::from_chars(name.data(), end, value);
    if (ec == std::errc{} && ptr == end && !name.empty()) return value;
    return std::nullopt;
}

std::string_view commandName(int id) {
    for (const auto& [n, cid] : kCommandNames) {
        if (cid == id) return n;
    }
    return {};
}

}  // namespace quorbel
