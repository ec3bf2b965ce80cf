#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "audio/sound_error.h"

namespace quorbel {

// Writes a RIFF WAVE file holding just a `fmt ` chunk (the given body, verbatim) and a `data`
// chunk. The file is written to a temporary file in the target's folder, flushed to disk and
// renamed over the target, so a save that fails leaves the old file as it was.
SoundProblem writeSoundFile(const std::string& path, std::span<const std::byte> fmt,
                            std::span<const std::byte> data);

}  // namespace quorbel
