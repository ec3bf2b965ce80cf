#pragma once

// Putting together the unsaved sound a document of a program that is gone left in its folder:
// its current sound, with a recording that was in progress merged in where it was going.

#include <string>

#include "audio/sound_file_reader.h"
#include "wavefile/expected.h"
#include "wavefile/session_folder.h"

namespace quorbel {

struct RecoveredSound {
    LoadedSound sound;
    // A working file in the old folder that holds exactly `sound`, to be taken over as it is;
    // "" when the sound was put together in memory.
    std::string file;
};

// Whether `document` left a sound that was never saved: it was modified, and its current sound
// or a recording is in its folder.
bool HoldsUnsavedSound(const LeftDocument& document);

// Reads what `document` left. A recording cut short by the crash is taken as far as it was
// made durable; one whose sound it went into is gone or changed comes back on its own.
WaveError RecoverSound(const LeftDocument& document, RecoveredSound& out);

}  // namespace quorbel
