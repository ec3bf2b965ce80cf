#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/byte_buffer.h"
#include "audio/sound_error.h"

namespace quorbel {

// A sound as read from a WAVE file: its `fmt ` chunk body kept verbatim (so a save writes it
// back unchanged), the layout decoded from it, and the sample bytes (whole frames).
struct LoadedSound {
    std::vector<std::byte> fmt;
    StreamFormat format;
    ByteBuffer data;
};

// Reads a WAVE file the way people actually have them: chunks in any order, unknown chunks
// skipped, odd sizes with or without their pad byte, a RIFF size that is 0 or wrong, a data
// size beyond the end of the file (clamped to what is there). The samples are read with one
// read into memory. Returns a problem with a printable text when the file cannot be played.
SoundProblem readSoundFile(const std::string& path, LoadedSound& out);

}  // namespace quorbel
