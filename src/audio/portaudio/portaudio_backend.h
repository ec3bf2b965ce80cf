#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "audio/audio_backend.h"

namespace quorbel {

class PortAudioLibrary;

struct PortAudioOptions {
    // On a loaded two-core machine, 64 to 256-frame buffers dropped audio and 100 ms of queued
    // output still underran now and then; 1024-frame buffers with 200 ms queued stayed clean.
    unsigned long framesPerBuffer = 1024;
    double minLatencySeconds = 0.2;
    // Seconds of capture the ring holds before the consumer must have drained it.
    double captureRingSeconds = 4.0;
    // When set, streams run in this sample type whatever the sound's own type, converting on
    // the way; otherwise only when the device refuses the sound's type.
    std::optional<SampleType> deviceSampleType;
    // The devices to play on and record from, by a name `--list-devices` shows (or a unique
    // part of one); empty for PortAudio's default.
    std::string outputDevice;
    std::string inputDevice;
};

// The real audio backend: plays on an output and records from an input through PortAudio, the
// defaults unless the options name others. Several streams may run at once.
class PortAudioBackend final : public AudioBackend {
  public:
    explicit PortAudioBackend(PortAudioOptions options = {});
    ~PortAudioBackend() override;

    std::unique_ptr<PlaybackStream> startPlayback(const StreamFormat& format,
                                                  std::shared_ptr<PlaybackRing> ring,
                                                  std::uint64_t totalFrames,
                                                  std::string& error) override;
    std::unique_ptr<CaptureStream> startCapture(const StreamFormat& format,
                                                std::string& error) override;
    SampleType playbackType(const StreamFormat& format) override;

  private:
    PortAudioOptions options_;
    std::shared_ptr<PortAudioLibrary> library_;
};

std::unique_ptr<AudioBackend> makePortAudioBackend(PortAudioOptions options = {});

}  // namespace quorbel
