#pragma once

#include <cstdint>
#include <vector>

namespace quorbel {

// Resource number under which the About box finds its sound.
inline constexpr int kBuiltinSoundResourceId = 177;

inline constexpr std::uint32_t kBuiltinSoundSampleRate = 22050;

// The About box's tune: a complete RIFF WAVE file (PCM, mono, 8-bit, 22050 Hz, about 29 s),
// synthesised on first use and identical on every call.
std::vector<std::uint8_t> builtinSoundWav();

}  // namespace quorbel
