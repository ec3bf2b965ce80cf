#pragma once

// The one size limit of a WAVE file: its RIFF size field, the whole file less its first 8
// bytes, is 32 bits. Every reader, writer, edit and recording asks these functions, so a
// sound the program accepts can always be saved.

#include <cstdint>

namespace quorbel {

inline constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFFu;

// The RIFF size of a file that holds just a `fmt ` chunk of `fmtBytes` and a `data` chunk of
// `dataBytes`, each with its pad byte when odd.
constexpr std::uint64_t RiffSizeOf(std::uint64_t fmtBytes, std::uint64_t dataBytes) {
    return 4 + 8 + fmtBytes + (fmtBytes & 1u) + 8 + dataBytes + (dataBytes & 1u);
}

// Whether `dataBytes` of sound with a `fmt ` chunk of `fmtBytes` fit one WAVE file.
constexpr bool SoundFits(std::uint64_t fmtBytes, std::uint64_t dataBytes) {
    return RiffSizeOf(fmtBytes, dataBytes) <= kMaxRiffSize;
}

// The most sound bytes, in whole frames of `frameBytes`, that fit beside a `fmt ` chunk of
// `fmtBytes`.
constexpr std::uint64_t MaxDataBytes(std::uint64_t fmtBytes, std::uint64_t frameBytes = 1) {
    const std::uint64_t room = kMaxRiffSize - RiffSizeOf(fmtBytes, 0);
    const std::uint64_t even = room & ~std::uint64_t{1};  // an odd size would need a pad byte
    const std::uint64_t most = SoundFits(fmtBytes, room) ? room : even;
    return frameBytes == 0 ? most : most - most % frameBytes;
}

}  // namespace quorbel
