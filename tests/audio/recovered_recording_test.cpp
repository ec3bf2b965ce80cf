// The real program records a known signal through the sound server and is killed; the next
// start gives back exactly the samples the recording had made durable, no more and no fewer.

#ifdef QUORBEL_BINARY

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// 44100 Hz 16-bit stereo whose frame n holds n (low half left, high half right).
std::vector<std::uint8_t> countingWave(std::uint32_t frames) {
    std::vector<std::uint8_t> file = waveBytes(frames * 4, 0);
    for (std::uint32_t n = 0; n < frames; ++n) {
        for (int i = 0; i < 4; ++i) file[44 + n * 4 + i] = static_cast<std::uint8_t>(n >> (8 * i));
    }
    return file;
}

TEST(RecoveredRecording, ComesBackExactlyToItsLastDurablePoint) {
    if (const char* server = std::getenv("PULSE_SERVER"); server == nullptr || *server == '\0')
        GTEST_SKIP() << "no private sound server (PULSE_SERVER unset); run scripts/test.sh";
    char pattern[] = "/tmp/quorbel-recorded-XXXXXX";
    const fs::path base = ::mkdtemp(pattern);
    fs::create_directory(base / "work");
    const std::string counter = (base / "counter.wav").string();
    writeBytes(counter, countingWave(44100 * 30));
    ProgramOptions options;
    options.tmpdir = (base / "work").string();
    options.realAudio = true;
    // Play the count in one window and record it in a new one.
    writeText((base / "record").string(), "button 1\nnew\nbutton 5\nwait 60000\n");
    options.arguments = {"--script", (base / "record").string(), counter};
    const pid_t pid = startProgram(options, (base / "output").string());
    std::this_thread::sleep_for(std::chrono::seconds(6));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    // The take on disk: its header counts what was durable when the program died.
    std::vector<std::uint8_t> spool;
    for (const auto& entry : fs::recursive_directory_iterator(base / "work")) {
        if (entry.path().filename() == "recording-1.wav") spool = readBytes(entry.path().string());
    }
    ASSERT_GT(spool.size(), 44u);
    const std::uint32_t durable = le32(spool, 40);
    EXPECT_GE(durable, 3u * 44100 * 4) << "at most the last two seconds are lost";

    writeText((base / "recover").string(),
              "answer yes\nsaveas " + (base / "back.wav").string() + "\nquit\n");
    options.arguments = {"--script", (base / "recover").string()};
    options.realAudio = false;
    const ProgramResult result = runProgram(options);
    ASSERT_TRUE(result.exited && result.exitCode == 0) << result.errors;
    const std::vector<std::uint8_t> back = readBytes((base / "back.wav").string());
    ASSERT_EQ(back.size(), 44u + durable);
    EXPECT_TRUE(std::equal(back.begin() + 44, back.end(), spool.begin() + 44));
    // And it is the count the other window played, not silence: long runs of n, n + 1, ...
    std::size_t counting = 0;
    for (std::size_t at = 44 + 4; at + 4 <= back.size(); at += 4)
        counting += le32(back, at) == le32(back, at - 4) + 1 ? 1 : 0;
    EXPECT_GT(counting, 44100u) << "frames that follow on from the one before";
    std::error_code ec;
    fs::remove_all(base, ec);
}

}  // namespace
}  // namespace quorbel::process

#endif
