#pragma once

#include <optional>
#include <string_view>

namespace quorbel {

// Every command: its symbolic name and its number. Each entry defines the constant and gives
// commandIdFromName and commandName their entry, so a new command is one line here.
#define QUORBEL_COMMAND_IDS(X)                \
    /* Picture buttons of the editor view. */ \
    X(ID_BUTTON_PLAY, 1)                      \
    X(ID_BUTTON_STOP, 2)                      \
    X(ID_BUTTON_TOSTART, 3)                   \
    X(ID_BUTTON_TOEND, 4)                     \
    X(ID_BUTTON_RECORD, 5)                    \
    /* Framework commands. */                 \
    X(ID_FILE_NEW, 57600)                     \
    X(ID_FILE_OPEN, 57601)                    \
    X(ID_FILE_CLOSE, 57602)                   \
    X(ID_FILE_SAVE, 57603)                    \
    X(ID_FILE_SAVE_AS, 57604)                 \
    X(ID_EDIT_CLEAR, 57632)                   \
    X(ID_EDIT_COPY, 57634)                    \
    X(ID_EDIT_CUT, 57635)                     \
    X(ID_EDIT_PASTE, 57637)                   \
    X(ID_EDIT_SELECT_ALL, 57642)              \
    X(ID_EDIT_UNDO, 57643)                    \
    X(ID_EDIT_REDO, 57644)                    \
    X(ID_WINDOW_NEW, 57648)                   \
    X(ID_WINDOW_ARRANGE, 57649)               \
    X(ID_WINDOW_CASCADE, 57650)               \
    X(ID_WINDOW_TILE_HORZ, 57651)             \
    X(ID_APP_ABOUT, 57664)                    \
    X(ID_APP_EXIT, 57665)                     \
    X(ID_NEXT_PANE, 57680)                    \
    X(ID_PREV_PANE, 57681)                    \
    X(ID_VIEW_TOOLBAR, 59392)                 \
    X(ID_VIEW_STATUS_BAR, 59393)              \
    /* The program's own commands. */         \
    X(ID_FILTER_HIGHPASS, 32772)              \
    X(ID_FILTER_LOWPASS, 32773)               \
    X(ID_OCTAVE_INCREASE, 32774)              \
    X(ID_OCTAVE_DECREASE, 32775)              \
    X(ID_EFFECTS_REVERSE, 32776)              \
    /* Level effects on the selection. */     \
    X(ID_EFFECTS_AMPLIFY, 32860)              \
    X(ID_EFFECTS_NORMALIZE, 32861)            \
    X(ID_EFFECTS_FADE_IN, 32862)              \
    X(ID_EFFECTS_FADE_OUT, 32863)             \
    X(ID_SLIDER_WAVE, 32777)                  \
    X(ID_SLIDER_CLUSTERED, 32778)             \
    X(ID_SLIDER_NONE, 32779)                  \
    X(ID_MAGNIFY_100, 32780)                  \
    X(ID_MAGNIFY_200, 32781)                  \
    X(ID_MAGNIFY_300, 32782)                  \
    X(ID_FILE_PROPERTIES, 32784)              \
    X(ID_SCOPE_WAVE, 32785)                   \
    X(ID_SCOPE_CLUSTERED, 32786)              \
    X(ID_SCOPE_NONE, 32787)                   \
    X(ID_SCOPE_PEAKS, 32880)                  \
    X(ID_SKIN_NORMAL, 32788)                  \
    X(ID_SKIN_EMBOSSED, 32789)                \
    X(ID_SKIN_NIGHTSHADE, 32791)              \
    X(ID_SKIN_GREY, 32795)                    \
    X(ID_RECORD_INSERT, 32807)                \
    X(ID_RECORD_OVERWRITE, 32808)             \
    X(ID_HELP_HOWTOUSE, 32809)                \
    /* Selecting exactly. */                  \
    X(ID_ZOOM_TO_SELECTION, 32850)            \
    X(ID_ZOOM_OUT, 32851)                     \
    X(ID_EDIT_SELECT_RANGE, 32852)            \
    /* Editing the selection. */              \
    X(ID_EDIT_TRIM, 32870)                    \
    X(ID_EDIT_SILENCE, 32871)                 \
    X(ID_EDIT_INSERT_SILENCE, 32872)          \
    /* Recently used files, newest first. */  \
    X(ID_FILE_MRU_FILE1, 57616)               \
    X(ID_FILE_MRU_FILE2, 57617)               \
    X(ID_FILE_MRU_FILE3, 57618)               \
    X(ID_FILE_MRU_FILE4, 57619)               \
    X(ID_FILE_MRU_FILE5, 57620)               \
    X(ID_FILE_MRU_FILE6, 57621)               \
    X(ID_FILE_MRU_FILE7, 57622)               \
    X(ID_FILE_MRU_FILE8, 57623)

#define QUORBEL_DEFINE_COMMAND_ID(name, number) inline constexpr int name = number;
QUORBEL_COMMAND_IDS(QUORBEL_DEFINE_COMMAND_ID)
#undef QUORBEL_DEFINE_COMMAND_ID

// The position slider of the editor view (a control, not a command).
inline constexpr int ID_POSITION_SLIDER = 1000;

// Resource numbers of the three context menus.
inline constexpr int IDR_CONTEXT_SLIDER = 174;
inline constexpr int IDR_CONTEXT_SCOPE = 175;
inline constexpr int IDR_CONTEXT_SKINS = 176;

// Looks a command up by its symbolic name ("ID_EDIT_CUT") or by its decimal number.
std::optional<int> commandIdFromName(std::string_view name);
// The symbolic name of a command id, or an empty view when it has none.
std::string_view commandName(int id);

}  // namespace quorbel
