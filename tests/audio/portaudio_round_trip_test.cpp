// Plays generated tones on the default output and records them back from the sound server's
// monitor at the same time, then checks the recorded samples themselves: complete, at the
// right pitch, on the right channel, without gaps. Runs against the private PulseAudio null
// sink that scripts/test.sh starts; skips with the reason when there is none.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "audio/playback_ring.h"
#include "audio/portaudio/portaudio_backend.h"
#include "round_trip.h"
#include "tone.h"

namespace quorbel::test {
namespace {

constexpr double kAmplitude = 0.5;
constexpr double kRate = 44100;

class PortAudioRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string why = realAudioUnavailable(backend_);
        if (!why.empty()) GTEST_SKIP() << why;
    }

    // Checks one recorded channel holds the whole tone, clean.
    void expectCleanTone(const std::vector<double>& x, double hz, double seconds,
                         const char* what) {
        SCOPED_TRACE(what);
        const ToneReport t = analyseTone(x, kRate, hz, kAmplitude);
        ASSERT_TRUE(t.found) << "nothing arrived";
        EXPECT_NEAR(t.seconds, seconds, 0.005) << "the tone arrived incomplete or stretched";
        EXPECT_NEAR(t.hz, hz, hz * 0.002);
        EXPECT_GT(t.purity, 0.98) << "other frequencies mixed in";
        EXPECT_NEAR(t.rms, kAmplitude / std::sqrt(2.0), 0.05);
        EXPECT_EQ(t.longestGapMs, 0) << "audio dropped inside the tone";
        EXPECT_LT(t.worstStepRatio, 1.6) << "a discontinuity inside the tone";
        std::printf("[ figures  ] %s: %.4f s, %.2f Hz, purity %.4f, worst step %.2f\n", what,
                    t.seconds, t.hz, t.purity, t.worstStepRatio);
    }

    void reportLatency(const RoundTrip& r, const std::vector<double>& left) {
        const ToneReport t = analyseTone(left, kRate, 440, kAmplitude);
        if (!t.found) return;
        const double offsetMs =
            1000.0 * (static_cast<double>(t.first) - static_cast<double>(r.framesBeforePlay)) /
            kRate;
        std::printf("[ figures  ] round-trip offset %.1f ms, underruns %llu, overruns %llu\n",
                    offsetMs, static_cast<unsigned long long>(r.underruns),
                    static_cast<unsigned long long>(r.overruns));
        RecordProperty("round_trip_ms", static_cast<int>(offsetMs));
        RecordProperty("underruns", static_cast<int>(r.underruns));
    }

    PortAudioBackend backend_;
};

TEST_F(PortAudioRoundTrip, EightBitMonoArrivesWholeOnBothChannels) {
    const StreamFormat format{22050, 1, SampleType::U8};
    const RoundTrip r =
        playAndRecord(backend_, {{format, makeTone(format, 1.0, {441}, kAmplitude)}});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.allFinished);
    const auto left = channelOf(r.samples, 2, 0);
    expectCleanTone(left, 441, 1.0, "8-bit mono, left");
    expectCleanTone(channelOf(r.samples, 2, 1), 441, 1.0, "8-bit mono, right");
    reportLatency(r, left);
}

TEST_F(PortAudioRoundTrip, SixteenBitStereoKeepsItsChannelsApart) {
    const StreamFormat format{44100, 2, SampleType::S16};
    const RoundTrip r =
        playAndRecord(backend_, {{format, makeTone(format, 1.0, {440, 660}, kAmplitude)}});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.allFinished);
    EXPECT_EQ(r.framesHeardAtEnd, 44100u);
    const auto left = channelOf(r.samples, 2, 0);
    expectCleanTone(left, 440, 1.0, "16-bit stereo, left");
    expectCleanTone(channelOf(r.samples, 2, 1), 660, 1.0, "16-bit stereo, right");
    reportLatency(r, left);
}

TEST_F(PortAudioRoundTrip, EveryFrameArrivesOnceInOrderBitForBit) {
    // At the sink's own rate and type the server passes samples unchanged, so each frame can
    // carry its own index: left = index % 30000 + 1, right = index / 30000 + 1 (never 0).
    const StreamFormat format{44100, 2, SampleType::S16};
    constexpr int kFrames = 44100;
    std::vector<std::int16_t> coded(2 * kFrames);
    for (int i = 0; i < kFrames; ++i) {
        coded[2 * static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % 30000 + 1);
        coded[2 * static_cast<std::size_t>(i) + 1] = static_cast<std::int16_t>(i / 30000 + 1);
    }
    const auto bytes = std::as_bytes(std::span(coded));
    const RoundTrip r =
        playAndRecord(backend_, {{format, std::vector<std::byte>(bytes.begin(), bytes.end())}});
    ASSERT_EQ(r.error, "");

    std::vector<int> indices;  // of every non-silent frame recorded
    for (std::size_t f = 0; f + 1 < r.samples.size(); f += 2) {
        if (r.samples[f] != 0 || r.samples[f + 1] != 0)
            indices.push_back((r.samples[f + 1] - 1) * 30000 + r.samples[f] - 1);
    }
    ASSERT_EQ(indices.size(), static_cast<std::size_t>(kFrames));
    int outOfPlace = 0;
    for (int i = 0; i < kFrames; ++i) outOfPlace += indices[static_cast<std::size_t>(i)] != i;
    EXPECT_EQ(outOfPlace, 0);
}

