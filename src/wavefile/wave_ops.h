#pragma once

// Writing the chunks of a WAVE file, and the sizes such a file has. Failures are fault codes;
// res/wave_messages.h turns them into the boxes the user sees.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "wavefile/expected.h"
#include "wavefile/piece_list.h"
#include "wavefile/riff_file.h"
#include "wavefile/wave_format.h"

namespace quorbel {

// Writes, on a file open for writing at its start, the RIFF header with `riffSize`, the `fmt `
// chunk holding `fmtBytes` verbatim and the `data` chunk holding `data`, which gets its pad
// byte when `padData` is set. Each step has a fault of its own, with errno in err; a sound
// past the program's limit is refused (SoundTooLarge) before anything is written. A sound that
// does not fit a plain WAVE file is written as RF64 (see WaveHeader), `riffSize` unused.
WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          std::span<const std::uint8_t> data, std::uint32_t riffSize, bool padData);
// The same with the data as pieces, written one after the other in one pass.
WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          const PieceList& data, std::uint32_t riffSize, bool padData);

// The RIFF size of a file holding exactly a `fmt ` chunk of fmtSize bytes and a data chunk of
// dataSize bytes, not counting a pad byte after odd data. Capped at the largest RIFF size: a
// sound that does not fit is refused (CheckSoundFits) before its size is used.
std::uint32_t WaveRiffSizeFor(std::uint32_t fmtSize, std::uint32_t dataSize);

// Everything a WAVE file holding `fmt` and `dataBytes` of sound has before the samples: RIFF,
// the `fmt ` chunk with its pad byte and the `data` chunk's header. A sound that fits a plain
// WAVE file gets exactly that, its RIFF size counting a pad byte after odd data. One that does
// not is laid out as RF64: the sizes of the RIFF form and the `data` chunk read 0xFFFFFFFF, and
// a `ds64` chunk before `fmt ` holds them in 64 bits, with the count of frames.
std::vector<std::uint8_t> WaveHeader(std::span<const std::uint8_t> fmt, std::uint64_t dataBytes);

// SoundTooLarge on `path` when `dataBytes` of sound beside the `fmt ` chunk `fmtBytes` pass
// what the program holds (wavefile/wave_limits.h), with the size and the most whole frames.
WaveError CheckSoundFits(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::uint64_t dataBytes);

// DiskTooFull on `path` when the file system of the open file `fd` has fewer than `bytes`
// bytes free for this user: refused before the writing, so nothing is left half-written.
// Passes when the file system does not tell its free space.
WaveError CheckDiskRoom(int fd, const std::string& path, std::uint64_t bytes);

}  // namespace quorbel
