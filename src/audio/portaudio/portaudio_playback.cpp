#include "audio/portaudio/portaudio_playback.h"

#include <algorithm>
#include <cstring>

#include "audio/playback_ring.h"
#include "audio/portaudio/portaudio_errors.h"
#include "audio/portaudio/portaudio_library.h"

namespace quorbel {

PortAudioPlayback::PortAudioPlayback(std::shared_ptr<PortAudioLibrary> library,
                                     std::shared_ptr<PlaybackRing> ring, std::uint64_t totalFrames,
                                     std::size_t outputBytesPerFrame, std::byte silence)
    : library_(std::move(library)),
      ring_(std::move(ring)),
      totalFrames_(totalFrames),
      bytesPerFrame_(outputBytesPerFrame),
      silence_(silence) {}

PortAudioPlayback::~PortAudioPlayback() {
    stop();
}

bool PortAudioPlayback::start(const PaStreamParameters& output, double sampleRate,
                              unsigned long framesPerBuffer, PaFailure& failure) {
    std::lock_guard lock(controlMutex_);
    PaError err = Pa_OpenStream(&stream_, nullptr, &output, sampleRate, framesPerBuffer, paNoFlag,
                                &PortAudioPlayback::onAudio, this);
    if (err == paNoError)
        err = Pa_SetStreamFinishedCallback(stream_, &PortAudioPlayback::onFinished);
    if (err == paNoError) {
        requestRealtimeCallbacks(stream_, output.device);
        const PaStreamInfo* info = Pa_GetStreamInfo(stream_);
        const double latency = info ? info->outputLatency : 0.0;
        leadInLeft_ = static_cast<std::uint64_t>(kLeadInSeconds * sampleRate);
        tailLeft_ = static_cast<std::uint64_t>(latency * sampleRate) + framesPerBuffer;
        tailCapLeft_ = tailLeft_ + static_cast<std::uint64_t>(kTailCapSeconds * sampleRate);
        sampleRate_ = sampleRate;
        err = Pa_StartStream(stream_);
    }
    if (err == paNoError) return true;
    failure = capturePaFailure(err);
    if (stream_) Pa_CloseStream(stream_);
    stream_ = nullptr;
    return false;
}

int PortAudioPlayback::onAudio(const void*, void* output, unsigned long frameCount,
                               const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags status,
                               void* user) {
    auto& self = *static_cast<PortAudioPlayback*>(user);
    if (status & paOutputUnderflow) {
        // The output ran dry for a while PortAudio does not measure: count one buffer.
        self.underruns_.fetch_add(1, std::memory_order_relaxed);
        self.framesLost_.fetch_add(frameCount, std::memory_order_relaxed);
    }

    auto* out = static_cast<std::byte*>(output);
    const std::size_t bpf = self.bytesPerFrame_;
    const int silence = std::to_integer<int>(self.silence_);
    std::uint64_t done = std::min<std::uint64_t>(frameCount, self.leadInLeft_);
    std::memset(out, silence, done * bpf);
    self.leadInLeft_ -= done;

    const std::uint64_t at = self.cursor_.load(std::memory_order_relaxed);
    const std::uint64_t wanted = std::min<std::uint64_t>(frameCount - done, self.totalFrames_ - at);
    const std::uint64_t soundFrom = done;
    // The ring holds the samples in the output's type already: a plain copy.
    const std::uint64_t n = self.ring_->consume(
        static_cast<std::size_t>(wanted), [&self, out, bpf, &done](std::span<const std::byte> in) {
            std::memcpy(out + done * bpf, in.data(), in.size());
            done += in.size() / self.ring_->frameBytes();
        });
    if (n > 0 && time->outputBufferDacTime > 0) {
        const double rate = self.sampleRate_;
        self.soundStartsAt_.store(
            time->outputBufferDacTime +
                (static_cast<double>(soundFrom) - static_cast<double>(at)) / rate,
            std::memory_order_relaxed);
    }
    if (n < wanted) {
        // The producer fell behind: silence for the rest of this buffer, and the sound goes on
        // from where it stopped once the ring has frames again. A run of such buffers counts
        // as one underrun.
        if (!self.ringWasDry_) self.underruns_.fetch_add(1, std::memory_order_relaxed);
        self.framesLost_.fetch_add(frameCount - done, std::memory_order_relaxed);
        self.ringWasDry_ = true;
    } else {
        self.ringWasDry_ = false;
    }
    std::memset(out + done * bpf, silence, (frameCount - done) * bpf);
    self.cursor_.store(at + n, std::memory_order_release);
    if (at + n < self.totalFrames_) return paContinue;

    // Past the end: silence until the last frame has gone through every queue on its way out.
    // The delay the output reports for each buffer covers a sound server's queue too, which
    // the stream's nominal latency does not; the frame count bounds the wait should the output
    // report no times.
    if (!self.endTimeKnown_) {
        self.soundEndsAt_ =
            time->outputBufferDacTime + static_cast<double>(done) / self.sampleRate_;
        self.endTimeKnown_ = true;
    }
    const std::uint64_t silent = frameCount - done;
    self.tailLeft_ -= std::min(self.tailLeft_, silent);
    self.tailCapLeft_ -= std::min(self.tailCapLeft_, silent);
    const bool timesKnown = time->outputBufferDacTime > 0;
    const bool heard = !timesKnown || time->currentTime >= self.soundEndsAt_ + kEndMarginSeconds;
    return (self.tailLeft_ == 0 && heard) || self.tailCapLeft_ == 0 ? paComplete : paContinue;
}

void PortAudioPlayback::onFinished(void* user) {
    static_cast<PortAudioPlayback*>(user)->drained_.store(true, std::memory_order_release);
}

std::uint64_t PortAudioPlayback::framesPlayed() const {
    return cursor_.load(std::memory_order_acquire);
}

std::uint64_t PortAudioPlayback::framesHeard() const {
    std::lock_guard lock(controlMutex_);
    if (stopped_) return heardAtStop_;
    return heardNow();
}

std::uint64_t PortAudioPlayback::heardNow() const {
    const std::uint64_t played = cursor_.load(std::memory_order_acquire);
    if (!stream_ || drained_.load(std::memory_order_acquire)) return played;
    const double startsAt = soundStartsAt_.load(std::memory_order_relaxed);
    if (startsAt < 0) return played;  // the output reports no times
    const double heard = (Pa_GetStreamTime(stream_) - startsAt) * sampleRate_;
    if (heard <= 0) return 0;
    return std::min(played, static_cast<std::uint64_t>(heard));
}

bool PortAudioPlayback::finished() const {
    return drained_.load(std::memory_order_acquire) &&
           cursor_.load(std::memory_order_acquire) == totalFrames_;
}

std::uint64_t PortAudioPlayback::underruns() const {
    return underruns_.load(std::memory_order_relaxed);
}

std::uint64_t PortAudioPlayback::framesLost() const {
    return framesLost_.load(std::memory_order_relaxed);
}

void PortAudioPlayback::stop() {
    std::lock_guard lock(controlMutex_);
    if (!stream_) return;
    heardAtStop_ = heardNow();
    stopped_ = true;
    // Abort drops what is queued, so the sound ends at once; the cursor stays where it was.
    Pa_AbortStream(stream_);
    Pa_CloseStream(stream_);
    stream_ = nullptr;
}

}  // namespace quorbel
