#pragma once

// What the view reads from a wave file for its display: the PCM fields of the `fmt ` chunk
// and the bytes of the `data` chunk, plus the values derived from them.

#include <cstdint>
#include <memory>
#include <string>

#include "wavefile/expected.h"
#include "wavefile/wave_format.h"

namespace quorbel {

struct DisplayData {
    WaveFormat format;
    std::shared_ptr<const std::uint8_t[]> bytes;  // the data chunk as stored, maybe shared
    std::uint32_t size = 0;
};

// Reads `path` for display with the device's reader, in any PCM layout: a data size of 0 or
// 0xFFFFFFFF, or one past the end of the file, gives the whole frames actually present; a
// data chunk that is really empty gives an empty sound. A format tag other than 1, or no
// channels, fails with NotPcm; anything else that stops the read fails with
// CaptureUnreadable, its cause the reader's own fault.
Expected<DisplayData> ReadDisplayData(const std::string& path);

// Slider maximum: the number of whole samples, channels not divided out. Data bytes for
// samples of 8 bits and less (and for 9 to 15, which are not drawn); data bytes / (bits / 8)
// from 16 bits on: halved for 16-bit, a third for 24-bit, a quarter for 32-bit.
std::uint64_t SampleCountOf(std::uint64_t dataBytes, int bitsPerSample);

// Slider page and tick step: a tenth of the data bytes.
std::uint64_t SliderPageOf(std::uint64_t dataBytes);

}  // namespace quorbel
