#pragma once

// The device's save: a WAVE file written beside its target and renamed over it, or a working
// file written in place.

#include <cstdint>
#include <span>
#include <string>

#include "wavefile/expected.h"

namespace quorbel {

// How a save treats the file it writes.
enum class SaveDurability {
    // The user's file: written to a temporary file in the target's folder, flushed to disk
    // and renamed over the target, so a save that fails leaves the old file as it was.
    Durable,
    // A working file the program made for itself: written in place, not flushed, since a
    // crash loses nothing that is not also elsewhere.
    Scratch,
};

// Writes a RIFF WAVE file holding just a `fmt ` chunk (the given body, verbatim) and a `data`
// chunk.
WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         std::span<const std::uint8_t> data,
                         SaveDurability durability = SaveDurability::Durable);

}  // namespace quorbel
