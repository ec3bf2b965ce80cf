// The wave-audio device over the null backend with a manual clock.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/null_backend.h"
#include "audio/wave_device.h"
#include "fakes/device_save.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/piece_bytes.h"
#include "fakes/wav_builder.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
using Codes = std::vector<unsigned>;

class DeviceTest : public ::testing::Test {
  protected:
    // Opens a file holding `data` in the given layout; a rate of 1000 makes 1 frame = 1 ms.
    DeviceId openSound(const Bytes& data, std::uint16_t channels = 1, std::uint16_t bits = 8,
                       std::uint32_t rate = 1000, const std::string& name = "sound.wav") {
        const std::string path = dir.file(name);
        WriteBytes(path, SimpleWave(data, channels, bits, rate));
        DeviceId id = 0;
        const unsigned code = devices.open(path, id);
        EXPECT_EQ(code, kDeviceOk) << devices.errorText(code);
        return id;
    }
    std::uint32_t positionMs(DeviceId id) {
        std::uint32_t ms = 0;
        EXPECT_EQ(devices.position(id, ms), kDeviceOk);
        return ms;
    }
    std::uint32_t lengthMs(DeviceId id) {
        std::uint32_t ms = 0;
        EXPECT_EQ(devices.length(id, ms), kDeviceOk);
        return ms;
    }
    // The sound's bytes, as the device saves them.
    Bytes soundOf(DeviceId id) {
        const std::string path = dir.file("probe.wav");
        EXPECT_EQ(SaveDeviceSound(devices, id, path), kDeviceOk);
        return SavedData(ReadBytes(path));
    }

    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeNotifySink sink;
    FakeTempDir dir;
};

TEST_F(DeviceTest, PlayRunsToTheEndAndPostsSuccess) {
    const DeviceId id = openSound(Counting(1000));
    EXPECT_EQ(lengthMs(id), 1000u);
    ASSERT_EQ(devices.seekTo(id, 200), kDeviceOk);
    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    EXPECT_EQ(backend.lastPlaybackFormat(), (StreamFormat{1000, 1, SampleType::U8}));

    clock.advanceMillis(300);
    devices.service();
    EXPECT_EQ(positionMs(id), 500u);  // start + frames played
    EXPECT_TRUE(sink.codes().empty());

    clock.advanceMillis(500);
    devices.service();
    EXPECT_EQ(sink.notices(), (std::vector<FakeNotifySink::Notice>{{kNotifySuccessful, id}}));
    EXPECT_EQ(positionMs(id), 1000u);
    devices.service();
    EXPECT_EQ(sink.count(), 1u);
}

TEST_F(DeviceTest, PlayAtTheEndIsOverAtOnce) {
    const DeviceId id = openSound(Counting(10));
    devices.seekToEnd(id);
    ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
    EXPECT_EQ(sink.codes(), Codes{kNotifySuccessful});
    EXPECT_EQ(backend.playbacksStarted(), 0u);
}

TEST_F(DeviceTest, StopSeekAndCloseAbortAPlay) {
    const DeviceId id = openSound(Counting(1000));
    devices.play(id, &sink);
    clock.advanceMillis(120);
    ASSERT_EQ(devices.stop(id), kDeviceOk);
    EXPECT_EQ(sink.codes(), Codes{kNotifyAborted});
    EXPECT_EQ(positionMs(id), 120u);  // stays where the play stopped
    clock.advanceMillis(1000);
    devices.service();
    EXPECT_EQ(positionMs(id), 120u);

    devices.play(id, &sink);
    clock.advanceMillis(100);
    ASSERT_EQ(devices.seekTo(id, 50), kDeviceOk);
    EXPECT_EQ(sink.codes(), (Codes{kNotifyAborted, kNotifyAborted}));
    EXPECT_EQ(positionMs(id), 50u);

    devices.play(id, &sink);
    devices.seekToStart(id);
    EXPECT_EQ(positionMs(id), 0u);
    devices.play(id, &sink);
    devices.close(id);
    EXPECT_EQ(sink.codes(),
              (Codes{kNotifyAborted, kNotifyAborted, kNotifyAborted, kNotifyAborted}));
    EXPECT_EQ(devices.stop(id), kDeviceErrInvalidId);
}

TEST_F(DeviceTest, ASecondPlaySupersedesTheFirst) {
    const DeviceId id = openSound(Counting(100));
    FakeNotifySink first;
    devices.play(id, &first);
    clock.advanceMillis(40);
    devices.play(id, &sink);  // goes on from where the first one was
    EXPECT_EQ(first.codes(), Codes{kNotifySuperseded});
    clock.advanceMillis(60);
    devices.service();
    EXPECT_EQ(sink.codes(), Codes{kNotifySuccessful});
    EXPECT_EQ(first.count(), 1u);
}

