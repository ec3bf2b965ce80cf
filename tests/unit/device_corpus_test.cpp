// Real-world WAVE files: the device opens what it can play and refuses the rest with a text.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "audio/null_backend.h"
#include "audio/wave_device.h"
#include "fakes/device_save.h"
#include "fakes/fake_notify_sink.h"

namespace quorbel {
namespace {

struct Row {
    std::string path, format, expected, reason;
    int channels = 0;
    int bits = 0;
};

std::vector<Row> readManifest(const std::filesystem::path& dir) {
    std::ifstream in(dir / "MANIFEST.tsv");
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string cell; std::getline(ss, cell, '\t');) f.push_back(cell);
        if (f.size() < 15) continue;
        Row r;
        r.path = (dir / f[0]).string();
        r.format = f[3];
        r.channels = f[4] == "-" ? 0 : std::stoi(f[4]);
        r.bits = f[6] == "-" ? 0 : std::stoi(f[6]);
        r.expected = f[13];
        r.reason = f[14];
        rows.push_back(r);
    }
    return rows;
}

// Rows a strict 8/16-bit editor refuses only for a sample layout this device does play.
bool refusedOnlyForADepthTheDevicePlays(const Row& r) {
    const bool depth = r.reason == "24-bit PCM unsupported" || r.reason == "32-bit PCM unsupported";
    const bool float32 = r.reason == "format IEEE_FLOAT is not PCM" && r.bits == 32;
    return (depth || float32) && r.channels >= 1 && r.channels <= 2;
}

TEST(DeviceCorpus, OpensWhatItCanPlayAndRefusesTheRestWithAText) {
    const std::filesystem::path dir = QUORBEL_CORPUS_DIR;
    if (!std::filesystem::exists(dir / "MANIFEST.tsv")) GTEST_SKIP() << "no corpus at " << dir;
    const std::vector<Row> rows = readManifest(dir);
    ASSERT_GT(rows.size(), 100u);

    ManualClock clock;
    NullAudioBackend backend(clock);
    WaveDevices devices(backend);
    testing::FakeNotifySink sink;
    int opened = 0, refused = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path + " (" + r.expected + ": " + r.reason + ")");
        DeviceId id = 0;
        const unsigned code = devices.open(r.path, id);
        if (code == kDeviceOk) {
            ++opened;
            // Whatever opened plays to its end and saves.
            std::uint32_t ms = 0;
            ASSERT_EQ(devices.length(id, ms), kDeviceOk);
            ASSERT_EQ(devices.play(id, &sink), kDeviceOk);
            clock.advanceMillis(std::int64_t{ms} + 1);
            devices.service();
            const std::string copy = ::testing::TempDir() + "quorbel-corpus-copy.wav";
            EXPECT_EQ(testing::SaveDeviceSound(devices, id, copy), kDeviceOk);
            std::filesystem::remove(copy);
            devices.close(id);
        } else {
            ++refused;
            EXPECT_FALSE(devices.errorText(code).empty());
        }

        if (r.expected == "open") {
            EXPECT_EQ(code, kDeviceOk) << devices.errorText(code);
        } else if (r.expected == "refuse" && !refusedOnlyForADepthTheDevicePlays(r)) {
            EXPECT_NE(code, kDeviceOk);
        } else if (refusedOnlyForADepthTheDevicePlays(r)) {
            EXPECT_EQ(code, kDeviceOk) << devices.errorText(code);
        }
    }
    EXPECT_EQ(sink.count(), static_cast<std::size_t>(opened));
    EXPECT_GT(refused, 0);
    EXPECT_EQ(devices.openCount(), 0u);
}

}  // namespace
}  // namespace quorbel
