#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_backend.h"

namespace quorbel::test {

// Writes a plain PCM WAVE file (fmt + data) holding `bytes` in `format`.
void writePcmWave(const std::string& path, const StreamFormat& format,
                  const std::vector<std::byte>& bytes);

// A saved WAVE file as its chunks list it.
struct SavedWave {
    std::vector<std::string> chunkIds;  // in file order
    std::uint16_t formatTag = 0, channels = 0, bitsPerSample = 0;
    std::uint32_t sampleRate = 0;
    std::vector<std::int16_t> samples;  // the data chunk, read as 16-bit words
};

// Reads `path` chunk by chunk; false when it is not a RIFF WAVE file.
bool readSavedWave(const std::string& path, SavedWave& out);

}  // namespace quorbel::test
