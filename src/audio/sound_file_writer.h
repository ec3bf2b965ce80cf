#pragma once

// The device's save: a WAVE file written beside its target and renamed over it.

#include <cstdint>
#include <span>
#include <string>

#include "wavefile/expected.h"

namespace quorbel {

// Writes a RIFF WAVE file holding just a `fmt ` chunk (the given body, verbatim) and a `data`
// chunk. The file is written to a temporary file in the target's folder, flushed to disk and
// renamed over the target, so a save that fails leaves the old file as it was.
WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         std::span<const std::uint8_t> data);

}  // namespace quorbel
