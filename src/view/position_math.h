#pragma once

// Conversions between device milliseconds and position-slider units, and the time text of
// the status line. Slider units count samples of the wave data buffer (bytes of 8-bit sound,
// whole samples of 2, 3 or 4 bytes otherwise), 0 to the slider's maximum.

#include <cstdint>
#include <string>

namespace quorbel {

// Whole slider units per millisecond: maximum / length, the remainder dropped. 0 when the
// length is 0 or the sound has fewer units than milliseconds.
std::uint32_t UnitsPerMs(std::uint32_t sliderMax, std::uint32_t lengthMs);

// Device position -> slider: ms x u. Where u is 0 the position is taken proportionally,
// ms x maximum / length in 64-bit arithmetic, and a length of 0 gives 0. The result never
// exceeds the maximum.
std::uint32_t SliderFromMs(std::uint32_t ms, std::uint32_t sliderMax, std::uint32_t lengthMs);

// Slider -> device position: slider / u. Where u is 0, slider x length / maximum (0 when
// the maximum is 0). The result never exceeds the length.
std::uint32_t MsFromSlider(std::uint32_t slider, std::uint32_t sliderMax, std::uint32_t lengthMs);

// "83.45" for 83456 ms: whole seconds and truncated hundredths, always two digits.
std::string FormatSeconds(std::uint32_t ms);

// "Total playing time: 83.45 s  / Current file position: 5.03 s ".
std::string FormatStatusText(std::uint32_t lengthMs, std::uint32_t positionMs);

}  // namespace quorbel
