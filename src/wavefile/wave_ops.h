#pragma once

// Writing the chunks of a WAVE file, and the sizes such a file has. Failures are fault codes;
// res/wave_messages.h turns them into the boxes the user sees.

#include <cstdint>
#include <span>
#include <string>

#include "wavefile/expected.h"
#include "wavefile/piece_list.h"
#include "wavefile/riff_file.h"
#include "wavefile/wave_format.h"

namespace quorbel {

// Writes, on a file open for writing at its start, the RIFF header with `riffSize`, the `fmt `
// chunk holding `fmtBytes` verbatim and the `data` chunk holding `data`, which gets its pad
// byte when `padData` is set. Each step has a fault of its own, with errno in err; a sound
// that does not fit a WAVE file is refused (SoundTooLarge) before anything is written.
WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          std::span<const std::uint8_t> data, std::uint32_t riffSize, bool padData);
// The same with the data as pieces, written one after the other in one pass.
WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          const PieceList& data, std::uint32_t riffSize, bool padData);

// The RIFF size of a file holding exactly a `fmt ` chunk of fmtSize bytes and a data chunk of
// dataSize bytes, not counting a pad byte after odd data. Capped at the largest RIFF size: a
// sound that does not fit is refused (CheckSoundFits) before its size is used.
std::uint32_t WaveRiffSizeFor(std::uint32_t fmtSize, std::uint32_t dataSize);

// SoundTooLarge on `path` when `dataBytes` of sound beside the `fmt ` chunk `fmtBytes` do not
// fit one WAVE file (wavefile/wave_limits.h), with the size and the most whole frames that fit.
WaveError CheckSoundFits(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::uint64_t dataBytes);

}  // namespace quorbel
