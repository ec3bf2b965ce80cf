#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace quorbel {

// How samples are stored in a sound's bytes.
enum class SampleType { U8, S16, S24, S32, F32 };

struct StreamFormat {
    std::uint32_t sampleRate = 44100;
    std::uint16_t channels = 2;
    SampleType type = SampleType::S16;

    std::size_t bytesPerSample() const {
        switch (type) {
            case SampleType::U8:
                return 1;
            case SampleType::S16:
                return 2;
            case SampleType::S24:
                return 3;
            default:
                return 4;
        }
    }
    std::size_t bytesPerFrame() const { return bytesPerSample() * channels; }
    friend bool operator==(const StreamFormat&, const StreamFormat&) = default;
};

class PlaybackRing;

// A running playback. The audio thread takes the frames to play from the ring handed to
// startPlayback and reads nothing else; a producer (the device's worker) keeps the ring filled.
// When the ring runs dry before the end, the output plays silence for the frames missing and
// counts them lost, and goes on with the next frames once they come.
class PlaybackStream {
  public:
    virtual ~PlaybackStream() = default;
    // Frames taken from the ring and handed to the output so far.
    virtual std::uint64_t framesPlayed() const = 0;
    // Frames that have reached the listener so far: framesPlayed() less what is still queued in
    // the output. Follows the sound where the output's delay is known, else framesPlayed().
    virtual std::uint64_t framesHeard() const { return framesPlayed(); }
    // True once every frame has been played out.
    virtual bool finished() const = 0;
    // Output underruns seen so far (from the backend's status flags, and each run of buffers
    // the ring could not fill).
    virtual std::uint64_t underruns() const = 0;
    // Frames of sound the listener missed in those underruns (one buffer per underrun where
    // the backend cannot tell more exactly; exact for a ring that ran dry).
    virtual std::uint64_t framesLost() const = 0;
    // For a stream without an audio thread of its own (the null backend): takes from the ring
    // what is due by now, and returns true when the ring ran dry before the stream caught up,
    // so that the producer refills it and calls again. A stream whose audio thread takes
    // frames in real time does nothing and returns false.
    virtual bool catchUp() { return false; }
    // Stops at once; framesPlayed() then stays where it was. Safe to call twice.
    virtual void stop() = 0;
};

// A running capture. The audio thread writes into a lock-free single-producer/single-consumer
// ring; the consumer (the device's worker or the UI thread) drains it with read().
class CaptureStream {
  public:
    virtual ~CaptureStream() = default;
    // Moves up to out.size() bytes (whole frames only) of captured audio into `out`, in the
    // format asked of startCapture. Returns the byte count moved.
    virtual std::size_t read(std::span<std::byte> out) = 0;
    // Input overruns seen so far (from the backend's status flags or a full ring).
    virtual std::uint64_t overruns() const = 0;
    // Captured frames dropped in those overruns (exact for a full ring, one buffer per overrun
    // the backend reports).
    virtual std::uint64_t framesLost() const = 0;
    // Stops the capture; audio captured before stop() can still be read. Safe to call twice.
    virtual void stop() = 0;
};

// The sound output and input the wave-audio device uses: PortAudio for real, a clock-driven
// null backend in tests and when QUORBEL_AUDIO=null.
class AudioBackend {
  public:
    virtual ~AudioBackend() = default;
    // Starts playing `totalFrames` frames in `format`, taken from `ring` (whose frames are
    // frames of `format`) as the producer puts them there; what the ring holds already plays
    // at once. Returns null and sets `error` to a printable text when it cannot (e.g. "no
    // audio output device").
    virtual std::unique_ptr<PlaybackStream> startPlayback(const StreamFormat& format,
                                                          std::shared_ptr<PlaybackRing> ring,
                                                          std::uint64_t totalFrames,
                                                          std::string& error) = 0;
    // The sample type the output plays sound of `format` in: its own where the output takes
    // it, else one it does take. The producer converts to it (never the audio thread), and
    // starts the playback in that type.
    virtual SampleType playbackType(const StreamFormat& format) { return format.type; }
    // Starts capturing in `format`. Returns null and sets `error` when it cannot (e.g. "no
    // audio input device").
    virtual std::unique_ptr<CaptureStream> startCapture(const StreamFormat& format,
                                                        std::string& error) = 0;
};

}  // namespace quorbel
