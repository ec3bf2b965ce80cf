#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "audio/sound_error.h"

namespace quorbel {

// How a save treats the file it writes.
enum class SaveDurability {
    // The user's file: written beside it, flushed to disk and renamed over it, so a save that
    // fails leaves the old file as it was.
    Durable,
    // A working file the program made for itself: written in place, not flushed, since a
    // crash loses nothing that is not also elsewhere.
    Scratch,
};

// Writes a RIFF WAVE file holding just a `fmt ` chunk (the given body, verbatim) and a `data`
// chunk.
SoundProblem writeSoundFile(const std::string& path, std::span<const std::byte> fmt,
                            std::span<const std::byte> data,
                            SaveDurability durability = SaveDurability::Durable);

}  // namespace quorbel
