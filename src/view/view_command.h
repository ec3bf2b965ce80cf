#pragma once

// One row of an editor view's command table: a command's id, its handler, its enabling rule
// and, for a radio-style item, its check mark. The view's own commands (transport, display
// modes, selection) are rows of view_commands.cpp. The layers above the view make their own
// rows (edit/edit_commands.h, effects/effect_commands.h), and whoever makes a view hands them
// to it with CQuorbelView::AddCommands: the view runs them without knowing them.

namespace quorbel {

class CQuorbelView;

struct ViewCommand {
    // A radio-style check mark: checked while `field` holds `value`. It is set only while the
    // command is enabled; a disabled command leaves the check mark as it is. No field: no mark.
    struct CheckMark {
        int CQuorbelView::*field = nullptr;
        int value = 0;
    };

    int id = 0;
    void (*handler)(CQuorbelView& view) = nullptr;
    // Whether command `id` can run in `view` now.
    bool (*enabled)(const CQuorbelView& view, int id) = nullptr;
    CheckMark check{};
};

// Enabling rules the rows of more than one layer use.
// The view draws a sound: there are samples to work on.
bool HasWaveData(const CQuorbelView& view, int id);
// The document has a file name.
bool HasFileName(const CQuorbelView& view, int id);

}  // namespace quorbel