TEST_F(DeviceTest, AStopAfterThePlayHasEndedStillCountsAsSuccess) {
    const DeviceId id = openSound(Counting(10));
    devices.play(id, &sink);
    clock.advanceMillis(50);
    devices.stop(id);  // before the worker noticed the end
    EXPECT_EQ(sink.codes(), Codes{kNotifySuccessful});
    EXPECT_EQ(positionMs(id), 10u);
}

TEST_F(DeviceTest, PlayAndRecordWithoutHardwareAreRefused) {
    const DeviceId id = openSound(Counting(10));
    backend.setOutputAvailable(false);
    backend.setInputAvailable(false);
    const unsigned play = devices.play(id, &sink);
    EXPECT_EQ(play, kDeviceErrNoOutput);
    EXPECT_EQ(devices.errorText(play), "no audio output device");
    const unsigned rec = devices.record(id, RecordMode::Insert, &sink);
    EXPECT_EQ(rec, kDeviceErrNoInput);
    EXPECT_EQ(devices.errorText(rec), "no audio input device");
    EXPECT_TRUE(sink.codes().empty());
    EXPECT_EQ(soundOf(id), Counting(10));
}

struct RecordCase {
    const char* name;
    std::uint16_t channels;
    std::uint16_t bits;
    RecordMode mode;
    std::uint32_t atFrame;
};

class DeviceRecordTest : public DeviceTest, public ::testing::WithParamInterface<RecordCase> {};

