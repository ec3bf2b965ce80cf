#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace quorbel {

inline constexpr std::uint16_t kWaveFormatPcm = 1;
// The part of a `fmt ` chunk that is interpreted; anything after it is carried along unread.
inline constexpr std::size_t kWaveFormatRecordSize = 14;

// The PCM fields of a `fmt ` chunk. Bits per sample are derived, never read from the chunk.
struct WaveFormat {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;

    int BitsPerSample() const { return nChannels == 0 ? 0 : nBlockAlign * 8 / nChannels; }
    friend bool operator==(const WaveFormat&, const WaveFormat&) = default;
};

// Decodes the first 14 bytes of a `fmt ` chunk; empty when fewer bytes are given. A whole
// WAVE_FORMAT_EXTENSIBLE record whose sub-format is PCM gives format tag 1.
std::optional<WaveFormat> DecodeWaveFormat(std::span<const std::uint8_t> fmtBytes);

// A 16-byte PCM `fmt ` chunk for the given layout (bits field included).
void EncodePcmFormat(const WaveFormat& format, std::uint16_t bitsPerSample,
                     std::span<std::uint8_t, 16> out);

}  // namespace quorbel
