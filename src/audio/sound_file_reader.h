#pragma once

// The device's tolerant reading of WAVE files, through the wave-file layer's chunk walker.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_backend.h"
#include "wavefile/expected.h"
#include "wavefile/riff_file.h"
#include "wavefile/shared_bytes.h"

namespace quorbel {

// A sound as read from a WAVE file: its `fmt ` chunk body kept verbatim (so a save writes it
// back unchanged), the layout decoded from it, and the sample bytes (whole frames).
struct LoadedSound {
    std::vector<std::uint8_t> fmt;
    StreamFormat format;
    SharedBytes data;  // shared with whoever else holds this file's data in memory
};

// Reads a WAVE file the way people actually have them: chunks in any order, unknown chunks
// skipped, odd sizes with or without their pad byte, a RIFF size that is 0 or wrong, a data
// size beyond the end of the file (clamped to what is there). The samples are read with one
// read into memory. Fails with the fault that says why the file cannot be played.
WaveError readSoundFile(const std::string& path, LoadedSound& out);

// The same over a file already open for reading; `path` names it in failures.
WaveError readSound(RiffFile& file, const std::string& path, LoadedSound& out);

}  // namespace quorbel
