#pragma once

#include <portaudio.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "audio/audio_backend.h"

namespace quorbel {

class PortAudioLibrary;
struct PaFailure;

// One running output stream. The callback copies frames from the ring, which holds them in the
// output's own sample type (the producer converted them), and moves an atomic cursor; when the ring
// runs dry before the end it writes silence for the rest of the buffer and counts it as lost; past
// the end it writes silence and completes.
class PortAudioPlayback final : public PlaybackStream {
  public:
    // Plays `totalFrames` frames from `ring`, `outputBytesPerFrame` bytes a frame in the
    // output's sample type. `silence` is the byte value of a silent output sample.
    PortAudioPlayback(std::shared_ptr<PortAudioLibrary> library, std::shared_ptr<PlaybackRing> ring,
                      std::uint64_t totalFrames, std::size_t outputBytesPerFrame,
                      std::byte silence);
    ~PortAudioPlayback() override;

    // Opens and starts the stream. False with `failure` set when PortAudio refuses.
    bool start(const PaStreamParameters& output, double sampleRate, unsigned long framesPerBuffer,
               PaFailure& failure);

    std::uint64_t framesPlayed() const override;
    std::uint64_t framesHeard() const override;
    bool finished() const override;
    std::uint64_t underruns() const override;
    std::uint64_t framesLost() const override;
    void stop() override;

  private:
    static int onAudio(const void* input, void* output, unsigned long frameCount,
                       const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags status,
                       void* self);
    static void onFinished(void* self);

    std::shared_ptr<PortAudioLibrary> library_;
    std::shared_ptr<PlaybackRing> ring_;
    std::uint64_t totalFrames_;
    std::size_t bytesPerFrame_;  // of the output
    std::byte silence_;
    bool ringWasDry_ = false;  // the last buffer lacked frames the ring did not have (audio thread)

    // Silence played before and after the sound, counted down by the audio thread only. Some
    // outputs (ALSA through a sound server) drop the first milliseconds of a new stream and
    // discard what is still queued when the stream ends, so the sound itself is padded.
    static constexpr double kLeadInSeconds = 0.02;
    static constexpr double kEndMarginSeconds = 0.05;
    static constexpr double kTailCapSeconds = 2.0;
    double sampleRate_ = 0;
    std::uint64_t leadInLeft_ = 0;
    std::uint64_t tailLeft_ = 0;     // at least the stream's nominal latency
    std::uint64_t tailCapLeft_ = 0;  // at most this, whatever the output reports
    bool endTimeKnown_ = false;
    double soundEndsAt_ = 0;  // stream time at which the last frame reaches the output

    std::atomic<std::uint64_t> cursor_{0};
    // Stream time at which the sound's first frame reaches the listener, as the output last
    // reported it; negative until known.
    std::atomic<double> soundStartsAt_{-1.0};
    std::atomic<std::uint64_t> underruns_{0};
    std::atomic<std::uint64_t> framesLost_{0};
    std::atomic<bool> drained_{false};

    mutable std::mutex controlMutex_;  // serialises stop() callers; never taken by the audio thread
    PaStream* stream_ = nullptr;
    std::uint64_t heardAtStop_ = 0;
    bool stopped_ = false;

    std::uint64_t heardNow() const;  // needs controlMutex_ held and a stream
};

}  // namespace quorbel