TEST_F(PortAudioRoundTrip, ConvertedStreamsPlayAndRecordTheSame) {
    // Runs both directions in float on the device, as when it refuses the sound's own type.
    PortAudioOptions options;
    options.deviceSampleType = SampleType::F32;
    PortAudioBackend floatBackend(options);
    const StreamFormat format{22050, 1, SampleType::U8};
    const RoundTrip r =
        playAndRecord(floatBackend, {{format, makeTone(format, 1.0, {441}, kAmplitude)}});
    ASSERT_EQ(r.error, "");
    expectCleanTone(channelOf(r.samples, 2, 0), 441, 1.0, "8-bit via float, left");
}

TEST_F(PortAudioRoundTrip, SeveralStreamsPlayAtOnce) {
    // One sound only on the left, another of a different type and rate only on the right.
    const StreamFormat a{44100, 2, SampleType::S16};
    const StreamFormat b{48000, 2, SampleType::F32};
    const RoundTrip r = playAndRecord(backend_, {{a, makeTone(a, 1.0, {440, 0}, kAmplitude)},
                                                 {b, makeTone(b, 1.0, {0, 660}, kAmplitude)}});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.allFinished);
    expectCleanTone(channelOf(r.samples, 2, 0), 440, 1.0, "first stream, left");
    expectCleanTone(channelOf(r.samples, 2, 1), 660, 1.0, "second stream, right");
    std::printf("[ figures  ] two streams: underruns %llu, overruns %llu\n",
                static_cast<unsigned long long>(r.underruns),
                static_cast<unsigned long long>(r.overruns));
}

TEST_F(PortAudioRoundTrip, StopEndsTheSoundPromptly) {
    const StreamFormat format{44100, 2, SampleType::S16};
    const RoundTrip r =
        playAndRecord(backend_, {{format, makeTone(format, 3.0, {440, 440}, kAmplitude)}}, 300);
    ASSERT_EQ(r.error, "");
    EXPECT_FALSE(r.allFinished);
    EXPECT_LT(r.stopCallMs, 100);
    EXPECT_GT(r.framesPlayedAtStop, 0u);
    EXPECT_LT(r.framesPlayedAtStop, 44100u);
    EXPECT_EQ(r.framesPlayedLater, r.framesPlayedAtStop) << "the cursor moved after stop()";
    const ToneReport t = analyseTone(channelOf(r.samples, 2, 0), kRate, 440, kAmplitude);
    ASSERT_TRUE(t.found);
    // Played 300 ms plus at most what was queued in the output when stop() came.
    EXPECT_GT(t.seconds, 0.2);
    EXPECT_LT(t.seconds, 0.8) << "the sound went on after stop()";
    // The heard position at the stop is what the recording holds; the played one runs ahead by
    // the output's queue.
    const double heard = static_cast<double>(r.framesHeardAtStop) / kRate;
    EXPECT_NEAR(heard, t.seconds, 0.03);
    std::printf(
        "[ figures  ] stop() took %.1f ms; %.3f s of the tone sounded; position heard %.3f s, "
        "handed out %.3f s\n",
        r.stopCallMs, t.seconds, heard, static_cast<double>(r.framesPlayedAtStop) / kRate);
}

TEST_F(PortAudioRoundTrip, EmptySoundFinishesAtOnce) {
    std::string error;
    auto play = startPlaybackOfBytes(backend_, {44100, 2, SampleType::S16}, {}, error);
    ASSERT_NE(play, nullptr) << error;
    for (int i = 0; i < 200 && !play->finished(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(play->finished());
    EXPECT_EQ(play->framesPlayed(), 0u);
    play->stop();
    play->stop();
}

}  // namespace
}  // namespace quorbel::test

namespace quorbel::test {
namespace {

TEST_F(PortAudioRoundTrip, CaptureLeftUndrainedCountsItsDropsAndKeepsWhatItHeld) {
    PortAudioOptions options;
    options.captureRingSeconds = 0.05;
    PortAudioBackend smallRing(options);
    std::string error;
    auto capture = smallRing.startCapture(kCaptureFormat, error);
    ASSERT_NE(capture, nullptr) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    capture->stop();
    EXPECT_GT(capture->overruns(), 0u);
    // Up to 400 ms heard (less the stream's start), 50 ms kept: the rest is counted as lost.
    EXPECT_GT(capture->framesLost(), 44100u / 5);
    EXPECT_LT(capture->framesLost(), 44100u * 4 / 10);
    // After stop() the ring still gives what it held: 50 ms, in whole frames.
    std::vector<std::byte> out(kCaptureFormat.bytesPerFrame() * 44100);
    const std::size_t got = capture->read(out);
    EXPECT_EQ(got, 2205 * kCaptureFormat.bytesPerFrame());
    EXPECT_EQ(capture->read(out), 0u);
}

}  // namespace
}  // namespace quorbel::test