// Ten frames of sound, four frames recorded at the start, middle or end.
TEST_P(DeviceRecordTest, PutsExactlyTheCapturedFramesAtThePosition) {
    const RecordCase& c = GetParam();
    const std::size_t frameBytes = c.channels * c.bits / 8u;
    const Bytes original = Counting(10 * frameBytes, 1);
    const Bytes captured = Counting(4 * frameBytes, 0xA0);
    const DeviceId id = openSound(original, c.channels, c.bits);
    ASSERT_EQ(devices.seekTo(id, c.atFrame), kDeviceOk);

    backend.feedCapture(AsStdBytes(captured));
    ASSERT_EQ(devices.record(id, c.mode, &sink), kDeviceOk);
    EXPECT_EQ(backend.lastCaptureFormat(),
              (StreamFormat{1000, c.channels, c.bits == 8 ? SampleType::U8 : SampleType::S16}));
    clock.advanceMillis(2);
    devices.service();
    EXPECT_EQ(positionMs(id), c.atFrame + 2);
    clock.advanceMillis(2);
    ASSERT_EQ(devices.stop(id), kDeviceOk);
    EXPECT_EQ(sink.codes(), Codes{kNotifyAborted});

    const auto at = std::ptrdiff_t(c.atFrame * frameBytes);
    Bytes expected(original.begin(), original.begin() + at);
    expected.insert(expected.end(), captured.begin(), captured.end());
    const auto resume = c.mode == RecordMode::Insert
                            ? at
                            : std::min<std::ptrdiff_t>(at + std::ptrdiff_t(captured.size()),
                                                       std::ptrdiff_t(original.size()));
    expected.insert(expected.end(), original.begin() + resume, original.end());
    EXPECT_EQ(soundOf(id), expected);
    EXPECT_EQ(positionMs(id), c.atFrame + 4);
    EXPECT_EQ(lengthMs(id), expected.size() / frameBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DeviceRecordTest,
    ::testing::Values(RecordCase{"InsertStartMono8", 1, 8, RecordMode::Insert, 0},
                      RecordCase{"InsertMiddleMono8", 1, 8, RecordMode::Insert, 5},
                      RecordCase{"InsertEndMono8", 1, 8, RecordMode::Insert, 10},
                      RecordCase{"OverwriteStartMono8", 1, 8, RecordMode::Overwrite, 0},
                      RecordCase{"OverwriteMiddleMono8", 1, 8, RecordMode::Overwrite, 5},
                      RecordCase{"OverwritePastEndMono8", 1, 8, RecordMode::Overwrite, 8},
                      RecordCase{"OverwriteEndMono8", 1, 8, RecordMode::Overwrite, 10},
                      RecordCase{"InsertStartStereo16", 2, 16, RecordMode::Insert, 0},
                      RecordCase{"InsertMiddleStereo16", 2, 16, RecordMode::Insert, 5},
                      RecordCase{"InsertEndStereo16", 2, 16, RecordMode::Insert, 10},
                      RecordCase{"OverwriteStartStereo16", 2, 16, RecordMode::Overwrite, 0},
                      RecordCase{"OverwriteMiddleStereo16", 2, 16, RecordMode::Overwrite, 5},
                      RecordCase{"OverwritePastEndStereo16", 2, 16, RecordMode::Overwrite, 8},
                      RecordCase{"OverwriteEndStereo16", 2, 16, RecordMode::Overwrite, 10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, LengthGrowsWhileRecording) {
    const DeviceId id = openSound(Counting(10));
    devices.seekTo(id, 4);
    devices.record(id, RecordMode::Overwrite, &sink);
    clock.advanceMillis(3);
    EXPECT_EQ(lengthMs(id), 10u);  // still inside the old sound
    clock.advanceMillis(7);
    EXPECT_EQ(lengthMs(id), 14u);
    EXPECT_EQ(positionMs(id), 14u);
}

TEST_F(DeviceTest, ARecordingGoesOnPastWhatAPlainWaveFileHolds) {
    // 16-bit stereo at 1000 Hz, already past 4 GiB (silence: no memory), recorded onto its end.
    const std::uint64_t before = (std::uint64_t{1} << 32) + 40;
    LoadedSound sound;
    sound.fmt = FmtBody(2, 1000, 16);
    sound.format = {1000, 2, SampleType::S16};
    sound.data = PieceList::Silence(before, 0);
    DeviceId id = 0;
    ASSERT_EQ(devices.openSound("", std::move(sound), id), kDeviceOk);
    ASSERT_EQ(devices.seekToEnd(id), kDeviceOk);
    const Bytes captured = Counting(4 * 4, 0xA0);
    backend.feedCapture(AsStdBytes(captured));
    ASSERT_EQ(devices.record(id, RecordMode::Insert, &sink), kDeviceOk);
    clock.advanceMillis(4);
    ASSERT_EQ(devices.stop(id), kDeviceOk);
    LoadedSound after;
    ASSERT_EQ(devices.sound(id, after), kDeviceOk);
    ASSERT_EQ(after.data.size(), before + captured.size());
    EXPECT_EQ(BytesOf(after.data.Slice(before, after.data.size())), captured);
    EXPECT_EQ(lengthMs(id), before / 4 + 4);
}

TEST_F(DeviceTest, NewSoundRecordsCdQualityAndSilenceAfterTheFeed) {
    DeviceId id = 0;
    ASSERT_EQ(devices.open("", id), kDeviceOk);
    EXPECT_EQ(lengthMs(id), 0u);
    EXPECT_EQ(positionMs(id), 0u);
    backend.feedCapture(AsStdBytes(Counting(4 * 441)));
    ASSERT_EQ(devices.record(id, RecordMode::Insert, &sink), kDeviceOk);
    EXPECT_EQ(backend.lastCaptureFormat(), (StreamFormat{44100, 2, SampleType::S16}));
    clock.advanceMillis(20);  // 882 frames: 441 fed, 441 of silence
    devices.stop(id);
    Bytes expected = Counting(4 * 441);
    expected.resize(4 * 882, 0);
    EXPECT_EQ(soundOf(id), expected);
    EXPECT_EQ(lengthMs(id), 20u);
}

TEST_F(DeviceTest, EightBitSilenceIsTheMidValue) {
    const DeviceId id = openSound(Bytes{});
    devices.record(id, RecordMode::Insert, &sink);
    clock.advanceMillis(3);
    devices.stop(id);
    EXPECT_EQ(soundOf(id), Bytes(3, 0x80));
}

TEST_F(DeviceTest, PlayOrRecordSupersedesARecording) {
    const DeviceId id = openSound(Counting(10));
    FakeNotifySink recording;
    devices.record(id, RecordMode::Insert, &recording);
    clock.advanceMillis(5);
    devices.play(id, &sink);  // the recording is kept, the play starts after it
    EXPECT_EQ(recording.codes(), Codes{kNotifySuperseded});
    EXPECT_EQ(lengthMs(id), 15u);
    devices.record(id, RecordMode::Insert, &recording);
    EXPECT_EQ(sink.codes(), Codes{kNotifySuperseded});
    devices.close(id);
    EXPECT_EQ(recording.codes(), (Codes{kNotifySuperseded, kNotifyAborted}));
}

TEST_F(DeviceTest, SaveEndsARecordingAndIncludesIt) {
    const DeviceId id = openSound(Counting(6));
    devices.seekTo(id, 3);
    backend.feedCapture(AsStdBytes(Counting(2, 0xF0)));
    devices.record(id, RecordMode::Insert, &sink);
    clock.advanceMillis(2);
    const std::string path = dir.file("saved.wav");
    ASSERT_EQ(SaveDeviceSound(devices, id, path), kDeviceOk);
    EXPECT_EQ(sink.codes(), Codes{kNotifyAborted});
    EXPECT_EQ(ReadBytes(path), SimpleWave(Bytes{1, 2, 3, 0xF0, 0xF1, 4, 5, 6}, 1, 8, 1000));
    EXPECT_EQ(positionMs(id), 5u);
    clock.advanceMillis(10);  // the recording does not go on
    EXPECT_EQ(lengthMs(id), 8u);
}

TEST_F(DeviceTest, SavedFileOpensWithTheSameBytesAndFmt) {
    // An extensible fmt (40 bytes) and a 24-bit stereo sound survive a save unchanged.
    const Bytes fmt = ExtensibleFmt(1, 2, 48000, 24, 24);
    const Bytes pcm = Counting(6 * 7);
    const std::string path = dir.file("ext.wav");
    WriteBytes(path, BuildRiff({{"fmt ", fmt}, {"LIST", Counting(9)}, {"data", pcm}}));
    DeviceId id = 0;
    ASSERT_EQ(devices.open(path, id), kDeviceOk);
    const std::string copy = dir.file("copy.wav");
    ASSERT_EQ(SaveDeviceSound(devices, id, copy), kDeviceOk);
    EXPECT_EQ(ReadBytes(copy), BuildRiff({{"fmt ", fmt}, {"data", pcm}}));

    DeviceId reopened = 0;
    ASSERT_EQ(devices.open(copy, reopened), kDeviceOk);
    EXPECT_EQ(soundOf(reopened), pcm);
    devices.play(reopened, &sink);
    EXPECT_EQ(backend.lastPlaybackFormat(), (StreamFormat{48000, 2, SampleType::S24}));
}

TEST_F(DeviceTest, SaveDuringPlayLeavesThePlayRunning) {
    const DeviceId id = openSound(Counting(100));
    devices.play(id, &sink);
    clock.advanceMillis(30);
    EXPECT_EQ(soundOf(id), Counting(100));
    EXPECT_TRUE(sink.codes().empty());
    EXPECT_EQ(positionMs(id), 30u);
    clock.advanceMillis(70);
    devices.service();
    EXPECT_EQ(sink.codes(), Codes{kNotifySuccessful});
}

TEST_F(DeviceTest, SavingOverTheOpenFileWorks) {
    const DeviceId id = openSound(Counting(4));
    devices.seekToEnd(id);
    backend.feedCapture(AsStdBytes(Counting(2, 9)));
    devices.record(id, RecordMode::Insert, &sink);
    clock.advanceMillis(2);
    ASSERT_EQ(SaveDeviceSound(devices, id, dir.file("sound.wav")), kDeviceOk);
    EXPECT_EQ(ReadBytes(dir.file("sound.wav")),
              SimpleWave(Concat({Counting(4), Counting(2, 9)}), 1, 8, 1000));
}

TEST_F(DeviceTest, AnElementCanBeOpenOnlyOnce) {
    DeviceId empty = 0, again = 0;
    ASSERT_EQ(devices.open("", empty), kDeviceOk);
    EXPECT_EQ(devices.open("", again), kDeviceErrAlreadyOpen);
    EXPECT_EQ(again, 0u);
    EXPECT_EQ(devices.errorText(kDeviceErrAlreadyOpen),
              "A new sound is already open: save or close it first.");

    const DeviceId file = openSound(Counting(4), 1, 8, 1000, "a.wav");
    const std::string sameFile = dir.path().string() + "/./a.wav";
    EXPECT_EQ(devices.open(sameFile, again), kDeviceErrAlreadyOpen);
    EXPECT_EQ(devices.errorText(kDeviceErrAlreadyOpen),
              "The file " + sameFile + " is already open.");

    // After a close the element opens again, under a new id; closing twice is harmless.
    devices.close(empty);
    devices.close(empty);
    ASSERT_EQ(devices.open("", again), kDeviceOk);
    EXPECT_NE(again, empty);
    EXPECT_NE(again, file);
    EXPECT_EQ(devices.openCount(), 2u);
}

TEST_F(DeviceTest, RefusedFilesGiveTheirText) {
    const std::string notWave = dir.file("not.wav");
    WriteBytes(notWave, Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'});
    const std::string mp3 = dir.file("mp3.wav");
    WriteBytes(mp3, BuildRiff({{"fmt ", FmtBody(2, 44100, 0, {}, 0x55)}, {"data", Counting(8)}}));
    struct Case {
        std::string path;
        unsigned code;
        std::string text;
    } cases[] = {
        {dir.file("missing.wav"), kDeviceErrFileNotFound, "The file does not exist."},
        {notWave, kDeviceErrNotWave, "The file is not a RIFF WAVE file."},
        {mp3, kDeviceErrUnsupported,
         "Unsupported format: compressed audio (format tag 0x0055) cannot be played."},
        {dir.path().string(), kDeviceErrCannotRead,
         "Cannot read the file " + dir.path().string() + ": not a regular file but a folder"},
    };
    for (const Case& c : cases) {
        DeviceId id = 0;
        const unsigned code = devices.open(c.path, id);
        EXPECT_EQ(code, c.code) << c.path;
        EXPECT_EQ(devices.errorText(code), c.text);
    }
    EXPECT_EQ(devices.openCount(), 0u);
}

TEST_F(DeviceTest, EveryCodeHasAText) {
    for (unsigned code = 1; code < 400; ++code) EXPECT_FALSE(devices.errorText(code).empty());
    EXPECT_EQ(devices.errorText(kDeviceErrInvalidId), "The device is not open.");
    EXPECT_EQ(devices.errorText(9999), "Unknown device error (code 9999).");
}

TEST_F(DeviceTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    const DeviceId id = openSound(Counting(4));
    const std::string target = dir.file("missing-folder/out.wav");
    const unsigned code = SaveDeviceSound(devices, id, target);
    EXPECT_EQ(code, kDeviceErrCannotWrite);
    EXPECT_EQ(devices.errorText(code),
              "Cannot write the file " + target + ": No such file or directory");

    // A directory in the way of the target stays as it was.
    const std::string blocked = dir.file("blocked.wav");
    std::filesystem::create_directory(blocked);
    EXPECT_EQ(SaveDeviceSound(devices, id, blocked), kDeviceErrCannotWrite);
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(soundOf(id), Counting(4));
}

TEST_F(DeviceTest, MillisecondsRoundTripAtOddRates) {
    const DeviceId id = openSound(Counting(22050), 1, 8, 22050);
    EXPECT_EQ(lengthMs(id), 1000u);
    for (std::uint32_t ms : {1u, 7u, 333u, 999u}) {
        devices.seekTo(id, ms);
        EXPECT_EQ(positionMs(id), ms);
    }
    devices.seekTo(id, 5000);  // past the end: the end
    EXPECT_EQ(positionMs(id), 1000u);
}

TEST_F(DeviceTest, CommandsOnAClosedIdAreRefused) {
    std::uint32_t ms = 0;
    EXPECT_EQ(devices.length(77, ms), kDeviceErrInvalidId);
    EXPECT_EQ(devices.position(77, ms), kDeviceErrInvalidId);
    EXPECT_EQ(devices.play(77, &sink), kDeviceErrInvalidId);
    EXPECT_EQ(devices.record(77, RecordMode::Insert, &sink), kDeviceErrInvalidId);
    LoadedSound none;
    EXPECT_EQ(devices.sound(77, none), kDeviceErrInvalidId);
    EXPECT_EQ(
        devices.saveSound(77, dir.file("x.wav"), none, SaveDurability::Durable, nullptr, nullptr),
        kDeviceErrInvalidId);
    EXPECT_EQ(devices.setTimeFormatMilliseconds(77), kDeviceErrInvalidId);
    EXPECT_EQ(devices.close(77), kDeviceErrInvalidId);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.wav")));
}

TEST(DeviceNullBackend, EnvironmentSelectsIt) {
    const char* was = std::getenv(kAudioBackendVariable);
    const std::string saved = was ? was : "";
    ::setenv(kAudioBackendVariable, "null", 1);
    EXPECT_TRUE(nullAudioRequested());
    ::setenv(kAudioBackendVariable, "portaudio", 1);
    EXPECT_FALSE(nullAudioRequested());
    ::unsetenv(kAudioBackendVariable);
    EXPECT_FALSE(nullAudioRequested());
    if (was) ::setenv(kAudioBackendVariable, saved.c_str(), 1);
}

}  // namespace
}  // namespace quorbel
