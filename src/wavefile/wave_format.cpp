#include "wavefile/wave_format.h"

#include <algorithm>

namespace quorbel {
namespace {

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, static_cast<std::uint16_t>(v));
    Put16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

std::optional<WaveFormat> DecodeWaveFormat(std::span<const std::uint8_t> fmtBytes) {
    if (fmtBytes.size() < kWaveFormatRecordSize) return std::nullopt;
    const std::uint8_t* p = fmtBytes.data();
    WaveFormat format;
    format.wFormatTag = Le16(p);
    format.nChannels = Le16(p + 2);
    format.nSamplesPerSec = Le32(p + 4);
    format.nAvgBytesPerSec = Le32(p + 8);
    format.nBlockAlign = Le16(p + 12);
    // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format (GUID 00000001-0000-0010-8000-00AA00389B71
    // at offset 24) is plain PCM in a longer record.
    static constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                       0x10, 0x00, 0x80, 0x00, 0x00, 0xAA,
                                                       0x00, 0x38, 0x9B, 0x71};
    if (format.wFormatTag == 0xFFFE && fmtBytes.size() >= 40 &&
        std::equal(p + 24, p + 40, kPcmSubFormat)) {
        format.wFormatTag = kWaveFormatPcm;
    }
    return format;
}

void EncodePcmFormat(const WaveFormat& format, std::uint16_t bitsPerSample,
                     std::span<std::uint8_t, 16> out) {
    std::uint8_t* p = out.data();
    Put16(p, format.wFormatTag);
    Put16(p + 2, format.nChannels);
    Put32(p + 4, format.nSamplesPerSec);
    Put32(p + 8, format.nAvgBytesPerSec);
    Put16(p + 12, format.nBlockAlign);
    Put16(p + 14, bitsPerSample);
}

}  // namespace quorbel
