#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/sound_error.h"

namespace quorbel {

inline constexpr std::uint16_t kFormatTagPcm = 0x0001;
inline constexpr std::uint16_t kFormatTagFloat = 0x0003;
inline constexpr std::uint16_t kFormatTagExtensible = 0xFFFE;

// Decodes the body of a `fmt ` chunk into the sample layout the device plays. Accepts PCM
// with 8, 16, 24 or 32-bit containers and 32-bit float, plain or inside WAVE_FORMAT_EXTENSIBLE,
// mono or stereo; anything else gives a problem whose text says what is wrong.
SoundProblem parseWaveFormat(std::span<const std::byte> fmt, StreamFormat& out);

// The 16-byte PCM `fmt ` body describing `format` (used for sounds that have no file yet).
std::vector<std::byte> makePcmFormatRecord(const StreamFormat& format);

// Little-endian field access shared by the reader and writer.
inline std::uint16_t readLe16(const std::byte* p) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) |
                                      (std::to_integer<unsigned>(p[1]) << 8));
}
inline std::uint32_t readLe32(const std::byte* p) {
    return static_cast<std::uint32_t>(readLe16(p)) |
           (static_cast<std::uint32_t>(readLe16(p + 2)) << 16);
}
inline void writeLe16(std::byte* p, std::uint16_t v) {
    p[0] = static_cast<std::byte>(v & 0xFF);
    p[1] = static_cast<std::byte>(v >> 8);
}
inline void writeLe32(std::byte* p, std::uint32_t v) {
    writeLe16(p, static_cast<std::uint16_t>(v & 0xFFFF));
    writeLe16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace quorbel
