#pragma once

// Levels in decibels as the Amplify and Normalize dialogs take them: typed with a point and at
// most one decimal, held as whole tenths so that a typed "6.1" is exactly 6.1 dB every time,
// and the texts that refuse them.

#include <cstdint>
#include <string>
#include <string_view>

#include "effects/level_samples.h"

namespace quorbel {

// The tenths of dB a field takes, and what its value is called in a refusal.
struct TenthsRange {
    int min = 0;
    int max = 0;
    const char* what = "";  // "The gain"
    const char* unit = "";  // "dB"
};

inline constexpr TenthsRange kGainRange{-480, 480, "The gain", "dB"};
inline constexpr TenthsRange kPeakRange{-480, 0, "The peak level", "dBFS"};

// A typed level: its tenths, or why it is refused (then `refusal` is not empty).
struct TypedTenths {
    int tenths = 0;
    std::string refusal;
};
TypedTenths ParseTenths(std::string_view text, const TenthsRange& range);

// "6.0", "-1.5", "0.0"; with `plus`, "+6.0".
std::string FormatTenths(int tenths, bool plus = false);

// The factor of a gain of `tenths` tenths of dB: 10^(G/20).
double GainFactor(int tenths);

// The largest gain in tenths of dB, from -48.0 to +48.0, that clips no sample the census
// counted.
int LargestGainWithoutClipping(const SampleCensus& census);

// "A gain of 6.0 dB clips 12 samples; at most 4.2 dB fits."
std::string ClipText(int tenths, std::uint64_t clipped, int largestTenths);

}  // namespace quorbel
