#pragma once

#include <cstddef>
#include <span>

#include "audio/audio_backend.h"

namespace quorbel {

std::size_t bytesPerSample(SampleType type);

// Converts interleaved samples between storage types (full scale maps to full scale; 8-bit is
// unsigned around 128). Converts min(in, out) samples and returns that count. Used when the
// output or input refuses a sound's own type. Only arithmetic (no locks, no allocation), so
// the playback callback converts with it.
std::size_t convertSamples(std::span<const std::byte> in, SampleType from, std::span<std::byte> out,
                           SampleType to);

}  // namespace quorbel
