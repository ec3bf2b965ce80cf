#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_backend.h"

namespace quorbel::test {

// The format the sound server's monitor delivers natively.
inline const StreamFormat kCaptureFormat{44100, 2, SampleType::S16};

struct Sound {
    StreamFormat format;
    std::vector<std::byte> bytes;
};

struct RoundTrip {
    std::string error;                   // set when a stream did not start
    std::vector<std::int16_t> samples;   // everything captured, interleaved stereo
    std::uint64_t framesBeforePlay = 0;  // captured frames when playback started
    std::uint64_t underruns = 0;         // summed over the played streams
    std::uint64_t overruns = 0;
    bool allFinished = false;  // every playback reported finished()
    double stopCallMs = -1;    // how long stop() took, when asked to stop early
    std::uint64_t framesPlayedAtStop = 0;
    std::uint64_t framesHeardAtStop = 0;
    std::uint64_t framesHeardAtEnd = 0;  // of the first sound, once all finished
    std::uint64_t framesPlayedLater = 0;
};

// Records from the default input while playing `sounds` at once on the default output, until
// they all finished (or `stopAfterMs` after starting, when given, stops them), plus a tail.
RoundTrip playAndRecord(AudioBackend& backend, const std::vector<Sound>& sounds,
                        std::optional<int> stopAfterMs = std::nullopt);

// Why the real-audio tests cannot run here, or "" when a sound server is there to use.
std::string realAudioUnavailable(AudioBackend& backend);

}  // namespace quorbel::test
