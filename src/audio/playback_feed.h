#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "audio/audio_backend.h"
#include "wavefile/piece_list.h"

namespace quorbel {

class PlaybackRing;

// The producer side of a play: copies the sound, from the frame the play starts at to its end,
// into the play's ring as the output empties it. It is the one place where playback reads a
// sound's bytes, so that the audio callback never does (they may be a mapped file's pages),
// and the one place where samples are converted for an output that does not take the sound's
// own type, so that the audio callback only copies.
// Not thread-safe: one thread at a time fills (the device's, under its lock).
class PlaybackFeed {
  public:
    // Plays frames [firstFrame, end) of `sound`, in frames of ring->frameBytes() bytes; a
    // partial last frame is not played.
    PlaybackFeed(PieceList sound, std::uint64_t firstFrame, std::shared_ptr<PlaybackRing> ring);
    // The same for a sound of `soundType` samples played in `playedType` (the ring's frames
    // are frames of that type). Float samples that are NaN or infinite are played as silence.
    PlaybackFeed(PieceList sound, std::uint64_t firstFrame, std::shared_ptr<PlaybackRing> ring,
                 SampleType soundType, SampleType playedType);

    const std::shared_ptr<PlaybackRing>& ring() const { return ring_; }
    // The frames the play plays in all.
    std::uint64_t totalFrames() const { return totalFrames_; }
    // Copies as much of what is left as the ring has room for; returns the frames added.
    std::size_t fill();

  private:
    // Copies the sound's bytes from `from` on into `out`, converted when the types differ.
    void copySound(std::uint64_t from, std::span<std::byte> out);

    PieceList sound_;
    std::shared_ptr<PlaybackRing> ring_;
    SampleType soundType_ = SampleType::S16;
    SampleType playedType_ = SampleType::S16;
    bool converts_ = false;
    std::uint64_t soundFrameBytes_ = 0;
    std::vector<std::uint8_t> scratch_;  // the sound's bytes on their way to conversion
    std::uint64_t totalFrames_ = 0;
    std::uint64_t next_ = 0;  // byte offset in the sound of the next frame to copy
    std::uint64_t end_ = 0;   // byte offset in the sound where the play ends
};

}  // namespace quorbel
