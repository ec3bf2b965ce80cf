#include <gtest/gtest.h>

#include "edit/clip_conversion.h"
#include "fakes/wav_builder.h"
#include "view/selection_math.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::Words;

TEST(EditSamples, BitDepthConversionsMapTheExtremesAndSilence) {
    EXPECT_EQ(WidenTo16Bits(Bytes{0, 128, 255}), Words({-32768, 0, 32512}));
    EXPECT_EQ(NarrowTo8Bits(Words({-32768, 0, 32767, -1})), (Bytes{0, 128, 255, 127}));
    // 16 -> 8 -> 16 loses the low byte.
    EXPECT_EQ(WidenTo16Bits(NarrowTo8Bits(Words({1000, -1000}))), Words({768, -1024}));
}

TEST(EditSamples, StereoToMonoAveragesEachFrameWithTheNextAndTheLastWithItself) {
    // 16 bit: frames (-3, -4), (8, 0), (1, 1).
    EXPECT_EQ(StereoToMono(Words({-3, -4, 8, 0, 1, 1}), 16), Words({0, 2, 1}));
    // Truncation toward zero: (-3 + -4 + -3 + -4) / 4 = -3.
    EXPECT_EQ(StereoToMono(Words({-3, -4}), 16), Words({-3}));
    // 8 bit around 128: frames (0, 0), (255, 255) -> (-128*2 + 127*2) / 4 = 0.
    EXPECT_EQ(StereoToMono(Bytes{0, 0, 255, 255}, 8), (Bytes{128, 255}));
    EXPECT_EQ(StereoToMono(Bytes{0, 0, 100}, 8), (Bytes{0})) << "a partial frame is dropped";
}

TEST(EditSamples, MonoToStereoWritesEachSampleTwice) {
    EXPECT_EQ(MonoToStereo(Bytes{1, 2}, 8), (Bytes{1, 1, 2, 2}));
    EXPECT_EQ(MonoToStereo(Words({300, -2}), 16), Words({300, 300, -2, -2}));
}

TEST(EditSamples, EveryLayoutConvertsInMonoAndStereoOnly) {
    EXPECT_TRUE(CanPasteBetween(SampleType::U8, 2, SampleType::S16, 1));
    EXPECT_TRUE(CanPasteBetween(SampleType::S24, 2, SampleType::S16, 2));
    EXPECT_TRUE(CanPasteBetween(SampleType::F32, 1, SampleType::S32, 2));
    EXPECT_TRUE(CanPasteBetween(SampleType::S16, 4, SampleType::S16, 4)) << "nothing to convert";
    EXPECT_FALSE(CanPasteBetween(SampleType::S16, 4, SampleType::S16, 2));
    EXPECT_FALSE(CanPasteBetween(SampleType::F32, 2, SampleType::S24, 3));
}

TEST(EditSamples, HandlePixelsAndMillisecondsBecomeWholeFrames) {
    // A 10000 ms sound: the initial handles give 0 and 10408 ms; the box's right edge one
    // millisecond less than the length.
    EXPECT_EQ(HandleMs(0, 10000), 0u);
    EXPECT_EQ(HandleMs(382, 10000), 10408u);
    EXPECT_EQ(HandleMs(367, 10000), 9999u);
    EXPECT_EQ(HandleMs(25, 0), 25u) << "a sound of length 0 counts a millisecond a pixel";
    // 16-bit mono at 22050 Hz: 13 ms is byte 573, inside a sample; it starts at 572.
    EXPECT_EQ(StartByteOf(13, 44100), 573u);
    EXPECT_EQ(WholeFrames(573, 2), 572u);
    EXPECT_EQ(WholeFrames(1199, 4), 1196u);
    EXPECT_EQ(WholeFrames(7, 0), 7u);
    // The end byte takes both factors in single precision: 558 ms of 1000 bytes/s.
    EXPECT_EQ(EndByteOf(558, 1000), 558u);
    EXPECT_EQ(EndByteOf(10408, 44100), 458992u);
}

}  // namespace
}  // namespace quorbel
