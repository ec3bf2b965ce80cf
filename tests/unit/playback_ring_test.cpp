// The ring a play takes its frames from: whole frames, wrap-around, empty and full, and the
// producer and consumer on two threads.

#include "audio/playback_ring.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "audio/clock.h"
#include "audio/null_backend.h"

namespace quorbel {
namespace {

// `frames` frames of `frameBytes` bytes, each byte telling its frame and its place in it.
std::vector<std::byte> framesFrom(std::size_t first, std::size_t frames, std::size_t frameBytes) {
    std::vector<std::byte> out;
    for (std::size_t f = first; f < first + frames; ++f) {
        for (std::size_t b = 0; b < frameBytes; ++b) {
            out.push_back(static_cast<std::byte>((f * 7 + b * 3 + 1) & 0xff));
        }
    }
    return out;
}

TEST(PlaybackRing, StartsEmptyAndRefusesWhatDoesNotFit) {
    PlaybackRing ring(4, 3);
    EXPECT_EQ(ring.capacityFrames(), 3u);
    EXPECT_EQ(ring.readableFrames(), 0u);
    EXPECT_EQ(ring.writableFrames(), 3u);
    std::vector<std::byte> out(16, std::byte{0xee});
    EXPECT_EQ(ring.read(out), 0u);
    EXPECT_EQ(out, std::vector<std::byte>(16, std::byte{0xee})) << "an empty ring wrote bytes";

    const auto five = framesFrom(0, 5, 4);
    EXPECT_EQ(ring.write(five), 3u);  // full after three
    EXPECT_EQ(ring.writableFrames(), 0u);
    EXPECT_EQ(ring.readableFrames(), 3u);
    EXPECT_EQ(ring.write(five), 0u);
    EXPECT_EQ(ring.read(out), 3u);
    out.resize(12);
    EXPECT_EQ(out, framesFrom(0, 3, 4));
    EXPECT_EQ(ring.readableFrames(), 0u);
    EXPECT_EQ(ring.writableFrames(), 3u);
}

TEST(PlaybackRing, MovesOnlyWholeFrames) {
    PlaybackRing ring(4, 8);
    const auto bytes = framesFrom(0, 3, 4);
    // Ten bytes are two frames and a half: the half stays out.
    EXPECT_EQ(ring.write(std::span(bytes).first(10)), 2u);
    EXPECT_EQ(ring.readableFrames(), 2u);
    // Seven bytes of room take one frame; the other stays queued, untouched.
    std::vector<std::byte> out(7, std::byte{0xee});
    EXPECT_EQ(ring.read(out), 1u);
    EXPECT_EQ(std::vector<std::byte>(out.begin(), out.begin() + 4), framesFrom(0, 1, 4));
    EXPECT_EQ(std::vector<std::byte>(out.begin() + 4, out.end()),
              std::vector<std::byte>(3, std::byte{0xee}));
    std::vector<std::byte> rest(4);
    EXPECT_EQ(ring.read(rest), 1u);
    EXPECT_EQ(rest, framesFrom(1, 1, 4));
}

TEST(PlaybackRing, WrapsAroundInOrderAtEveryOffset) {
    // Capacity 5 frames of 3 bytes; writes of 3 and reads of 2 frames put the wrap-around at
    // every place in turn, and the frames still come out as they went in.
    for (const std::size_t frameBytes : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(frameBytes);
        PlaybackRing ring(frameBytes, 5);
        std::size_t written = 0;
        std::size_t read = 0;
        std::vector<std::byte> got;
        for (int round = 0; round < 40; ++round) {
            const auto chunk = framesFrom(written, 3, frameBytes);
            written += ring.write(chunk);
            std::vector<std::byte> out(2 * frameBytes);
            const std::size_t n = ring.read(out);
            read += n;
            got.insert(got.end(), out.begin(), out.begin() + n * frameBytes);
            EXPECT_EQ(ring.readableFrames(), written - read);
            EXPECT_LE(written - read, 5u);
        }
        EXPECT_GT(read, 40u);
        EXPECT_EQ(got, framesFrom(0, read, frameBytes));
    }
}

TEST(PlaybackRing, LendsTheSpaceAcrossTheWrapAsTwoSpansOfWholeFrames) {
    PlaybackRing ring(2, 4);
    ASSERT_EQ(ring.write(framesFrom(0, 3, 2)), 3u);
    std::vector<std::byte> out(4);
    ASSERT_EQ(ring.read(out), 2u);  // one frame queued at frame 2, free: 3, 0, 1

    std::vector<std::size_t> regions;
    const std::size_t added = ring.produce(10, [&](std::span<std::byte> place) {
        regions.push_back(place.size());
        std::fill(place.begin(), place.end(), std::byte{0x55});
    });
    EXPECT_EQ(added, 3u);
    EXPECT_EQ(regions, (std::vector<std::size_t>{2, 4}));  // frame 3, then frames 0 and 1

    regions.clear();
    std::vector<std::byte> taken;
    const std::size_t n = ring.consume(3, [&](std::span<const std::byte> queued) {
        regions.push_back(queued.size());
        taken.insert(taken.end(), queued.begin(), queued.end());
    });
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(regions, (std::vector<std::size_t>{4, 2}));  // frames 2 and 3, then frame 0
    std::vector<std::byte> expected = framesFrom(2, 1, 2);
    expected.insert(expected.end(), 4, std::byte{0x55});
    EXPECT_EQ(taken, expected);
    EXPECT_EQ(ring.readableFrames(), 1u);
}

TEST(PlaybackRing, ProducerAndConsumerThreadsPassEveryFrameInOrder) {
    constexpr std::size_t kFrames = 200000;
    constexpr std::size_t kFrameBytes = 4;
    PlaybackRing ring(kFrameBytes, 1000);
    const auto all = framesFrom(0, kFrames, kFrameBytes);
    std::thread producer([&] {
        std::size_t done = 0;
        while (done < kFrames) {
            const std::size_t step = std::min<std::size_t>(kFrames - done, 1 + done % 317);
            done += ring.write(std::span(all).subspan(done * kFrameBytes, step * kFrameBytes));
        }
    });
    std::vector<std::byte> got;
    got.reserve(all.size());
    std::vector<std::byte> out(512 * kFrameBytes);
    while (got.size() < all.size()) {
        const std::size_t n = ring.read(std::span(out).first((1 + got.size() % 511) * kFrameBytes));
        got.insert(got.end(), out.begin(), out.begin() + n * kFrameBytes);
    }
    producer.join();
    EXPECT_EQ(got, all);
}

TEST(PlaybackRing, HoldsHalfASecondOrAFewBuffersButNoMoreThanThePlay) {
    EXPECT_EQ(playbackRingFrames({44100, 2, SampleType::S16}, 1'000'000), 22050u);
    EXPECT_EQ(playbackRingFrames({96000, 1, SampleType::U8}, 1'000'000), 48000u);
    // At 8000 Hz half a second is only four thousand frames: a few buffers of the output.
    EXPECT_EQ(playbackRingFrames({8000, 1, SampleType::U8}, 1'000'000), 4096u);
    EXPECT_EQ(playbackRingFrames({44100, 2, SampleType::S16}, 300), 300u);
    EXPECT_EQ(playbackRingFrames({44100, 2, SampleType::S16}, 0), 1u);
}

TEST(PlaybackRing, ASoundInMemoryPlaysWholeFromOneRing) {
    ManualClock clock;
    NullAudioBackend backend(clock);
    backend.keepPlayedBytes(true);
    const StreamFormat format{1000, 2, SampleType::S16};
    auto bytes = framesFrom(0, 250, 4);
    bytes.push_back(std::byte{0x7f});  // a partial frame: not played
    std::string error;
    auto play = startPlaybackOfBytes(backend, format, bytes, error);
    ASSERT_NE(play, nullptr) << error;
    clock.advanceMillis(10'000);  // nobody refills: the ring holds it all
    EXPECT_TRUE(play->finished());
    EXPECT_EQ(play->framesPlayed(), 250u);
    EXPECT_EQ(play->framesLost(), 0u);
    ASSERT_EQ(backend.playedBytes().size(), 1u);
    EXPECT_EQ(backend.playedBytes()[0], framesFrom(0, 250, 4));

    auto empty = startPlaybackOfBytes(backend, format, {}, error);
    ASSERT_NE(empty, nullptr) << error;
    EXPECT_TRUE(empty->finished());
    EXPECT_EQ(empty->framesPlayed(), 0u);
}

TEST(PlaybackRing, ABackendRefusesARingOfAnotherFrameSize) {
    ManualClock clock;
    NullAudioBackend backend(clock);
    std::string error;
    EXPECT_EQ(backend.startPlayback({1000, 2, SampleType::S16},
                                    std::make_shared<PlaybackRing>(2, 8), 8, error),
              nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(backend.startPlayback({1000, 2, SampleType::S16}, nullptr, 8, error), nullptr);
}

}  // namespace
}  // namespace quorbel
