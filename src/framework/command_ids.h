#pragma once

#include <optional>
#include <string_view>

namespace quorbel {

// Picture buttons of the editor view, and its position slider.
inline constexpr int ID_BUTTON_PLAY = 1;
inline constexpr int ID_BUTTON_STOP = 2;
inline constexpr int ID_BUTTON_TOSTART = 3;
inline constexpr int ID_BUTTON_TOEND = 4;
inline constexpr int ID_BUTTON_RECORD = 5;
inline constexpr int ID_POSITION_SLIDER = 1000;

// Framework commands.
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_CLOSE = 57602;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_PASTE = 57637;
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_WINDOW_NEW = 57648;
inline constexpr int ID_WINDOW_ARRANGE = 57649;
inline constexpr int ID_WINDOW_CASCADE = 57650;
inline constexpr int ID_WINDOW_TILE_HORZ = 57651;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_NEXT_PANE = 57680;
inline constexpr int ID_PREV_PANE = 57681;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

// The program's own commands.
inline constexpr int ID_FILTER_HIGHPASS = 32772;
inline constexpr int ID_FILTER_LOWPASS = 32773;
inline constexpr int ID_OCTAVE_INCREASE = 32774;
inline constexpr int ID_OCTAVE_DECREASE = 32775;
inline constexpr int ID_EFFECTS_REVERSE = 32776;
inline constexpr int ID_SLIDER_WAVE = 32777;
inline constexpr int ID_SLIDER_CLUSTERED = 32778;
inline constexpr int ID_SLIDER_NONE = 32779;
inline constexpr int ID_MAGNIFY_100 = 32780;
inline constexpr int ID_MAGNIFY_200 = 32781;
inline constexpr int ID_MAGNIFY_300 = 32782;
inline constexpr int ID_FILE_PROPERTIES = 32784;
inline constexpr int ID_SCOPE_WAVE = 32785;
inline constexpr int ID_SCOPE_CLUSTERED = 32786;
inline constexpr int ID_SCOPE_NONE = 32787;
inline constexpr int ID_SKIN_NORMAL = 32788;
inline constexpr int ID_SKIN_EMBOSSED = 32789;
inline constexpr int ID_SKIN_NIGHTSHADE = 32791;
inline constexpr int ID_SKIN_GREY = 32795;
inline constexpr int ID_RECORD_INSERT = 32807;
inline constexpr int ID_RECORD_OVERWRITE = 32808;
inline constexpr int ID_HELP_HOWTOUSE = 32809;

// Resource numbers of the three context menus.
inline constexpr int IDR_CONTEXT_SLIDER = 174;
inline constexpr int IDR_CONTEXT_SCOPE = 175;
inline constexpr int IDR_CONTEXT_SKINS = 176;

// Looks a command up by its symbolic name ("ID_EDIT_CUT") or by its decimal number.
std::optional<int> commandIdFromName(std::string_view name);
// The symbolic name of a command id, or an empty view when it has none.
std::string_view commandName(int id);

}  // namespace quorbel
