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

// The sound bytes to take from a `data` chunk that declares `declared` bytes where the file
// holds `present` after the chunk's header: a writer that never finished its header leaves 0
// or 0xFFFFFFFF, and one cut short declares more than is there; each means every whole frame
// present. Never more than a WAVE file beside a `fmt ` chunk of `fmtBytes` can hold again.
constexpr std::uint64_t DataBytesPresent(std::uint32_t declared, std::uint64_t present,
                                         std::uint64_t fmtBytes, std::uint64_t frameBytes) {
    const bool unfinished = declared == 0 || declared == 0xFFFFFFFFu || declared > present;
    const std::uint64_t bytes = unfinished ? present : declared;
    const std::uint64_t most = MaxDataBytes(fmtBytes, frameBytes);
    const std::uint64_t whole = frameBytes == 0 ? bytes : bytes - bytes % frameBytes;
    return whole < most ? whole : most;
}

}  // namespace quorbel
