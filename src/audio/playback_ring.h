#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "audio/audio_backend.h"

namespace quorbel {

// The frames a play queues ahead of the audio output: a producer thread (the device's worker)
// copies the sound in, the audio callback takes it out. One producer and one consumer, without
// locks: the storage is allocated once by the constructor, and produce()/consume() only hand
// out views of it and publish a counter, so the consumer may be a real-time callback.
// Everything is counted in whole frames; a frame never straddles the wrap-around.
class PlaybackRing {
  public:
    PlaybackRing(std::size_t frameBytes, std::size_t capacityFrames);
    PlaybackRing(const PlaybackRing&) = delete;
    PlaybackRing& operator=(const PlaybackRing&) = delete;

    std::size_t frameBytes() const { return frameBytes_; }
    std::size_t capacityFrames() const { return capacity_; }

    // Producer side: frames produce() can add now.
    std::size_t writableFrames() const {
        return capacity_ - static_cast<std::size_t>(written_.load(std::memory_order_relaxed) -
                                                    read_.load(std::memory_order_acquire));
    }
    // Consumer side: frames consume() can take now.
    std::size_t readableFrames() const {
        return static_cast<std::size_t>(written_.load(std::memory_order_acquire) -
                                        read_.load(std::memory_order_relaxed));
    }

    // Producer: lends `fill` the free space for up to `maxFrames` frames, as one or two spans
    // of whole frames in playing order, which it must fill completely; then publishes them.
    // Returns the frames added.
    template <class Fill>
    std::size_t produce(std::size_t maxFrames, Fill&& fill) {
        const std::uint64_t w = written_.load(std::memory_order_relaxed);
        const std::uint64_t r = read_.load(std::memory_order_acquire);
        const std::size_t n = std::min(maxFrames, capacity_ - static_cast<std::size_t>(w - r));
        if (n == 0) return 0;
        const std::size_t at = static_cast<std::size_t>(w % capacity_);
        const std::size_t first = std::min(n, capacity_ - at);
        fill(region(at, first));
        if (n > first) fill(region(0, n - first));
        written_.store(w + n, std::memory_order_release);
        return n;
    }

    // Consumer: lends `take` up to `maxFrames` queued frames, as one or two spans of whole
    // frames in playing order; then frees them for the producer. Returns the frames taken.
    template <class Take>
    std::size_t consume(std::size_t maxFrames, Take&& take) {
        const std::uint64_t r = read_.load(std::memory_order_relaxed);
        const std::uint64_t w = written_.load(std::memory_order_acquire);
        const std::size_t n = std::min(maxFrames, static_cast<std::size_t>(w - r));
        if (n == 0) return 0;
        const std::size_t at = static_cast<std::size_t>(r % capacity_);
        const std::size_t first = std::min(n, capacity_ - at);
        take(std::span<const std::byte>(region(at, first)));
        if (n > first) take(std::span<const std::byte>(region(0, n - first)));
        read_.store(r + n, std::memory_order_release);
        return n;
    }

    // Producer: copies in the whole frames of `bytes` that fit; returns the frames added.
    std::size_t write(std::span<const std::byte> bytes);
    // Consumer: copies out as many whole frames as `out` holds and are queued; returns the
    // frames given.
    std::size_t read(std::span<std::byte> out);

  private:
    std::span<std::byte> region(std::size_t frame, std::size_t frames) {
        return {storage_.get() + frame * frameBytes_, frames * frameBytes_};
    }

    const std::size_t frameBytes_;
    const std::size_t capacity_;  // frames, at least 1
    const std::unique_ptr<std::byte[]> storage_;
    // Running totals of frames; their difference is the fill level. 64 bits never wrap in
    // practice. Each on its own cache line, so the two threads do not slow each other down.
    alignas(64) std::atomic<std::uint64_t> written_{0};
    alignas(64) std::atomic<std::uint64_t> read_{0};
};

// The frames of the ring a play of `totalFrames` frames in `format` gets: half a second, at
// least a few buffers of the audio output, and never more than the play needs.
std::size_t playbackRingFrames(const StreamFormat& format, std::uint64_t totalFrames);

// Plays `bytes` (whole frames in `format`; a partial last frame is dropped) from a ring that
// holds all of them, filled before the stream starts, so no producer needs to run: for short
// sounds already in memory (the About box's sound, tests of a backend).
std::unique_ptr<PlaybackStream> startPlaybackOfBytes(AudioBackend& backend,
                                                     const StreamFormat& format,
                                                     std::span<const std::byte> bytes,
                                                     std::string& error);

}  // namespace quorbel
