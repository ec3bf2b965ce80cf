#pragma once

// The four sample formats every edit and effect is tested in: 8 or 16 bits, mono or stereo.

#include <cstdint>

namespace quorbel::testing {

struct SampleFormat {
    std::uint16_t bits;
    std::uint16_t channels;
    std::uint32_t frame() const { return bits / 8u * channels; }
};

inline constexpr SampleFormat kSampleFormats[] = {{8, 1}, {8, 2}, {16, 1}, {16, 2}};

}  // namespace quorbel::testing
