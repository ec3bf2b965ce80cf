// The real program under a memory limit (ulimit -v): an effect whose new sound does not fit in
// memory is refused with a box that says what it needed, the document keeps its sound, and
// the program ends normally with no working file left behind. AddressSanitizer ends a program
// whose allocation fails instead of letting it handle it, so this runs the build without it
// that the test command also makes (QUORBEL_PLAIN_BINARY).

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;

// The virtual memory of process `pid`, in bytes; 0 when it cannot be read.
rlim_t VirtualMemoryOf(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

TEST(MemoryLimit, AnEffectThatDoesNotFitInMemoryIsRefusedAndNothingIsLost) {
    const char* plain = std::getenv("QUORBEL_PLAIN_BINARY");
    if (plain == nullptr || !fs::exists(plain)) {
        GTEST_SKIP() << "QUORBEL_PLAIN_BINARY names no program built without AddressSanitizer";
    }
    char pattern[] = "/tmp/quorbel-memory-XXXXXX";
    const fs::path base = ::mkdtemp(pattern);
    fs::create_directory(base / "work");
    const std::string source = (base / "big.wav").string();
    constexpr std::uint32_t kData = 256u << 20;
    ASSERT_TRUE(writeBytes(source, waveBytes(kData, 3)));

    // How much the program takes with the sound open, measured on a first run.
    const std::string idle = (base / "idle.txt").string();
    ASSERT_TRUE(writeText(idle, "wait 4000\nquit\n"));
    ProgramOptions options;
    options.binary = plain;
    options.tmpdir = (base / "work").string();
    options.arguments = {"--script", idle, source};
    const pid_t pid = startProgram(options, (base / "idle.log").string());
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const rlim_t opened = VirtualMemoryOf(pid);
    ::kill(pid, SIGKILL);
    ASSERT_GT(opened, kData);

    // Room for the sound, not for the half again as much that Octave down makes.
    const std::string script = (base / "script.txt").string();
    ASSERT_TRUE(writeText(script, "command ID_OCTAVE_DECREASE\nprint status\nprint state\nquit\n"));
    options.arguments = {"--script", script, source};
    options.memoryLimit = opened + kData / 2;
    fs::remove_all(base / "work");
    fs::create_directory(base / "work");
    const ProgramResult r = runProgram(options);

    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.errors;
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    bool refused = false;
    for (const std::string& line : r.lines) {
        refused |= line.find(
                       "Not enough memory for Octave down: the new sound needs "
                       "402,653,184 bytes.") != std::string::npos;
    }
    EXPECT_TRUE(refused) << "no box naming the memory needed";
    EXPECT_TRUE(r.has("status: Filter operation failed."));
    EXPECT_TRUE(fs::is_empty(base / "work")) << "working files left behind";
    EXPECT_EQ(fs::file_size(source), kData + 44u);
    fs::remove_all(base);
}

}  // namespace
}  // namespace quorbel::process
