#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/clock.h"

namespace quorbel {

struct NullBackendState;

// The environment variable that chooses the audio backend, and the value that selects the
// null backend (tests, CI, machines without sound).
inline constexpr const char* kAudioBackendVariable = "QUORBEL_AUDIO";
inline constexpr const char* kNullAudioValue = "null";

// True when QUORBEL_AUDIO=null is set.
bool nullAudioRequested();

// A backend without sound hardware that keeps time with a clock: a playback has taken (elapsed
// time × rate) frames from its ring and finishes when all are played; a capture produces frames
// at the clock's rate, taken from what a test fed it and silence after that. The clock must
// outlive the backend and every stream it started.
class NullAudioBackend final : public AudioBackend {
  public:
    explicit NullAudioBackend(const Clock& clock);
    ~NullAudioBackend() override;
    NullAudioBackend(const NullAudioBackend&) = delete;
    NullAudioBackend& operator=(const NullAudioBackend&) = delete;

    std::unique_ptr<PlaybackStream> startPlayback(const StreamFormat& format,
                                                  std::shared_ptr<PlaybackRing> ring,
                                                  std::uint64_t totalFrames,
                                                  std::string& error) override;
    std::unique_ptr<CaptureStream> startCapture(const StreamFormat& format,
                                                std::string& error) override;
    SampleType playbackType(const StreamFormat& format) override;

    // Plays every sound in `type` from now on, as an output that takes that type alone does;
    // empty: each in its own type.
    void setPlaybackType(std::optional<SampleType> type);

    // Queues bytes (in the format of the capture that will read them) that captures deliver
    // before falling back to silence.
    void feedCapture(std::span<const std::byte> bytes);
    // Bytes fed and not yet captured.
    std::size_t pendingCaptureBytes() const;
    // Pretends that running and later streams lost sound: `dropouts` underruns (playback) or
    // overruns (capture) costing `frames` frames in all.
    void simulatePlaybackLoss(std::uint64_t dropouts, std::uint64_t frames);
    void simulateCaptureLoss(std::uint64_t dropouts, std::uint64_t frames);
    // By default a playback whose ring runs dry waits until the producer refills it and calls
    // catchUp() (the device does), so no sound is lost however far the clock moves at once.
    // Playbacks started after setPlaybackRealTime(true) play on as a real output does: silence
    // for the frames the ring does not have, counted as lost.
    void setPlaybackRealTime(bool realTime);
    // Keeps the bytes that playbacks started from now on play (silence included), for
    // playedBytes(); off by default.
    void keepPlayedBytes(bool keep);
    // The bytes each playback started while keepPlayedBytes(true) held has played so far, in
    // the order they started.
    std::vector<std::vector<std::byte>> playedBytes() const;
    // Pretends that there is no output or no input device: starting one then fails.
    void setOutputAvailable(bool available);
    void setInputAvailable(bool available);

    std::optional<StreamFormat> lastPlaybackFormat() const;
    std::optional<StreamFormat> lastCaptureFormat() const;
    std::size_t playbacksStarted() const;
    std::size_t capturesStarted() const;

  private:
    const Clock& clock_;
    std::shared_ptr<NullBackendState> shared_;
};

}  // namespace quorbel
