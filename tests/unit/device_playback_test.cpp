// What the device's plays hand to the output, byte for byte, as they go through the ring the
// device refills: over many refills, across a seek, and when the producer falls behind a real
// output.

#include <gtest/gtest.h>

#include "audio/null_backend.h"
#include "audio/playback_ring.h"
#include "audio/wave_device.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/wav_builder.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

// 8 frames a millisecond, and a ring of a few output buffers rather than half a second.
constexpr std::uint32_t kRate = 8000;
constexpr std::uint64_t kFramesPerMs = kRate / 1000;

std::string nameOf(const ::testing::TestParamInfo<SampleFormat>& info) {
    return std::to_string(info.param.bits) + "bit" + (info.param.channels == 1 ? "Mono" : "Stereo");
}

class DevicePlayback : public ::testing::TestWithParam<SampleFormat> {
  protected:
    void SetUp() override {
        backend.keepPlayedBytes(true);
        const StreamFormat format{kRate, GetParam().channels,
                                  GetParam().bits == 8 ? SampleType::U8 : SampleType::S16};
        ringFrames = playbackRingFrames(format, UINT64_MAX);
        // Three rings and a bit: the end falls in the middle of a ring.
        frames = 3 * ringFrames + 1234;
        ASSERT_NE(frames % ringFrames, 0u);
        sound.resize(frames * frameBytes());
        for (std::size_t i = 0; i < sound.size(); ++i) {
            sound[i] = static_cast<std::uint8_t>((i * 131 + i / 251) & 0xff);
        }
        const std::string path = dir.file("sound.wav");
        WriteBytes(path, SimpleWave(sound, GetParam().channels, GetParam().bits, kRate));
        ASSERT_EQ(devices.open(path, id), kDeviceOk);
    }

    std::size_t frameBytes() const { return GetParam().frame(); }
    // Frames [from, to) of the sound.
    Bytes soundFrames(std::uint64_t from, std::uint64_t to) const {
        return Bytes(sound.begin() + static_cast<std::ptrdiff_t>(from * frameBytes()),
                     sound.begin() + static_cast<std::ptrdiff_t>(to * frameBytes()));
    }
    Bytes silence(std::uint64_t count) const {
        return Bytes(count * frameBytes(), GetParam().bits == 8 ? 0x80 : 0x00);
    }
    Bytes played(std::size_t play) const {
        const auto all = backend.playedBytes();
        EXPECT_GT(all.size(), play);
        return all.size() > play ? FromStdBytes(all[play]) : Bytes{};
    }
    std::uint64_t positionFrames() {
        std::uint32_t ms = 0;
        EXPECT_EQ(devices.position(id, ms), kDeviceOk);
        return ms * kFramesPerMs;
    }
    void step(std::int64_t ms) {
        clock.advanceMillis(ms);
        devices.service();
    }
    // Moves the clock on in steps of `ms` until the play has ended, at most `limitMs` on.
    void runToTheEnd(std::int64_t ms, std::int64_t limitMs) {
        for (std::int64_t t = 0; t < limitMs && sink.count() == 0; t += ms) step(ms);
    }

    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeNotifySink sink;
    FakeTempDir dir;
    DeviceId id = 0;
    std::uint64_t ringFrames = 0;
    std::uint64_t frames = 0;
    Bytes sound;
};

TEST_P(DevicePlayback, PlaysExactlyTheSoundAcrossRefillsAndASeek) {
    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    for (int i = 0; i < 10; ++i) step(3);  // small steps: the ring only tops up
    EXPECT_EQ(positionFrames(), 30 * kFramesPerMs);
    // More than the ring holds at once: the device refills it until the output caught up.
    clock.advanceMillis(700);
    ASSERT_GT(700 * kFramesPerMs, ringFrames);
    EXPECT_EQ(positionFrames(), 730 * kFramesPerMs);  // the clock's position, nothing lost
    step(13);
    step(1);
    const std::uint64_t stoppedAt = 744 * kFramesPerMs;
    EXPECT_EQ(positionFrames(), stoppedAt);

    // Back to an earlier point: the first play ends there, the next plays on from the seek.
    ASSERT_EQ(devices.seekTo(id, 250), kDeviceOk);
    EXPECT_EQ(sink.codes(), std::vector<unsigned>{kNotifyAborted});
    EXPECT_EQ(played(0), soundFrames(0, stoppedAt));
    sink.clear();

    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    for (int i = 0; i < 5; ++i) step(1);
    step(2000);  // past the end in one step
    EXPECT_EQ(sink.codes(), std::vector<unsigned>{kNotifySuccessful});
    EXPECT_EQ(positionFrames(), frames / kFramesPerMs * kFramesPerMs);
    EXPECT_EQ(played(1), soundFrames(250 * kFramesPerMs, frames));

    LostSound lost;
    ASSERT_EQ(devices.takeLostSound(id, lost), kDeviceOk);
    EXPECT_FALSE(lost) << lost.frames << " frames lost";
}

