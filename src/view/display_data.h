#pragma once

// What the view reads from a wave file for its display: the PCM fields of the `fmt ` chunk
// and the bytes of the `data` chunk, plus the values derived from them.

#include <cstdint>
#include <string>
#include <vector>

namespace quorbel {

struct DisplayFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
};

struct DisplayData {
    DisplayFormat format;
    std::vector<std::uint8_t> bytes;  // the data chunk as stored
};

enum class DisplayReadStatus {
    Ok,
    NotPcm,      // format tag other than 1, or no channels
    Unreadable,  // no RIFF WAVE form, no usable fmt or data chunk, or an I/O failure
};

struct DisplayReadResult {
    DisplayReadStatus status = DisplayReadStatus::Unreadable;
    DisplayData data;
    std::string message;  // why an unreadable file could not be read, for the user
};

// Reads `path` for display. Files whose writer never finished the header (RIFF or data size
// 0, 0x7FFFF000 or 0xFFFFFFFF) or whose data is cut short are read with the whole frames
// actually present.
DisplayReadResult ReadDisplayData(const std::string& path);

// nBlockAlign x 8 / nChannels, truncating; 0 channels give 0.
int BitsPerSampleOf(const DisplayFormat& format);

// Slider maximum: data bytes, halved (rounding down) for samples of 16 bits and more.
std::uint32_t SampleCountOf(std::uint32_t dataBytes, int bitsPerSample);

// Slider page and tick step: a tenth of the data bytes.
std::uint32_t SliderPageOf(std::uint32_t dataBytes);

}  // namespace quorbel
