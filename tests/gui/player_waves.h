#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorbel::test {

// A PCM sound as the tests write and read it: interleaved samples, 8-bit ones stored
// unsigned (128 = silence), 16-bit ones signed.
struct PcmSound {
    int channels = 2;
    int bits = 16;
    int rate = 22050;
    std::vector<int> samples;

    std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
};

// `frames` frames of a sine of `hz` at `amplitude` (fraction of full scale) on every channel.
PcmSound sineSound(int channels, int bits, int rate, std::size_t frames, double hz,
                   double amplitude);

// Writes `sound` as a canonical RIFF WAVE file in `dir`; returns its path ("" on failure).
std::string writeWave(const QTemporaryDir& dir, const std::string& name, const PcmSound& sound);

// Reads a PCM RIFF WAVE file chunk by chunk; nullopt when it is not one.
std::optional<PcmSound> readWave(const std::string& path);

// Runs the event loop until `condition` holds or `timeoutMs` passed; false on timeout.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 3000);

}  // namespace quorbel::test
