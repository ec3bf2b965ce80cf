#pragma once

// The steps every edit, effect and the save after a recording share: save the device's sound
// to a new working file, close the device, let the operation change the file, reopen the
// device on the result and reload the view, with each operation's texts and names. What
// differs between operations is data: this table and the operation's own step.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/message.h"
#include "wavefile/shared_bytes.h"

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
    SaveRecording,
};

struct EditVariant {
    const char* prefix;     // working-file prefix; null when nothing is saved (Undo)
    bool stopAndWait;       // issue Stop first and show the wait cursor
    bool startTextFirst;    // the start text goes out before Stop (the effects)
    bool setsUndoTarget;    // the file before the edit becomes the Undo target
    bool adoptsOutput;      // the document is modified and the output becomes current
    bool changesSavedFile;  // the step rewrites the saved file, which a failure may damage
    const char* startText;  // null: none
    const char* endText;    // null: none
    const char* failText;   // status text of a failed edit; null: none
};

const EditVariant& VariantOf(EditKind kind);

// How the view takes up the output file.
enum class EditReload {
    Full,         // format, samples, length and slider read anew from the file
    SamplesOnly,  // the sound keeps its length and format: only the samples are handed over
    None,         // the same sound in another file
};

// What an operation's step did with the file the device saved.
struct EditOutcome {
    // Set when the step failed: the box to show. The edit then changes nothing.
    std::optional<UserMessage> failure;
    std::string output;  // the file the device is to hold; empty: the saved file itself
    EditReload reload = EditReload::Full;
    // The output's sample bytes: the new wave data for EditReload::SamplesOnly; for a full
    // reload they are held until the view and the device have taken them up from memory.
    SharedBytes samples;

    static EditOutcome Failed(UserMessage box) {
        EditOutcome o;
        o.failure = std::move(box);
        return o;
    }
};

// The operation's step, given the path of the working file the device saved its sound to
// (empty when the operation saves nothing).
using EditStep = std::function<EditOutcome(const std::string& savedFile)>;

}  // namespace quorbel
