#include "audio/playback_ring.h"

#include <cstring>
#include <vector>

#include "audio/sample_values.h"

namespace quorbel {

namespace {

// Half a second: far more than the device's worker, which refills every few milliseconds,
// can fall behind, yet small beside any sound worth streaming.
constexpr double kRingSeconds = 0.5;
// Four of the PortAudio backend's 1024-frame buffers, for low sample rates where half a
// second is only a few buffers.
constexpr std::size_t kMinRingFrames = 4 * 1024;

}  // namespace

PlaybackRing::PlaybackRing(std::size_t frameBytes, std::size_t capacityFrames)
    : frameBytes_(std::max<std::size_t>(frameBytes, 1)),
      capacity_(std::max<std::size_t>(capacityFrames, 1)),
      storage_(std::make_unique<std::byte[]>(frameBytes_ * capacity_)) {}

std::size_t PlaybackRing::write(std::span<const std::byte> bytes) {
    std::size_t done = 0;
    return produce(bytes.size() / frameBytes_, [&](std::span<std::byte> place) {
        std::memcpy(place.data(), bytes.data() + done, place.size());
        done += place.size();
    });
}

std::size_t PlaybackRing::read(std::span<std::byte> out) {
    std::size_t done = 0;
    return consume(out.size() / frameBytes_, [&](std::span<const std::byte> queued) {
        std::memcpy(out.data() + done, queued.data(), queued.size());
        done += queued.size();
    });
}

std::size_t playbackRingFrames(const StreamFormat& format, std::uint64_t totalFrames) {
    const auto halfSecond = static_cast<std::size_t>(kRingSeconds * format.sampleRate + 0.5);
    const std::size_t wanted = std::max(halfSecond, kMinRingFrames);
    return static_cast<std::size_t>(
        std::max<std::uint64_t>(1, std::min<std::uint64_t>(wanted, totalFrames)));
}

std::unique_ptr<PlaybackStream> startPlaybackOfBytes(AudioBackend& backend,
                                                     const StreamFormat& format,
                                                     std::span<const std::byte> bytes,
                                                     std::string& error) {
    const std::size_t frameBytes = format.bytesPerFrame();
    const std::size_t frames = frameBytes == 0 ? 0 : bytes.size() / frameBytes;
    // Converted here, before the stream starts, when the output takes another type.
    StreamFormat played = format;
    played.type = backend.playbackType(format);
    auto ring = std::make_shared<PlaybackRing>(played.bytesPerFrame(), frames);
    if (played.type == format.type) {
        ring->write(bytes.first(frames * frameBytes));
    } else {
        std::vector<std::uint8_t> converted(frames * played.bytesPerFrame());
        ConvertSampleRun({reinterpret_cast<const std::uint8_t*>(bytes.data()), frames * frameBytes},
                         format.type, converted, played.type);
        ring->write(std::as_bytes(std::span<const std::uint8_t>(converted)));
    }
    return backend.startPlayback(played, std::move(ring), frames, error);
}

}  // namespace quorbel
