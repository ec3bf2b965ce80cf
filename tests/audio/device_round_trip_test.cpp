// The wave-audio device driving the real PortAudio backend: one device plays a generated file
// while another records the sound server's output, and the saved recording is analysed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "audio/portaudio/portaudio_backend.h"
#include "audio/sound_file_reader.h"
#include "audio/wave_device.h"
#include "fakes/device_save.h"
#include "fakes/piece_bytes.h"
#include "framework/notify_sink.h"
#include "round_trip.h"
#include "tone.h"
#include "wave_file_io.h"

namespace quorbel::test {
namespace {

using namespace std::chrono_literals;

constexpr double kAmplitude = 0.5;

class NoticeLog final : public NotifySink {
  public:
    void postDeviceNotify(unsigned code, std::uint32_t) override {
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        changed_.notify_all();
    }
    // Waits up to `timeout` for a first notice; returns every notice so far.
    std::vector<unsigned> waitForNotice(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return !codes_.empty(); });
        return codes_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<unsigned> codes_;
};

class DeviceRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string why = realAudioUnavailable(backend_);
        if (!why.empty()) GTEST_SKIP() << why;
        dir_ = std::filesystem::temp_directory_path() /
               ("quorbel-audio-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        devices_.startWorker();
    }
    void TearDown() override {
        devices_.stopWorker();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

    std::string file(const char* name) const { return (dir_ / name).string(); }

    // Opens a generated tone file on one device and a new sound on another, records on the
    // second (into `spool` too, when given) while the first plays, and returns the first
    // device's notices.
    std::vector<unsigned> playWhileRecording(const std::string& tonePath, DeviceId& recorder,
                                             std::optional<std::chrono::milliseconds> stopAfter,
                                             const std::string& spool = {}) {
        DeviceId player = 0;
        EXPECT_EQ(devices_.open(tonePath, player), kDeviceOk);
        EXPECT_EQ(devices_.open("", recorder), kDeviceOk);
        EXPECT_EQ(devices_.record(recorder, RecordMode::Insert, &recordNotices_, spool), kDeviceOk);
        // Let the capture flow before the sound starts.
        std::uint32_t recorded = 0;
        for (int i = 0; i < 300 && recorded < 200; ++i) {
            std::this_thread::sleep_for(10ms);
            devices_.position(recorder, recorded);
        }
        EXPECT_GE(recorded, 200u) << "the recording does not advance";

        NoticeLog playNotices;
        EXPECT_EQ(devices_.play(player, &playNotices), kDeviceOk);
        std::vector<unsigned> codes;
        if (stopAfter) {
            std::this_thread::sleep_for(*stopAfter);
            const auto t0 = std::chrono::steady_clock::now();
            EXPECT_EQ(devices_.stop(player), kDeviceOk);
            codes = playNotices.waitForNotice(0ms);
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                    .count();
            EXPECT_LT(ms, 100);
            std::printf("[ figures  ] device stop took %.1f ms\n", ms);
        } else {
            codes = playNotices.waitForNotice(5000ms);
        }
        std::this_thread::sleep_for(400ms);  // the tail of the sound reaches the recording
        EXPECT_EQ(devices_.stop(recorder), kDeviceOk);
        EXPECT_EQ(recordNotices_.waitForNotice(1000ms), std::vector<unsigned>{kNotifyAborted});
        devices_.close(player);
        return codes;
    }

    SavedWave saveAndRead(DeviceId recorder) {
        const std::string saved = file("recorded.wav");
        EXPECT_EQ(testing::SaveDeviceSound(devices_, recorder, saved), kDeviceOk);
        devices_.close(recorder);
        SavedWave wave;
        EXPECT_TRUE(readSavedWave(saved, wave));
        EXPECT_EQ(wave.chunkIds, (std::vector<std::string>{"fmt ", "data"}));
        EXPECT_EQ(wave.formatTag, 1);
        EXPECT_EQ(wave.channels, 2);
        EXPECT_EQ(wave.sampleRate, 44100u);
        EXPECT_EQ(wave.bitsPerSample, 16);
        return wave;
    }

    PortAudioBackend backend_;
    WaveDevices devices_{backend_};
    NoticeLog recordNotices_;
    std::filesystem::path dir_;
};

TEST_F(DeviceRoundTrip, RecordsWhatAnotherDevicePlaysCompleteAndClean) {
    const StreamFormat format{22050, 1, SampleType::U8};
    const std::string tone = file("tone.wav");
    writePcmWave(tone, format, makeTone(format, 1.0, {441}, kAmplitude));

    DeviceId recorder = 0;
    EXPECT_EQ(playWhileRecording(tone, recorder, std::nullopt),
              std::vector<unsigned>{kNotifySuccessful});
    const SavedWave wave = saveAndRead(recorder);
    for (int channel : {0, 1}) {
        SCOPED_TRACE(channel == 0 ? "left" : "right");
        const ToneReport t =
            analyseTone(channelOf(wave.samples, 2, channel), 44100, 441, kAmplitude);
        ASSERT_TRUE(t.found);
        EXPECT_NEAR(t.seconds, 1.0, 0.005);
        EXPECT_NEAR(t.hz, 441, 0.9);
        EXPECT_GT(t.purity, 0.98);
        EXPECT_EQ(t.longestGapMs, 0);
        EXPECT_LT(t.worstStepRatio, 1.6);
        std::printf("[ figures  ] through the device: %.4f s, %.2f Hz, purity %.4f\n", t.seconds,
                    t.hz, t.purity);
    }
}

TEST_F(DeviceRoundTrip, StopEndsThePlayAtOnceAndSaysSo) {
    const StreamFormat format{44100, 2, SampleType::S16};
    const std::string tone = file("long.wav");
    writePcmWave(tone, format, makeTone(format, 3.0, {440, 660}, kAmplitude));

    DeviceId recorder = 0;
    EXPECT_EQ(playWhileRecording(tone, recorder, 300ms), std::vector<unsigned>{kNotifyAborted});
    const SavedWave wave = saveAndRead(recorder);
    const ToneReport t = analyseTone(channelOf(wave.samples, 2, 0), 44100, 440, kAmplitude);
    ASSERT_TRUE(t.found);
    EXPECT_GT(t.seconds, 0.2);
    EXPECT_LT(t.seconds, 0.8) << "the sound went on after the stop";
}

TEST_F(DeviceRoundTrip, TheSpoolFileHoldsExactlyTheRecording) {
    const StreamFormat format{44100, 2, SampleType::S16};
    const std::string tone = file("tone.wav");
    writePcmWave(tone, format, makeTone(format, 1.0, {523, 784}, kAmplitude));
    const std::string spool = file("spool.wav");

    DeviceId recorder = 0;
    EXPECT_EQ(playWhileRecording(tone, recorder, std::nullopt, spool),
              std::vector<unsigned>{kNotifySuccessful});
    LoadedSound recorded;
    LoadedSound spooled;
    ASSERT_EQ(devices_.sound(recorder, recorded), kDeviceOk);
    ASSERT_EQ(readSoundFile(spool, spooled), std::nullopt);
    LostSound lost;
    ASSERT_EQ(devices_.takeLostSound(recorder, lost), kDeviceOk);
    EXPECT_EQ(lost.spoolError, "");
    devices_.close(recorder);

    EXPECT_EQ(spooled.fmt, recorded.fmt);
    EXPECT_GT(recorded.data.size(), 44100u * 4) << "too short to pass a sync while recording";
    EXPECT_TRUE(std::ranges::equal(BytesOf(spooled.data), BytesOf(recorded.data)));
}

}  // namespace
}  // namespace quorbel::test
