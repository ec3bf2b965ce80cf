#include "wavefile/wave_format.h"

#include <algorithm>
#include <array>

#include "wavefile/byte_order.h"

namespace quorbel {
namespace {

// The standard sub-format GUIDs are the format tag followed by these 14 bytes.
constexpr std::array<std::uint8_t, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

std::optional<FormatChunk> DecodeFormatChunk(std::span<const std::uint8_t> fmtBytes) {
    if (fmtBytes.size() < kWaveFormatRecordSize) return std::nullopt;
    const std::uint8_t* p = fmtBytes.data();
    FormatChunk chunk;
    chunk.size = fmtBytes.size();
    chunk.format.wFormatTag = LoadLe16(p);
    chunk.format.nChannels = LoadLe16(p + 2);
    chunk.format.nSamplesPerSec = LoadLe32(p + 4);
    chunk.format.nAvgBytesPerSec = LoadLe32(p + 8);
    chunk.format.nBlockAlign = LoadLe16(p + 12);
    if (chunk.size >= kPcmFormatSize) chunk.bitsField = LoadLe16(p + 14);
    if (chunk.size >= kPcmFormatSize + 2) chunk.cbSize = LoadLe16(p + 16);
    if (chunk.format.wFormatTag == kWaveFormatExtensible && chunk.size >= kExtensibleFormatSize) {
        const std::uint8_t* guid = p + 24;
        chunk.subFormatTag = LoadLe16(guid);
        chunk.standardSubFormat = std::equal(kGuidTail.begin(), kGuidTail.end(), guid + 2);
        if (chunk.standardSubFormat &&
            (chunk.subFormatTag == kWaveFormatPcm || chunk.subFormatTag == kWaveFormatFloat)) {
            chunk.format.wFormatTag = chunk.subFormatTag;
        }
    }
    return chunk;
}

void EncodePcmFormat(const WaveFormat& format, std::uint16_t bitsPerSample,
                     std::span<std::uint8_t, kPcmFormatSize> out) {
    std::uint8_t* p = out.data();
    StoreLe16(p, format.wFormatTag);
    StoreLe16(p + 2, format.nChannels);
    StoreLe32(p + 4, format.nSamplesPerSec);
    StoreLe32(p + 8, format.nAvgBytesPerSec);
    StoreLe16(p + 12, format.nBlockAlign);
    StoreLe16(p + 14, bitsPerSample);
}

}  // namespace quorbel
