#pragma once

// The size limits of a WAVE file. A plain WAVE file's RIFF size field, the whole file less its
// first 8 bytes, is 32 bits; a sound that does not fit one is saved as RF64, whose `ds64` chunk
// holds 64-bit sizes. Every reader, writer, edit and recording asks these functions, so a
// sound the program accepts can always be saved.

#include <cstdint>

namespace quorbel {

inline constexpr std::uint64_t kMaxRiffSize = 0xFFFFFFFFu;

// The RIFF size of a file that holds just a `fmt ` chunk of `fmtBytes` and a `data` chunk of
// `dataBytes`, each with its pad byte when odd.
constexpr std::uint64_t RiffSizeOf(std::uint64_t fmtBytes, std::uint64_t dataBytes) {
    return 4 + 8 + fmtBytes + (fmtBytes & 1u) + 8 + dataBytes + (dataBytes & 1u);
}

// The most sound one document holds: far more than memory or disks hold today, and well
// inside the signed 64-bit offsets of files and pieces. What really bounds a sound is the
// memory and disk it needs, which the work that makes it checks first.
inline constexpr std::uint64_t kMaxSoundBytes = std::uint64_t{1} << 62;

// kMaxSoundBytes in whole frames of `frameBytes`.
constexpr std::uint64_t MaxSoundBytes(std::uint64_t frameBytes = 1) {
    return frameBytes == 0 ? kMaxSoundBytes : kMaxSoundBytes - kMaxSoundBytes % frameBytes;
}

// Whether `dataBytes` of sound with a `fmt ` chunk of `fmtBytes` fit a plain WAVE file (and
// need no RF64).
constexpr bool SoundFits(std::uint64_t fmtBytes, std::uint64_t dataBytes) {
    return RiffSizeOf(fmtBytes, dataBytes) <= kMaxRiffSize;
}

// The most sound bytes, in whole frames of `frameBytes`, that fit a plain WAVE file beside a
// `fmt ` chunk of `fmtBytes`.
constexpr std::uint64_t MaxDataBytes(std::uint64_t fmtBytes, std::uint64_t frameBytes = 1) {
    const std::uint64_t room = kMaxRiffSize - RiffSizeOf(fmtBytes, 0);
    const std::uint64_t even = room & ~std::uint64_t{1};  // an odd size would need a pad byte
    const std::uint64_t most = SoundFits(fmtBytes, room) ? room : even;
    return frameBytes == 0 ? most : most - most % frameBytes;
}

// The sound bytes to take from a plain `data` chunk that declares `declared` bytes where the
// file holds `present` after the chunk's header: a writer that never finished its header leaves
// 0 or 0xFFFFFFFF, and one cut short declares more than is there; each means every whole frame
// present, past 4 GiB too (a recording cut off before it became RF64).
constexpr std::uint64_t DataBytesPresent(std::uint32_t declared, std::uint64_t present,
                                         std::uint64_t frameBytes) {
    const bool unfinished = declared == 0 || declared == 0xFFFFFFFFu || declared > present;
    const std::uint64_t bytes = unfinished ? present : declared;
    const std::uint64_t most = MaxSoundBytes(frameBytes);
    const std::uint64_t whole = frameBytes == 0 ? bytes : bytes - bytes % frameBytes;
    return whole < most ? whole : most;
}

}  // namespace quorbel
