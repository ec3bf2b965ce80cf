#pragma once

// Putting together the unsaved sound a document of a program that is gone left in its folder:
// its current sound, with a recording that was in progress merged in where it was going.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_file_reader.h"
#include "wavefile/expected.h"
#include "wavefile/session_folder.h"

namespace quorbel {

struct RecoveredSound {
    LoadedSound sound;
    // A working file in the old folder that holds exactly `sound`, to be taken over as it is;
    // "" when the sound was put together in memory.
    std::string file;
    // Working files shorter than their note says (another program cut them): `sound` holds
    // what they still had, and `lostBytes` bytes of the noted sound are missing.
    std::vector<std::string> cutFiles;
    std::uint64_t lostBytes = 0;
};

// Whether `document` left a sound that was never saved: it was modified, its current sound or
// a recording is in its folder, and no later start took it up already.
bool HoldsUnsavedSound(const LeftDocument& document);

// Marks what a recovery that was cut short left twice. A start that takes a document up writes
// its own note (naming where the sound goes, and the folder or file it comes from) before it
// moves the sound and removes the old folder; killed in between, both notes are left. The one
// whose sound is where it says is kept; the other is marked superseded (a whole folder) or
// listed in takenFiles (a file found beside an unusable note).
void PassOverCutShortRecoveries(std::vector<LeftSession>& sessions);

// The files of a document folder besides its note, by path, in name order: what is offered
// one by one when the note cannot be used. Links are passed over (removing one loses nothing),
// and so are files a later start took already.
std::vector<std::string> FilesBesideNote(const LeftDocument& document);

// Reads what `document` left. A recording cut short by the crash is taken as far as it was
// made durable; one whose sound it went into is gone or changed comes back on its own. A
// working file shorter than noted gives what it still holds, listed in `out.cutFiles`.
WaveError RecoverSound(const LeftDocument& document, RecoveredSound& out);

}  // namespace quorbel
