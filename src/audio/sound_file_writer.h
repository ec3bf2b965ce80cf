#pragma once

// The device's save: a WAVE file written beside its target and renamed over it, or a working
// file written in place.

#include <cstdint>
#include <span>
#include <string>

#include "framework/work_progress.h"
#include "wavefile/expected.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// How a save treats the file it writes.
enum class SaveDurability {
    // The user's file: the new file takes the target's place only once it is complete and on
    // disk, so a save that fails or is killed leaves the old file as it was and nothing else.
    // Saving through a symbolic link replaces the file it names (with that file's permissions)
    // and keeps the link. A target that is not a regular file is refused.
    Durable,
    // A working file the program made for itself: written in place, not flushed, since a
    // crash loses nothing that is not also elsewhere.
    Scratch,
};

// Writes a RIFF WAVE file holding just a `fmt ` chunk (the given body, verbatim) and a `data`
// chunk. With `warning`, a save that worked but could not give the new file the replaced one's
// owner, group or permissions leaves OwnerNotKept there (else it is emptied). With `progress`,
// the writing of the samples is counted there in bytes, and a cancel stops it with
// WorkCancelled before the file takes the target's place (a working file is then left as far
// as it got, for its owner to discard).
WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         std::span<const std::uint8_t> data,
                         SaveDurability durability = SaveDurability::Durable,
                         WaveError* warning = nullptr, WorkProgress* progress = nullptr);
// The same with the data as pieces, written in one pass.
WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         const PieceList& data, SaveDurability durability = SaveDurability::Durable,
                         WaveError* warning = nullptr, WorkProgress* progress = nullptr);

}  // namespace quorbel
