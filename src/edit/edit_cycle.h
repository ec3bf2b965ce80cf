#pragma once

// The steps every edit and effect shares: stop, take the sound the window plays, let the
// operation make a new sound from it in memory, keep the sound before it in a working file
// for Undo, write the new one to a working file, and hand it to the window, with each
// operation's texts. What differs between operations is data: this table and the
// operation's own step.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "edit/edit_host.h"

namespace quorbel {

enum class EditKind {
    Cut,
    Copy,
    Paste,
    Undo,
    Reverse,
    LowPass,
    HighPass,
    OctaveUp,
    OctaveDown,
};

struct EditVariant {
    const char* name;       // the operation, as a box that refuses it names it
    const char* prefix;     // working-file prefix; null when nothing is written
    bool stopAndWait;       // issue Stop first and show the wait cursor
    bool startTextFirst;    // the start text goes out before Stop (the effects)
    const char* startText;  // null: none
    const char* endText;
    const char* failText;  // status text of a failed edit
};

const EditVariant& VariantOf(EditKind kind);

// What an operation's step made of the sound.
struct EditOutcome {
    // Set when the step failed: the box to show. The edit then changes nothing.
    std::optional<UserMessage> failure;
    LoadedSound sound;  // the new sound
    EditReload reload = EditReload::Full;
    // Runs once the edit has taken effect, and only then (Cut fills the clipboard).
    std::function<void()> commit;

    static EditOutcome Failed(UserMessage box) {
        EditOutcome o;
        o.failure = std::move(box);
        return o;
    }
};

struct EditStep {
    // The size of the sound the step will make from `before`: checked against the size
    // limit before any work, and named when memory runs out. Null: the size of `before`.
    std::function<std::uint64_t(const LoadedSound& before)> resultBytes;
    std::function<EditOutcome(const LoadedSound& before)> run;
};

// Runs one edit or effect on `host`'s sound. True when it took effect; otherwise the window
// plays, draws and saves the sound it had, Undo is as it was, no working file of the edit is
// left, and the status line says the edit failed.
bool RunEdit(EditKind kind, EditHost& host, const EditStep& step);

// Undo: goes back to the sound in the window's Undo file, which the program wrote itself.
bool RunUndo(EditHost& host);

}  // namespace quorbel
