#pragma once

// The exact chunk steps on a WAVE file that every edit and effect runs: parse, create, patch
// in place. Failures are fault codes; res/wave_messages.h turns them into the boxes the user
// sees, in the reporting style the caller chose.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "wavefile/expected.h"
#include "wavefile/riff_file.h"
#include "wavefile/shared_bytes.h"
#include "wavefile/wave_format.h"

namespace quorbel {

// How a parse or patch step reports a failure.
enum class ParseReporting {
    Direct,     // a message of its own per step (Cut, Copy, reverse, filters)
    MmioStyle,  // chunk steps, reads and writes through ReportMmioError (Paste, octave shift)
};

struct ParseOptions {
    RiffOpenMode mode = RiffOpenMode::Read;
    ParseReporting reporting = ParseReporting::Direct;
    // When false, parsing stops with the file positioned at the data content and nothing read,
    // so that a patch can follow its own step order (WriteDataSizeField, then ReadWaveData).
    bool readData = true;
    // Takes the RIFF form and the data chunk as far as the file really goes instead of refusing
    // a size that runs past its end; the data size becomes the whole frames present. For opening
    // a user's file that a streaming writer left with unknown or stale sizes.
    bool lenient = false;
};

// An open, parsed WAVE file. Positioned after the data content when the data was read, else at
// its start. Closing the file (or dropping the object) flushes it.
struct ParsedWave {
    std::string path;
    std::unique_ptr<RiffFile> file;
    ParseReporting reporting = ParseReporting::Direct;
    ChunkInfo riff;
    ChunkInfo fmt;
    ChunkInfo data;                         // data.size is the declared size
    std::vector<std::uint8_t> formatBytes;  // the whole `fmt ` chunk, as in the file
    WaveFormat format;
    std::uint32_t riffSize = 0;  // as declared by the file
    std::uint32_t dataSize = 0;  // declared size, or (lenient) the whole frames present
    // dataSize bytes once read (possibly shared with whoever else holds this file's data in
    // memory), else null.
    std::shared_ptr<const std::uint8_t[]> dataBytes;

    std::span<const std::uint8_t> Data() const {
        return dataBytes ? std::span<const std::uint8_t>(dataBytes.get(), dataSize)
                         : std::span<const std::uint8_t>();
    }
    SharedBytes SharedData() const { return SharedBytes{dataBytes, dataBytes ? dataSize : 0u}; }
};

// A. Opens and parses a WAVE file: RIFF form, `fmt ` (PCM only), `data` after it.
Expected<ParsedWave> ParseWave(const std::string& path, const ParseOptions& options = {});

// A steps 1 to 7 only: the file is left at the data content, and a data chunk of size 0 (or,
// strictly, one running past the end of the file) is not refused here. options.readData is
// not looked at.
Expected<ParsedWave> OpenWave(const std::string& path, const ParseOptions& options = {});

// A step 9: reads the data content (dataSize bytes) in one read into wave.dataBytes, or takes
// them from memory when the file's data is held there unchanged.
WaveError ReadWaveData(ParsedWave& wave);

// B. Creates `path` holding `fmtBytes` verbatim as its `fmt ` chunk and `data` as its data
// chunk, with `riffSize` written as the RIFF size. Each step has a fault of its own; a sound
// that does not fit a WAVE file is refused (SoundTooLarge) before the file is created.
WaveError CreateWaveFile(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::span<const std::uint8_t> data, std::uint32_t riffSize);

// B steps 2 to 7 on a file open for writing at its start: the RIFF header with `riffSize`,
// the `fmt ` chunk and the `data` chunk, which gets its pad byte when `padData` is set. The
// faults are CreateWaveFile's, with errno in err.
WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          std::span<const std::uint8_t> data, std::uint32_t riffSize, bool padData);

// The RIFF size of a file holding exactly a `fmt ` chunk of fmtSize bytes and a data chunk of
// dataSize bytes, as CreateWaveFile lays it out (no pad byte after odd data). Capped at the
// largest RIFF size: CreateWaveFile refuses a sound that does not fit before it uses it.
std::uint32_t WaveRiffSizeFor(std::uint32_t fmtSize, std::uint32_t dataSize);

// SoundTooLarge on `path` when `dataBytes` of sound beside the `fmt ` chunk `fmtBytes` do not
// fit one WAVE file (wavefile/wave_limits.h), with the size and the most whole frames that fit.
WaveError CheckSoundFits(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::uint64_t dataBytes);

// Where the data content starts in such a file.
std::uint32_t WaveDataOffsetFor(std::uint32_t fmtSize);

// C. Patch in place, for a file parsed with RiffOpenMode::ReadWrite. The steps in order:
// C1: writes the data chunk's size field.
WaveError WriteDataSizeField(ParsedWave& wave, std::uint32_t newDataSize);
// C2/C3 and D: writes `content` from the start of the data content (growing the file).
WaveError WriteWaveData(ParsedWave& wave, std::span<const std::uint8_t> content);
// C4: leaves the data chunk and writes the RIFF size field.
WaveError WriteRiffSizeField(ParsedWave& wave, std::uint32_t newRiffSize);

// C as one call: data size := content size, old data read (unless already read), content
// written, RIFF size := old + bytes added. A file that shrinks is cut to its new end. Content
// whose RIFF size would not fit 32 bits is refused (SoundTooLarge) before anything is written.
WaveError PatchWaveInPlace(ParsedWave& wave, std::span<const std::uint8_t> content);

// D. Rewrites the data content in place with the same number of bytes; sizes stay.
WaveError RewriteWaveData(ParsedWave& wave, std::span<const std::uint8_t> content);

// Checks a chunk step's raw result (find, leave): 265 gives ChunkNotFound, -1 IoError.
WaveError ReportMmioError(std::int64_t result);
// Checks a read or write that should move `expected` bytes: -1 or fewer bytes give IoError.
WaveError ReportMmioError(std::int64_t result, std::int64_t expected);

}  // namespace quorbel
