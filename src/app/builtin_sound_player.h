#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/audio_backend.h"

namespace quorbel {

// Plays the built-in sound asynchronously through the audio backend. A new play stops the
// one that runs and starts again from the beginning.
class BuiltinSoundPlayer {
  public:
    explicit BuiltinSoundPlayer(AudioBackend& backend);
    ~BuiltinSoundPlayer();

    // Starts playing; returns false when the sound cannot be played (no output device).
    bool play();
    void stop();
    bool isPlaying() const;
    // How many plays have been started.
    int playsStarted() const { return playsStarted_; }

  private:
    AudioBackend& backend_;
    StreamFormat format_;
    std::vector<std::byte> frames_;
    bool made_ = false;
    std::unique_ptr<PlaybackStream> stream_;
    int playsStarted_ = 0;
};

// Finds the format and the sample bytes of a PCM RIFF WAVE file in memory. False when the
// bytes are not such a file.
bool parsePcmWave(const std::vector<std::uint8_t>& file, StreamFormat& format,
                  std::vector<std::byte>& frames);

}  // namespace quorbel
