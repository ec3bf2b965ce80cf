// Hundreds of plays and recordings started and ended in every way across several devices: no
// crash, no leak (under the sanitizers), and exactly one notice for each one that started.

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <random>
#include <thread>

#include "audio/null_backend.h"
#include "audio/wave_device.h"
#include "fakes/device_save.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/wav_builder.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

struct Harness {
    explicit Harness(const Clock& clock) : backend(clock), devices(backend) {}

    // A new sound and files of three layouts; short enough that many plays run to the end.
    void openDevices(const FakeTempDir& dir, std::uint32_t frames) {
        DeviceId id = 0;
        ASSERT_EQ(devices.open("", id), kDeviceOk);
        ids.push_back(id);
        const struct { std::uint16_t channels, bits; } layouts[] = {{1, 8}, {2, 16}, {2, 24}};
        for (const auto& l : layouts) {
            const std::string path =
                dir.file("s" + std::to_string(l.channels) + "_" + std::to_string(l.bits) + ".wav");
            WriteBytes(path, SimpleWave(Counting(frames * l.channels * l.bits / 8), l.channels,
                                        l.bits, 8000));
            ASSERT_EQ(devices.open(path, id), kDeviceOk);
            ids.push_back(id);
        }
        sinks.resize(ids.size());
        started.resize(ids.size());
    }

    // One random command on a random device.
    void step(std::mt19937& rng, const FakeTempDir& dir) {
        const std::size_t i = rng() % ids.size();
        const DeviceId id = ids[i];
        std::uint32_t ms = 0;
        switch (rng() % 10) {
            case 0:
            case 1:
                if (devices.play(id, &sinks[i]) == kDeviceOk) ++started[i];
                break;
            case 2: {
                // Every other recording also goes to a spool file.
                const std::string spool =
                    rng() % 2 ? dir.file("spool" + std::to_string(++spools) + ".wav") : "";
                if (devices.record(id, rng() % 2 ? RecordMode::Insert : RecordMode::Overwrite,
                                   &sinks[i], spool) == kDeviceOk)
                    ++started[i];
                break;
            }
            case 3:
                devices.stop(id);
                break;
            case 4:
                devices.length(id, ms);
                devices.seekTo(id, static_cast<std::uint32_t>(rng() % (ms + 1)));
                break;
            case 5:
                rng() % 2 ? devices.seekToStart(id) : devices.seekToEnd(id);
                break;
            case 6:
                devices.position(id, ms);
                devices.length(id, ms);
                break;
            case 7:
                if (rng() % 8 == 0) {
                    EXPECT_EQ(
                        SaveDeviceSound(devices, id, dir.file("save" + std::to_string(i) + ".wav")),
                        kDeviceOk);
                }
                break;
            default:
                break;
        }
    }

    void closeAllAndCheck() {
        for (DeviceId id : ids) devices.close(id);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            EXPECT_EQ(sinks[i].count(), started[i]) << "device " << i;
        }
        EXPECT_EQ(devices.openCount(), 0u);
    }

    NullAudioBackend backend;
    WaveDevices devices;
    std::vector<DeviceId> ids;
    std::deque<FakeNotifySink> sinks;
    std::vector<std::size_t> started;
    std::size_t spools = 0;
};

TEST(DeviceStress, ManualClockManyStartsAndEnds) {
    FakeTempDir dir;
    ManualClock clock;
    Harness h(clock);
    h.openDevices(dir, 400);  // 50 ms each
    std::mt19937 rng(1234);
    for (int n = 0; n < 3000; ++n) {
        h.step(rng, dir);
        clock.advanceMillis(static_cast<std::int64_t>(rng() % 12));
        if (rng() % 3 == 0) h.devices.service();
    }
    h.closeAllAndCheck();
    std::size_t total = 0;
    for (std::size_t s : h.started) total += s;
    EXPECT_GT(total, 500u);
}

TEST(DeviceStress, SteadyClockWithTheWorkerThread) {
    FakeTempDir dir;
    SteadyClock clock;
    Harness h(clock);
    h.openDevices(dir, 80);  // 10 ms each, so the worker sees many plays end
    h.devices.startWorker();
    h.devices.startWorker();  // a second start is harmless
    std::mt19937 rng(99);
    for (int n = 0; n < 1500; ++n) {
        h.step(rng, dir);
        if (rng() % 4 == 0) std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    }
    h.devices.stopWorker();
    h.closeAllAndCheck();
    std::size_t successes = 0;
    for (const auto& sink : h.sinks) {
        for (unsigned code : sink.codes()) successes += code == kNotifySuccessful;
    }
    EXPECT_GT(successes, 0u);  // the worker did end plays by itself
}

TEST(DeviceStress, NoNoticeReachesASinkAfterItsDeviceIsClosed) {
    FakeTempDir dir;
    const std::string path = dir.file("short.wav");
    WriteBytes(path, SimpleWave(Counting(8), 1, 8, 8000));  // 1 ms
    SteadyClock clock;
    NullAudioBackend backend(clock);
    WaveDevices devices(backend);
    devices.startWorker();
    for (int round = 0; round < 300; ++round) {
        auto sink = std::make_unique<FakeNotifySink>();
        DeviceId id = 0;
        ASSERT_EQ(devices.open(path, id), kDeviceOk);
        ASSERT_EQ(devices.play(id, sink.get()), kDeviceOk);
        std::this_thread::sleep_for(std::chrono::microseconds((round % 4) * 400));
        devices.close(id);
        EXPECT_EQ(sink->count(), 1u);
        sink.reset();  // the view and its sink go away right after the close
    }
}

TEST(DeviceStress, DestroyingTheDevicesWhileBusyIsSafe) {
    FakeTempDir dir;
    SteadyClock clock;
    NullAudioBackend backend(clock);
    FakeNotifySink sink;
    for (int round = 0; round < 50; ++round) {
        WaveDevices devices(backend);
        devices.startWorker();
        DeviceId id = 0;
        ASSERT_EQ(devices.open("", id), kDeviceOk);
        const std::string spool = round % 2 ? dir.file(std::to_string(round) + ".wav") : "";
        ASSERT_EQ(devices.record(id, RecordMode::Insert, &sink, spool), kDeviceOk);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace
}  // namespace quorbel
