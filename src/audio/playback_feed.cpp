#include "audio/playback_feed.h"

#include <algorithm>
#include <cstring>

#include "audio/playback_ring.h"

namespace quorbel {

PlaybackFeed::PlaybackFeed(PieceList sound, std::uint64_t firstFrame,
                           std::shared_ptr<PlaybackRing> ring)
    : sound_(std::move(sound)), ring_(std::move(ring)) {
    const std::uint64_t frameBytes = ring_->frameBytes();
    const std::uint64_t frames = sound_.size() / frameBytes;
    const std::uint64_t first = std::min(firstFrame, frames);
    totalFrames_ = frames - first;
    next_ = first * frameBytes;
    end_ = frames * frameBytes;
}

std::size_t PlaybackFeed::fill() {
    const std::uint64_t left = (end_ - next_) / ring_->frameBytes();
    return ring_->produce(static_cast<std::size_t>(std::min<std::uint64_t>(left, SIZE_MAX)),
                          [this](std::span<std::byte> place) {
                              copySound(next_, place);
                              next_ += place.size();
                          });
}

void PlaybackFeed::copySound(std::uint64_t from, std::span<std::byte> out) const {
    // Pieces are walked here, on the device's worker, never in the audio callback.
    sound_.Read(from,
                std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(out.data()), out.size()));
}

}  // namespace quorbel
