#pragma once

#include <portaudio.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/portaudio/spsc_byte_ring.h"

namespace quorbel {

class PortAudioLibrary;
struct PaFailure;

// One running input stream. The callback copies each input buffer into a preallocated
// lock-free ring; read() drains it on the consumer side, converting to the asked sample type
// when the input delivered another one.
class PortAudioCapture final : public CaptureStream {
  public:
    PortAudioCapture(std::shared_ptr<PortAudioLibrary> library, std::uint16_t channels,
                     SampleType deviceType, SampleType wantedType, std::size_t ringFrames);
    ~PortAudioCapture() override;

    // Opens and starts the stream. False with `failure` set when PortAudio refuses.
    bool start(const PaStreamParameters& input, double sampleRate, unsigned long framesPerBuffer,
               PaFailure& failure);

    std::size_t read(std::span<std::byte> out) override;
    std::uint64_t overruns() const override;
    std::uint64_t framesLost() const override;
    void stop() override;

  private:
    static int onAudio(const void* input, void* output, unsigned long frameCount,
                       const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags status,
                       void* self);

    std::shared_ptr<PortAudioLibrary> library_;
    SampleType deviceType_;
    SampleType wantedType_;
    std::size_t deviceFrameBytes_;
    std::size_t wantedFrameBytes_;
    SpscByteRing ring_;
    std::vector<std::byte> scratch_;  // consumer side only: device-type frames to convert

    std::atomic<std::uint64_t> overruns_{0};
    std::atomic<std::uint64_t> framesLost_{0};

    std::mutex controlMutex_;  // serialises stop() callers; never taken by the audio thread
    PaStream* stream_ = nullptr;
};

}  // namespace quorbel
