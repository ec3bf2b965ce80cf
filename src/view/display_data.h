#pragma once

// What the view reads from a wave file for its display: the PCM fields of the `fmt ` chunk
// and the bytes of the `data` chunk, plus the values derived from them.

#include <cstdint>
#include <memory>
#include <string>

#include "wavefile/wave_format.h"

namespace quorbel {

struct DisplayData {
    WaveFormat format;
    std::unique_ptr<std::uint8_t[]> bytes;  // the data chunk as stored
    std::uint32_t size = 0;
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
// actually present; a data chunk that is really empty gives an empty sound.
DisplayReadResult ReadDisplayData(const std::string& path);

// Slider maximum: data bytes, halved (rounding down) for samples of 16 bits and more.
std::uint32_t SampleCountOf(std::uint32_t dataBytes, int bitsPerSample);

// Slider page and tick step: a tenth of the data bytes.
std::uint32_t SliderPageOf(std::uint32_t dataBytes);

}  // namespace quorbel
