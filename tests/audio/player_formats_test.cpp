// Plays real WAVE files through the wave device on the PortAudio backend, the way the editor
// plays a document, and records them back from the sound server's monitor: each of 8, 16,
// 24 and 32 bits and float, mono and stereo, must sound at its own speed and pitch on the
// right channels.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <thread>

#include "audio/portaudio/portaudio_backend.h"
#include "audio/wave_device.h"
#include "fakes/device_save.h"
#include "framework/notify_sink.h"
#include "round_trip.h"
#include "tone.h"
#include "wave_file_io.h"

namespace quorbel::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr double kAmplitude = 0.5;
constexpr double kCaptureRate = 44100;

struct FileCase {
    const char* name;
    StreamFormat format;
    std::vector<double> hz;  // per channel of the file
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

class EndNotice final : public NotifySink {
  public:
    void postDeviceNotify(unsigned code, std::uint32_t) override { last = code; }
    std::atomic<unsigned> last{0};
};

// Writes the file and returns its path.
std::string writeWaveFile(const std::string& path, const StreamFormat& format,
                          const std::vector<std::byte>& data) {
    writePcmWave(path, format, data);
    return path;
}

void drain(CaptureStream& capture, std::vector<std::int16_t>& into) {
    std::int16_t buffer[4096];
    for (;;) {
        const std::size_t n = capture.read(std::as_writable_bytes(std::span(buffer)));
        into.insert(into.end(), buffer, buffer + n / sizeof(std::int16_t));
        if (n < sizeof buffer) return;
    }
}

class PlayerFormats : public ::testing::TestWithParam<FileCase> {
  protected:
    void SetUp() override {
        const std::string why = realAudioUnavailable(backend_);
        if (!why.empty()) GTEST_SKIP() << why;
        folder_ = std::filesystem::temp_directory_path() /
                  ("quorbel-player-formats-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }

    PortAudioBackend backend_;
    std::filesystem::path folder_;
};

TEST_P(PlayerFormats, FilePlaysAtItsSpeedAndPitch) {
    const FileCase& c = GetParam();
    const std::string path = writeWaveFile((folder_ / (std::string(c.name) + ".wav")).string(),
                                           c.format, makeTone(c.format, 1.0, c.hz, kAmplitude));
    ASSERT_FALSE(path.empty());

    WaveDevices devices(backend_);
    devices.startWorker();
    DeviceId id = 0;
    ASSERT_EQ(devices.open(path, id), kDeviceOk) << devices.errorText(devices.open(path, id));
    std::uint32_t lengthMs = 0;
    devices.setTimeFormatMilliseconds(id);
    ASSERT_EQ(devices.length(id, lengthMs), kDeviceOk);
    EXPECT_EQ(lengthMs, 1000u);

    std::string error;
    auto capture = backend_.startCapture(kCaptureFormat, error);
    ASSERT_NE(capture, nullptr) << error;
    std::vector<std::int16_t> recorded;
    // Let the capture flow before the sound starts, so its beginning cannot be missed.
    const auto warmUp = Clock::now() + std::chrono::seconds(3);
    while (recorded.size() < 2 * 4410 && Clock::now() < warmUp) {
        drain(*capture, recorded);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EndNotice notice;
    ASSERT_EQ(devices.play(id, &notice), kDeviceOk);
    const auto giveUp = Clock::now() + std::chrono::seconds(6);
    while (notice.last == 0 && Clock::now() < giveUp) {
        drain(*capture, recorded);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(notice.last.load(), kNotifySuccessful) << "the play did not report its end";
    const auto tail = Clock::now() + std::chrono::milliseconds(400);
    while (Clock::now() < tail) {
        drain(*capture, recorded);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    capture->stop();
    drain(*capture, recorded);
    devices.close(id);
    devices.stopWorker();

    for (int channel = 0; channel < 2; ++channel) {
        // A mono file sounds on both channels; a stereo one keeps its channels apart.
        const double hz = c.hz[c.hz.size() == 1 ? 0 : static_cast<std::size_t>(channel)];
        SCOPED_TRACE(channel == 0 ? "left" : "right");
        const ToneReport t =
            analyseTone(channelOf(recorded, 2, channel), kCaptureRate, hz, kAmplitude);
        ASSERT_TRUE(t.found) << "nothing arrived";
        EXPECT_NEAR(t.seconds, 1.0, 0.005) << "played at the wrong speed or incomplete";
        EXPECT_NEAR(t.hz, hz, hz * 0.002) << "played at the wrong pitch";
        EXPECT_GT(t.purity, 0.97);
        EXPECT_NEAR(t.rms, kAmplitude / std::sqrt(2.0), 0.05);
        EXPECT_EQ(t.longestGapMs, 0) << "audio dropped inside the sound";
        std::printf("[ figures  ] %s %s: %.4f s, %.2f Hz (expected %.0f), purity %.4f\n", c.name,
                    channel == 0 ? "left" : "right", t.seconds, t.hz, hz, t.purity);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EightAndSixteenBitMonoAndStereo, PlayerFormats,
    ::testing::Values(FileCase{"u8_mono_11025", {11025, 1, SampleType::U8}, {441}},
                      FileCase{"u8_stereo_22050", {22050, 2, SampleType::U8}, {441, 735}},
                      FileCase{"s16_mono_22050", {22050, 1, SampleType::S16}, {441}},
                      FileCase{"s16_stereo_44100", {44100, 2, SampleType::S16}, {440, 660}}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// 24- and 32-bit and float files reach the output in a type it takes: their own, or one the
// device converts them to before they enter the ring.
INSTANTIATE_TEST_SUITE_P(
    WideMonoAndStereo, PlayerFormats,
    ::testing::Values(FileCase{"s24_mono_44100", {44100, 1, SampleType::S24}, {441}},
                      FileCase{"s24_stereo_48000", {48000, 2, SampleType::S24}, {440, 660}},
                      FileCase{"s32_stereo_44100", {44100, 2, SampleType::S32}, {441, 735}},
                      FileCase{"f32_mono_22050", {22050, 1, SampleType::F32}, {441}},
                      FileCase{"f32_stereo_44100", {44100, 2, SampleType::F32}, {440, 660}}),
    [](const ::testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// Reads the samples of a PCM WAVE file the device saved, per channel, scaled to [-1, 1).
struct ReadBack {
    StreamFormat format;
    std::vector<std::vector<double>> channels;
};

std::optional<ReadBack> readWaveFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(bytes[at] | bytes[at + 1] << 8);
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return std::nullopt;
    ReadBack r;
    int bits = 0;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::size_t size = u32(at + 4);
        const std::size_t body = at + 8;
        if (body + size > bytes.size()) return std::nullopt;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0) {
            r.format.channels = static_cast<std::uint16_t>(u16(body + 2));
            r.format.sampleRate = u32(body + 4);
            bits = static_cast<int>(u16(body + 14));
            r.format.type = bits == 8 ? SampleType::U8 : SampleType::S16;
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && bits != 0) {
            r.channels.assign(r.format.channels, {});
            const std::size_t step = static_cast<std::size_t>(bits / 8);
            for (std::size_t i = 0; i + step <= size; i += step) {
                const double v = bits == 8 ? (bytes[body + i] - 128) / 128.0
                                           : static_cast<std::int16_t>(u16(body + i)) / 32768.0;
                r.channels[(i / step) % r.format.channels].push_back(v);
            }
            return r;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

struct RecordCase {
    const char* name;
    StreamFormat target;  // the format of the sound recorded into ("" file when CD quality)
    std::vector<double> hz;
};

class DeviceRecording : public PlayerFormats {};

TEST_F(DeviceRecording, RecordsWhatPlaysAtItsSpeedAndPitch) {
    const RecordCase cases[] = {
        {"new_sound", {44100, 2, SampleType::S16}, {440, 660}},
        {"u8_mono_11025_file", {11025, 1, SampleType::U8}, {441}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StreamFormat played{44100, 2, SampleType::S16};
        const std::vector<double> playedHz =
            c.hz.size() == 2 ? c.hz : std::vector<double>{c.hz[0], c.hz[0]};
        const std::string tone =
            writeWaveFile((folder_ / (std::string(c.name) + "_tone.wav")).string(), played,
                          makeTone(played, 1.0, playedHz, kAmplitude));
        std::string target;
        if (c.target.type == SampleType::U8) {
            target = writeWaveFile((folder_ / (std::string(c.name) + ".wav")).string(), c.target,
                                   makeTone(c.target, 0.1, {0}, 0));
        }
        WaveDevices devices(backend_);
        devices.startWorker();
        DeviceId player = 0;
        DeviceId recorder = 0;
        ASSERT_EQ(devices.open(tone, player), kDeviceOk);
        ASSERT_EQ(devices.open(target, recorder), kDeviceOk);
        devices.setTimeFormatMilliseconds(recorder);
        devices.seekToEnd(recorder);
        EndNotice recorded;
        EndNotice played1;
        ASSERT_EQ(devices.record(recorder, RecordMode::Insert, &recorded), kDeviceOk)
            << devices.errorText(kDeviceErrNoInput);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_EQ(devices.play(player, &played1), kDeviceOk);
        const auto giveUp = Clock::now() + std::chrono::seconds(6);
        while (played1.last == 0 && Clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_EQ(devices.stop(recorder), kDeviceOk);
        const std::string saved = (folder_ / (std::string(c.name) + "_saved.wav")).string();
        ASSERT_EQ(testing::SaveDeviceSound(devices, recorder, saved), kDeviceOk);
        devices.close(player);
        devices.close(recorder);
        devices.stopWorker();

        const std::optional<ReadBack> back = readWaveFile(saved);
        ASSERT_TRUE(back.has_value()) << "the saved recording is no PCM WAVE file";
        EXPECT_EQ(back->format.sampleRate, c.target.sampleRate);
        EXPECT_EQ(back->format.channels, c.target.channels);
        for (std::size_t ch = 0; ch < back->channels.size(); ++ch) {
            const double hz = c.hz[ch];
            const ToneReport t =
                analyseTone(back->channels[ch], back->format.sampleRate, hz, kAmplitude);
            ASSERT_TRUE(t.found) << "nothing recorded on channel " << ch;
            EXPECT_NEAR(t.seconds, 1.0, 0.005) << "recorded at the wrong speed or with a gap";
            EXPECT_NEAR(t.hz, hz, hz * 0.002) << "recorded at the wrong pitch";
            EXPECT_GT(t.purity, 0.97);
            EXPECT_EQ(t.longestGapMs, 0);
            std::printf(
                "[ figures  ] recorded into %s, channel %zu: %.4f s, %.2f Hz (expected "
                "%.0f), purity %.4f\n",
                c.name, ch, t.seconds, t.hz, hz, t.purity);
        }
    }
}

}  // namespace
}  // namespace quorbel::test
