// A recording's spool file, over the null backend with a manual clock: it holds exactly the
// recorded part, counts in its header only what was synced while the recording runs, is
// complete once the command that ended the recording returns, and its failures leave the
// recording in memory and are reported when it ends.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "audio/null_backend.h"
#include "audio/sound_file_reader.h"
#include "audio/wave_device.h"
#include "fakes/device_save.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/piece_bytes.h"
#include "fakes/wav_builder.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

enum class Ending { Stop, Close, Save, Sound, Play, Record, Seek };

class SpoolTest : public ::testing::Test {
  protected:
    // A sound of `frames` frames at 1000 Hz (1 frame = 1 ms), positioned at `at`.
    DeviceId openSound(std::uint16_t channels, std::uint16_t bits, std::size_t frames,
                       std::uint32_t at = 0) {
        const std::string path = dir.file("sound.wav");
        WriteBytes(path, SimpleWave(Counting(frames * channels * bits / 8), channels, bits, 1000));
        DeviceId id = 0;
        EXPECT_EQ(devices.open(path, id), kDeviceOk);
        EXPECT_EQ(devices.seekTo(id, at), kDeviceOk);
        return id;
    }
    // Starts a recording into `spool` and drains `ms` of it; the recording goes on.
    void recordFor(DeviceId id, RecordMode mode, const std::string& spool, std::int64_t ms) {
        ASSERT_EQ(devices.record(id, mode, &sink, spool), kDeviceOk);
        clock.advanceMillis(ms);
        devices.service();
    }
    unsigned end(DeviceId id, Ending ending) {
        LoadedSound sound;
        switch (ending) {
            case Ending::Stop:
                return devices.stop(id);
            case Ending::Close:
                return devices.close(id);
            case Ending::Save:
                return SaveDeviceSound(devices, id, dir.file("saved.wav"));
            case Ending::Sound:
                return devices.sound(id, sound);
            case Ending::Play:
                return devices.play(id, &sink);
            case Ending::Record:
                return devices.record(id, RecordMode::Insert, &sink);
            default:
                return devices.seekToStart(id);
        }
    }
    Bytes soundOf(DeviceId id) {
        LoadedSound sound;
        EXPECT_EQ(devices.sound(id, sound), kDeviceOk);
        const auto bytes = BytesOf(sound.data);
        return Bytes(bytes.begin(), bytes.end());
    }
    LostSound lostOf(DeviceId id) {
        LostSound lost;
        EXPECT_EQ(devices.takeLostSound(id, lost), kDeviceOk);
        return lost;
    }

    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend, clock};
    FakeNotifySink sink;
    FakeTempDir dir;
};

struct SpoolCase {
    std::uint16_t channels;
    std::uint16_t bits;
    RecordMode mode;
    Ending ending;
};

