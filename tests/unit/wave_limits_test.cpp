// The size limit of a plain WAVE file (its 32-bit RIFF size field) at its exact boundary, and
// the texts that refuse a sound past what the program holds.

#include "wavefile/wave_limits.h"

#include <gtest/gtest.h>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/wave_device.h"
#include "res/wave_messages.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

TEST(WaveLimits, TheMostSoundThatFitsBesideEachFormatRecord) {
    struct Case {
        std::uint64_t fmtBytes;
        std::uint64_t frameBytes;
        std::uint64_t most;
    };
    // 8 + RIFF size = the whole file; the RIFF size counts "WAVE", both chunk headers, the
    // records and a pad byte after each odd one. So a 16-byte record leaves 4294967259 bytes,
    // which as odd data would need a pad byte: 4294967258 is the most for 8-bit mono.
    const Case cases[] = {
        {16, 1, 4294967258u},                        // 8-bit mono
        {16, 2, 4294967258u},                        // 16-bit mono, 8-bit stereo
        {16, 4, 4294967256u},                        // 16-bit stereo
        {16, 3, 4294967256u},                        // 24-bit mono
        {18, 1, 4294967256u},                        // a record with cbSize
        {18, 4, 4294967256u}, {19, 3, 4294967253u},  // an odd record takes a pad byte too
        {40, 6, 4294967232u},                        // WAVE_FORMAT_EXTENSIBLE, 24-bit stereo
        {40, 8, 4294967232u},                        // WAVE_FORMAT_EXTENSIBLE, 32-bit stereo
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.fmtBytes << "-byte fmt, " << c.frameBytes << "-byte frames");
        EXPECT_EQ(MaxDataBytes(c.fmtBytes, c.frameBytes), c.most);
        EXPECT_EQ(c.most % c.frameBytes, 0u);
        EXPECT_TRUE(SoundFits(c.fmtBytes, c.most));
        EXPECT_LE(RiffSizeOf(c.fmtBytes, c.most), kMaxRiffSize);
        EXPECT_FALSE(SoundFits(c.fmtBytes, c.most + c.frameBytes));
    }
    EXPECT_EQ(RiffSizeOf(16, 4294967258u), 4294967294u);
    EXPECT_EQ(RiffSizeOf(16, 4294967259u), 4294967296u);
    EXPECT_FALSE(SoundFits(16, 4294967259u));
}

TEST(WaveLimits, TheWrittenLayoutsRiffSizeStopsAtTheLimit) {
    // Without a pad byte after odd data: the RIFF size does not count one.
    EXPECT_EQ(WaveRiffSizeFor(16, 1000), 1036u);
    EXPECT_EQ(WaveRiffSizeFor(16, 1001), 1037u);
    EXPECT_EQ(WaveRiffSizeFor(17, 1000), 1038u);
    EXPECT_EQ(WaveRiffSizeFor(16, 4294967258u), 4294967294u);
    EXPECT_EQ(WaveRiffSizeFor(16, 4294967259u), 4294967295u);
    EXPECT_EQ(WaveRiffSizeFor(16, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

TEST(WaveLimits, CheckSoundFitsNamesTheSizeAndTheMostWholeFramesThatFit) {
    const std::uint8_t stereo16[16] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
    // Past a plain WAVE file is fine now: it is saved as RF64.
    EXPECT_EQ(CheckSoundFits("/w/a.wav", stereo16, 4294967260u), std::nullopt);
    EXPECT_EQ(CheckSoundFits("/w/a.wav", stereo16, kMaxSoundBytes), std::nullopt);
    const WaveError refused = CheckSoundFits("/w/a.wav", stereo16, kMaxSoundBytes + 4);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, WaveFault::SoundTooLarge);
    EXPECT_EQ(refused->path, "/w/a.wav");
    EXPECT_EQ(MessageFor(*refused),
              (UserMessage{"Cannot write the file /w/a.wav: the sound is too large for a WAVE "
                           "file (4611686018427387908 bytes of sound, and at most "
                           "4611686018427387904 fit with this format).",
                           MessageStyle::Error}));
}

TEST(WaveLimits, TheDevicesGenericTextGivesTheLimitInBytes) {
    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    EXPECT_EQ(devices.errorText(kDeviceErrTooLarge),
              "The sound is too large: a sound holds at most 4611686018427387904 bytes.");
}

TEST(WaveLimits, AHeaderThatSaysTooLittleOrNothingTakesEveryWholeFramePresent) {
    const std::uint64_t past4GiB = (std::uint64_t{5} << 30) + 3;
    // declared, present, frame: bytes taken
    const std::tuple<std::uint32_t, std::uint64_t, std::uint64_t, std::uint64_t> cases[] = {
        {1000, 2000, 4, 1000},                     // a finished header
        {0, 2001, 4, 2000},                        // never finished
        {0xFFFFFFFFu, past4GiB, 4, past4GiB - 3},  // a recording past 4 GiB
        {3000, 2002, 2, 2002},                     // cut short
    };
    for (const auto& [declared, present, frame, taken] : cases)
        EXPECT_EQ(DataBytesPresent(declared, present, frame), taken) << declared;
}

}  // namespace
}  // namespace quorbel