TEST_P(DevicePlayback, OneStepOfAMinutePlaysItAllWithoutLoss) {
    ASSERT_EQ(devices.seekTo(id, 1), kDeviceOk);
    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    step(60'000);
    EXPECT_EQ(sink.codes(), std::vector<unsigned>{kNotifySuccessful});
    EXPECT_EQ(played(0), soundFrames(kFramesPerMs, frames));
    LostSound lost;
    ASSERT_EQ(devices.takeLostSound(id, lost), kDeviceOk);
    EXPECT_FALSE(lost);
}

TEST_P(DevicePlayback, AProducerThatFallsBehindARealOutputLeavesSilenceAndCountsIt) {
    backend.setPlaybackRealTime(true);
    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    for (int i = 0; i < 10; ++i) step(10);
    // The worker stalls for a second and a half: the output plays what the ring held, then
    // silence, and goes on with the sound where it left off once the ring is refilled.
    const std::uint64_t beforeStall = 100 * kFramesPerMs;
    clock.advanceMillis(1500);
    const std::uint64_t gap = 1500 * kFramesPerMs - ringFrames;
    devices.service();
    EXPECT_EQ(positionFrames(), beforeStall + ringFrames);  // only frames really played
    runToTheEnd(10, 10'000);
    ASSERT_EQ(sink.codes(), std::vector<unsigned>{kNotifySuccessful});

    Bytes expected = soundFrames(0, beforeStall + ringFrames);
    const Bytes quiet = silence(gap);
    expected.insert(expected.end(), quiet.begin(), quiet.end());
    const Bytes rest = soundFrames(beforeStall + ringFrames, frames);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(played(0), expected);

    LostSound lost;
    ASSERT_EQ(devices.takeLostSound(id, lost), kDeviceOk);
    EXPECT_FALSE(lost.recording);
    EXPECT_EQ(lost.dropouts, 1u);
    EXPECT_EQ(lost.frames, gap);
    EXPECT_EQ(lost.sampleRate, kRate);
}

TEST_P(DevicePlayback, AStopWhileTheRingIsDryKeepsThePositionOfTheLastFramePlayed) {
    backend.setPlaybackRealTime(true);
    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    clock.advanceMillis(2000);  // no refill at all: the first ring, then silence
    ASSERT_EQ(devices.stop(id), kDeviceOk);
    EXPECT_EQ(sink.codes(), std::vector<unsigned>{kNotifyAborted});
    EXPECT_EQ(positionFrames(), ringFrames / kFramesPerMs * kFramesPerMs);
    Bytes expected = soundFrames(0, ringFrames);
    const Bytes quiet = silence(2000 * kFramesPerMs - ringFrames);
    expected.insert(expected.end(), quiet.begin(), quiet.end());
    EXPECT_EQ(played(0), expected);
    LostSound lost;
    ASSERT_EQ(devices.takeLostSound(id, lost), kDeviceOk);
    EXPECT_EQ(lost.dropouts, 1u);
    EXPECT_EQ(lost.frames, 2000 * kFramesPerMs - ringFrames);
}

TEST_P(DevicePlayback, ASoundOfManyPiecesPlaysEveryByteInOrderAcrossTheirBoundaries) {
    // The sound cut into stretches of odd lengths, put back in another order with silence
    // between: many boundaries fall inside a refill, some inside a frame of a ring's end.
    LoadedSound whole;
    ASSERT_EQ(devices.sound(id, whole), kDeviceOk);
    const std::uint64_t f = frameBytes();
    PieceList pieces;
    for (std::uint64_t at = 0, n = 1; at < frames; at += n, n = n * 7 % 61 + 1) {
        const PieceList stretch = whole.data.Slice(at * f, std::min(at + n, frames) * f);
        pieces = n % 2 == 0 ? stretch.Then(pieces) : pieces.Then(stretch);
        if (n % 5 == 0) pieces = pieces.Then(PieceList::Silence(3 * f, silence(1)[0]));
    }
    ASSERT_GT(pieces.pieces().size(), 50u);
    LoadedSound many = whole;
    many.data = pieces;
    DeviceId manyId = 0;
    ASSERT_EQ(devices.reopenSound(id, "", many, manyId), kDeviceOk);
    ASSERT_EQ(devices.play(manyId, &sink), kDeviceOk);
    runToTheEnd(7, 600'000);
    EXPECT_EQ(sink.codes(), std::vector<unsigned>{kNotifySuccessful});
    EXPECT_EQ(played(0), BytesOf(pieces));
}

INSTANTIATE_TEST_SUITE_P(Formats, DevicePlayback, ::testing::ValuesIn(kSampleFormats), nameOf);

}  // namespace
}  // namespace quorbel
