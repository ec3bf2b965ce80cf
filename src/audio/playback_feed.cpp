#include "audio/playback_feed.h"

#include <algorithm>
#include <cstring>

#include "audio/playback_ring.h"
#include "audio/sample_values.h"

namespace quorbel {

PlaybackFeed::PlaybackFeed(PieceList sound, std::uint64_t firstFrame,
                           std::shared_ptr<PlaybackRing> ring)
    : PlaybackFeed(std::move(sound), firstFrame, std::move(ring), SampleType::S16,
                   SampleType::S16) {}

PlaybackFeed::PlaybackFeed(PieceList sound, std::uint64_t firstFrame,
                           std::shared_ptr<PlaybackRing> ring, SampleType soundType,
                           SampleType playedType)
    : sound_(std::move(sound)),
      ring_(std::move(ring)),
      soundType_(soundType),
      playedType_(playedType),
      converts_(soundType != playedType || soundType == SampleType::F32) {
    // The ring's frames hold as many samples as the sound's, each of the played type.
    const std::uint64_t ringFrame = ring_->frameBytes();
    soundFrameBytes_ = converts_
                           ? ringFrame / static_cast<std::uint64_t>(SampleBits(playedType) / 8) *
                                 static_cast<std::uint64_t>(SampleBits(soundType) / 8)
                           : ringFrame;
    const std::uint64_t frames = sound_.size() / soundFrameBytes_;
    const std::uint64_t first = std::min(firstFrame, frames);
    totalFrames_ = frames - first;
    next_ = first * soundFrameBytes_;
    end_ = frames * soundFrameBytes_;
}

std::size_t PlaybackFeed::fill() {
    const std::uint64_t left = (end_ - next_) / soundFrameBytes_;
    return ring_->produce(static_cast<std::size_t>(std::min<std::uint64_t>(left, SIZE_MAX)),
                          [this](std::span<std::byte> place) {
                              const std::uint64_t frames = place.size() / ring_->frameBytes();
                              copySound(next_, place);
                              next_ += frames * soundFrameBytes_;
                          });
}

void PlaybackFeed::copySound(std::uint64_t from, std::span<std::byte> out) {
    // Pieces are walked here, on the device's worker, never in the audio callback.
    const std::span<std::uint8_t> place(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    if (!converts_) {
        sound_.Read(from, place);
        return;
    }
    const std::uint64_t frames = out.size() / ring_->frameBytes();
    scratch_.resize(static_cast<std::size_t>(frames * soundFrameBytes_));
    sound_.Read(from, scratch_);
    ConvertSampleRun(scratch_, soundType_, place, playedType_);
    if (playedType_ == SampleType::F32) SilenceNonFinite(place);
}

}  // namespace quorbel
