#pragma once

// The one decoder and encoder of `fmt ` chunks.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quorbel {

inline constexpr std::uint16_t kWaveFormatPcm = 0x0001;
inline constexpr std::uint16_t kWaveFormatFloat = 0x0003;
inline constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;
// The part of a `fmt ` chunk the editor interprets; anything after it is carried along unread.
inline constexpr std::size_t kWaveFormatRecordSize = 14;
// A PCM record with its bits field.
inline constexpr std::size_t kPcmFormatSize = 16;
// A WAVE_FORMAT_EXTENSIBLE record: the PCM record, cbSize (2), valid bits (2), channel mask
// (4) and the sub-format GUID (16).
inline constexpr std::size_t kExtensibleFormatSize = 40;
inline constexpr std::uint16_t kExtensionSize = 22;

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

// Everything any reader takes from a `fmt ` chunk.
struct FormatChunk {
    WaveFormat format;            // the first 14 bytes
    std::size_t size = 0;         // bytes in the chunk
    std::uint16_t bitsField = 0;  // the bits-per-sample field; 0 when the chunk ends first
    std::uint16_t cbSize = 0;     // the extension's size field; 0 when the chunk ends first
    // WAVE_FORMAT_EXTENSIBLE records of kExtensibleFormatSize bytes or more: the format tag
    // the sub-format GUID carries, and whether the rest of the GUID is the standard one.
    std::uint16_t subFormatTag = 0;
    bool standardSubFormat = false;
};

// Format tags whose samples the editor reads as they are: PCM integers and IEEE float.
constexpr bool IsSampleFormatTag(std::uint16_t tag) {
    return tag == kWaveFormatPcm || tag == kWaveFormatFloat;
}

// Decodes a `fmt ` chunk; empty when it is shorter than the 14-byte record. A whole
// WAVE_FORMAT_EXTENSIBLE record whose sub-format is PCM or IEEE float gives format tag 1 or 3:
// it is that format in a longer record.
std::optional<FormatChunk> DecodeFormatChunk(std::span<const std::uint8_t> fmtBytes);

// A 16-byte PCM `fmt ` chunk for the given layout (bits field included).
void EncodePcmFormat(const WaveFormat& format, std::uint16_t bitsPerSample,
                     std::span<std::uint8_t, kPcmFormatSize> out);

}  // namespace quorbel
