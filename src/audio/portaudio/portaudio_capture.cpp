#include "audio/portaudio/portaudio_capture.h"

#include <algorithm>

#include "audio/portaudio/portaudio_errors.h"
#include "audio/portaudio/portaudio_library.h"
#include "audio/portaudio/sample_conversion.h"

namespace quorbel {

PortAudioCapture::PortAudioCapture(std::shared_ptr<PortAudioLibrary> library,
                                   std::uint16_t channels, SampleType deviceType,
                                   SampleType wantedType, std::size_t ringFrames)
    : library_(std::move(library)),
      deviceType_(deviceType),
      wantedType_(wantedType),
      deviceFrameBytes_(bytesPerSample(deviceType) * channels),
      wantedFrameBytes_(bytesPerSample(wantedType) * channels),
      ring_(ringFrames * deviceFrameBytes_) {}

PortAudioCapture::~PortAudioCapture() {
    stop();
}

bool PortAudioCapture::start(const PaStreamParameters& input, double sampleRate,
                             unsigned long framesPerBuffer, PaFailure& failure) {
    std::lock_guard lock(controlMutex_);
    PaError err = Pa_OpenStream(&stream_, &input, nullptr, sampleRate, framesPerBuffer, paNoFlag,
                                &PortAudioCapture::onAudio, this);
    if (err == paNoError) {
        requestRealtimeCallbacks(stream_, input.device);
        err = Pa_StartStream(stream_);
    }
    if (err == paNoError) return true;
    failure = capturePaFailure(err);
    if (stream_) Pa_CloseStream(stream_);
    stream_ = nullptr;
    return false;
}

int PortAudioCapture::onAudio(const void* input, void*, unsigned long frameCount,
                              const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags status,
                              void* user) {
    auto& self = *static_cast<PortAudioCapture*>(user);
    if (status & paInputOverflow) {
        // PortAudio discarded input without saying how much: count one buffer.
        self.overruns_.fetch_add(1, std::memory_order_relaxed);
        self.framesLost_.fetch_add(frameCount, std::memory_order_relaxed);
    }
    if (!input) return paContinue;

    const std::size_t bytes = frameCount * self.deviceFrameBytes_;
    // Only whole frames go in, so the consumer always reads whole frames.
    const std::size_t room =
        self.ring_.writable() / self.deviceFrameBytes_ * self.deviceFrameBytes_;
    const std::size_t taken = std::min(bytes, room);
    self.ring_.write({static_cast<const std::byte*>(input), taken});
    if (taken < bytes) {
        self.overruns_.fetch_add(1, std::memory_order_relaxed);
        self.framesLost_.fetch_add((bytes - taken) / self.deviceFrameBytes_,
                                   std::memory_order_relaxed);
    }
    return paContinue;
}

std::size_t PortAudioCapture::read(std::span<std::byte> out) {
    const std::size_t frames =
        std::min(out.size() / wantedFrameBytes_, ring_.readable() / deviceFrameBytes_);
    if (deviceType_ == wantedType_) return ring_.read(out.first(frames * wantedFrameBytes_));
    scratch_.resize(frames * deviceFrameBytes_);
    ring_.read(scratch_);
    const std::size_t samples = convertSamples(scratch_, deviceType_, out, wantedType_);
    return samples * bytesPerSample(wantedType_);
}

std::uint64_t PortAudioCapture::overruns() const {
    return overruns_.load(std::memory_order_relaxed);
}

std::uint64_t PortAudioCapture::framesLost() const {
    return framesLost_.load(std::memory_order_relaxed);
}

void PortAudioCapture::stop() {
    std::lock_guard lock(controlMutex_);
    if (!stream_) return;
    // What the ring already holds stays readable.
    Pa_AbortStream(stream_);
    Pa_CloseStream(stream_);
    stream_ = nullptr;
}

}  // namespace quorbel
