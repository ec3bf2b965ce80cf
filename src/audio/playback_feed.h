#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "wavefile/piece_list.h"

namespace quorbel {

class PlaybackRing;

// The producer side of a play: copies the sound, from the frame the play starts at to its end,
// into the play's ring as the output empties it. It is the one place where playback reads a
// sound's bytes, so that the audio callback never does (they may be a mapped file's pages).
// Not thread-safe: one thread at a time fills (the device's, under its lock).
class PlaybackFeed {
  public:
    // Plays frames [firstFrame, end) of `sound`, in frames of ring->frameBytes() bytes; a
    // partial last frame is not played.
    PlaybackFeed(PieceList sound, std::uint64_t firstFrame, std::shared_ptr<PlaybackRing> ring);

    const std::shared_ptr<PlaybackRing>& ring() const { return ring_; }
    // The frames the play plays in all.
    std::uint64_t totalFrames() const { return totalFrames_; }
    // Copies as much of what is left as the ring has room for; returns the frames added.
    std::size_t fill();

  private:
    // Copies bytes [from, from + out.size()) of the sound to `out`.
    void copySound(std::uint64_t from, std::span<std::byte> out) const;

    PieceList sound_;
    std::shared_ptr<PlaybackRing> ring_;
    std::uint64_t totalFrames_ = 0;
    std::uint64_t next_ = 0;  // byte offset in the sound of the next frame to copy
    std::uint64_t end_ = 0;   // byte offset in the sound where the play ends
};

}  // namespace quorbel