// Five frames (an odd byte count in 8-bit mono: the finished file has its pad byte) recorded
// into the middle of a ten-frame sound, ended by each command that ends a recording.
TEST_F(SpoolTest, HoldsExactlyTheRecordedPartOnceTheRecordingEnds) {
    const SpoolCase cases[] = {
        {1, 8, RecordMode::Insert, Ending::Stop},    {1, 8, RecordMode::Overwrite, Ending::Save},
        {2, 8, RecordMode::Insert, Ending::Sound},   {2, 8, RecordMode::Overwrite, Ending::Play},
        {1, 16, RecordMode::Insert, Ending::Record}, {1, 16, RecordMode::Overwrite, Ending::Seek},
        {2, 16, RecordMode::Insert, Ending::Close},  {2, 16, RecordMode::Overwrite, Ending::Stop},
    };
    int n = 0;
    for (const SpoolCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.channels << " ch " << c.bits << " bit, case " << n);
        const std::size_t frameBytes = c.channels * c.bits / 8u;
        const Bytes captured = Counting(5 * frameBytes, 0x40 + n);
        const std::string spool = dir.file("spool" + std::to_string(n++) + ".wav");
        const DeviceId id = openSound(c.channels, c.bits, 10, 3);
        backend.feedCapture(AsStdBytes(captured));
        recordFor(id, c.mode, spool, 2);
        clock.advanceMillis(3);
        ASSERT_EQ(end(id, c.ending), kDeviceOk);

        // Complete when the command returns: the plain layout, sizes and pad byte included.
        EXPECT_EQ(ReadBytes(spool), SimpleWave(captured, c.channels, c.bits, 1000));
        LoadedSound read;
        ASSERT_EQ(readSoundFile(spool, read), std::nullopt);
        if (c.ending != Ending::Close) {
            const Bytes sound = soundOf(id);
            const auto at = static_cast<std::ptrdiff_t>(3 * frameBytes);
            EXPECT_EQ(Bytes(BytesOf(read.data)),
                      Bytes(sound.begin() + at, sound.begin() + at + 5 * frameBytes));
            // Where the recording started; after a Record, where the new one did.
            std::uint64_t start = 0;
            EXPECT_EQ(devices.recordStartFrame(id, start), kDeviceOk);
            EXPECT_EQ(start, c.ending == Ending::Record ? 8u : 3u);
            EXPECT_FALSE(lostOf(id));
            devices.close(id);
        }
        struct stat st {};
        ASSERT_EQ(::stat(spool.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
}

TEST_F(SpoolTest, HeaderCountsOnlyWhatWasSyncedWhileRecording) {
    const std::string spool = dir.file("spool.wav");
    const DeviceId id = openSound(1, 8, 0);
    const Bytes captured = Counting(1500, 7);
    backend.feedCapture(AsStdBytes(captured));
    const auto header = [&] {
        devices.waitForSpools();
        const Bytes file = ReadBytes(spool);
        return std::pair{ReadLe32(file, 4), ReadLe32(file, 40)};  // RIFF and data sizes
    };

    recordFor(id, RecordMode::Insert, spool, 500);
    EXPECT_EQ(header(), std::pair(36u, 0u));  // written, but no sync is due before a second
    EXPECT_EQ(ReadBytes(spool).size(), 44u + 500);

    clock.advanceMillis(601);
    devices.service();
    EXPECT_EQ(header(), std::pair(36u + 1101, 1101u));
    // What a reader finds after a crash now: the recording up to the sync, odd size and all.
    LoadedSound read;
    ASSERT_EQ(readSoundFile(spool, read), std::nullopt);
    EXPECT_EQ(Bytes(BytesOf(read.data)), Bytes(captured.begin(), captured.begin() + 1101));

    clock.advanceMillis(300);
    devices.service();
    EXPECT_EQ(header(), std::pair(36u + 1101, 1101u));  // the next sync is not due yet
    EXPECT_EQ(ReadBytes(spool).size(), 44u + 1401);

    devices.stop(id);
    EXPECT_EQ(ReadBytes(spool),
              SimpleWave(Bytes(captured.begin(), captured.begin() + 1401), 1, 8, 1000));
}

// Whatever stops the spool, the recording goes on in memory and is kept whole; the reason is
// told once, when the recording ends.
TEST_F(SpoolTest, AFailedSpoolKeepsTheRecordingAndSaysWhy) {
    enum class Fault { MissingFolder, ExistingFile, ExistingLink, FolderRemoved, FileTooLarge };
    const struct {
        Fault fault;
        const char* why;
    } cases[] = {
        {Fault::MissingFolder, "No such file or directory"},
        {Fault::ExistingFile, "File exists"},
        {Fault::ExistingLink, "File exists"},
        {Fault::FolderRemoved, "No such file or directory"},
        {Fault::FileTooLarge, "File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        FakeTempDir folder;
        const std::string spool = folder.file("sub/spool.wav");
        const std::string other = folder.file("other.wav");
        WriteBytes(other, Bytes{1, 2, 3});
        if (c.fault != Fault::MissingFolder) std::filesystem::create_directory(folder.file("sub"));
        if (c.fault == Fault::ExistingFile) WriteBytes(spool, Bytes{1, 2, 3});
        if (c.fault == Fault::ExistingLink) std::filesystem::create_symlink(other, spool);

        // A file-size limit makes a write fail halfway, as a full disk would.
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        auto* previous = ::signal(SIGXFSZ, SIG_IGN);
        if (c.fault == Fault::FileTooLarge) {
            rlimit limited = saved;
            limited.rlim_cur = 1000;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        }
        const Bytes captured = Counting(2000, 5);
        backend.feedCapture(AsStdBytes(captured));
        const DeviceId id = openSound(1, 8, 0);
        recordFor(id, RecordMode::Insert, spool, 700);
        if (c.fault == Fault::FolderRemoved) std::filesystem::remove_all(folder.file("sub"));
        clock.advanceMillis(1300);
        devices.service();
        devices.stop(id);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previous);

        EXPECT_EQ(soundOf(id), captured);
        const LostSound lost = lostOf(id);
        EXPECT_TRUE(lost);
        EXPECT_TRUE(lost.recording);
        EXPECT_EQ(lost.spoolError, "Cannot write the file " + spool + ": " + c.why);
        EXPECT_FALSE(lostOf(id));  // told once
        EXPECT_EQ(ReadBytes(other), (Bytes{1, 2, 3}));
        if (c.fault == Fault::ExistingFile) {
            EXPECT_EQ(ReadBytes(spool), (Bytes{1, 2, 3}));
        }
        devices.close(id);
    }
}

TEST_F(SpoolTest, ARecordingThatCannotStartLeavesNoFile) {
    const DeviceId id = openSound(1, 8, 4);
    backend.setInputAvailable(false);
    const std::string spool = dir.file("spool.wav");
    EXPECT_EQ(devices.record(id, RecordMode::Insert, &sink, spool), kDeviceErrNoInput);
    EXPECT_FALSE(std::filesystem::exists(spool));
}

}  // namespace
}  // namespace quorbel
