#pragma once

// Which sample layout the device plays for a `fmt ` chunk, and the chunk of a new sound.

#include <cstdint>
#include <span>
#include <vector>

#include "audio/audio_backend.h"
#include "wavefile/expected.h"

namespace quorbel {

// Judges a decoded `fmt ` chunk body: PCM with 8, 16, 24 or 32-bit containers and 32-bit float,
// plain or inside WAVE_FORMAT_EXTENSIBLE, mono or stereo, give their layout in `out`; anything
// else fails with the format fault that says what is wrong.
WaveError parseWaveFormat(std::span<const std::uint8_t> fmt, StreamFormat& out);

// The 16-byte PCM `fmt ` body describing `format` (used for sounds that have no file yet).
std::vector<std::uint8_t> makePcmFormatRecord(const StreamFormat& format);

}  // namespace quorbel
