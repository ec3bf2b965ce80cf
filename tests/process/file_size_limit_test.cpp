// The real program under a file-size limit (ulimit -f): a save that would pass the limit fails
// with a message instead of killing the program, keeps the sound (and the recording), and
// leaves no file behind.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;

constexpr rlim_t kLimit = 64 * 1024;

class FileSizeLimit : public ::testing::Test {
  protected:
    FileSizeLimit() {
        char pattern[] = "/tmp/quorbel-fsize-XXXXXX";
        base = ::mkdtemp(pattern);
        fs::create_directory(base / "out");
        fs::create_directory(base / "work");
    }
    ~FileSizeLimit() override { fs::remove_all(base); }

    std::set<std::string> namesIn(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    ProgramResult run(const std::string& script, const std::vector<std::string>& files = {}) {
        ProgramOptions options;
        options.fileSizeLimit = kLimit;
        return runScript(base.string(), script, files, options);
    }

    fs::path base;
};

TEST_F(FileSizeLimit, SaveAndSaveAsFailWithTheReasonAndTheDocumentGoesOn) {
    // One second of 16-bit stereo: 176 kB, well past the limit.
    const std::string source = (base / "source.wav").string();
    const std::vector<std::uint8_t> original = waveBytes(44100 * 4, 7);
    ASSERT_TRUE(writeBytes(source, original));
    const std::string copy = (base / "out" / "copy.wav").string();
    const ProgramResult r =
        run("save\n"
            "saveas " +
                copy +
                "\n"
                "button 1\n"
                "wait 100\n"
                "print state\n"
                "quit\n",
            {source});

    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.errors;
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(r.has("box: Error|Cannot write the file " + source + ": File too large|error"));
    EXPECT_TRUE(r.has("box: Error|Cannot write the file " + copy + ": File too large|error"));
    // It still plays after both failures.
    bool playing = false;
    for (const std::string& line : r.lines) playing |= line.rfind("state: state=2 ", 0) == 0;
    EXPECT_TRUE(playing) << "no playing state in the output";
    EXPECT_EQ(readBytes(source), original);
    EXPECT_TRUE(namesIn(base / "out").empty());
    EXPECT_EQ(namesIn(base),
              (std::set<std::string>{"out", "work", "runtime", "script.txt", "source.wav"}));
}

TEST_F(FileSizeLimit, TheSaveAfterARecordingFailsWithTheReasonAndKeepsTheRecording) {
    // A new sound records 44100 Hz 16-bit stereo: one second is 176 kB.
    const ProgramResult r =
        run("button 5\n"
            "wait 1000\n"
            "button 2\n"
            "print state\n"
            "quit\n");
    ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.errors;
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    bool refused = false;
    for (const std::string& line : r.lines) {
        refused |=
            line.rfind("box: Error|Cannot write the file " + (base / "work").string(), 0) == 0 &&
            line.find(": File too large|error") != std::string::npos;
    }
    EXPECT_TRUE(refused) << "no file-too-large box";
    // The recording stayed in the device (the document asks to save it on quit).
    bool asked = false;
    for (const std::string& line : r.lines)
        asked |= line.rfind("box: Quorbel|Save changes", 0) == 0;
    EXPECT_TRUE(asked);
    EXPECT_TRUE(namesIn(base / "work").empty());
}

}  // namespace
}  // namespace quorbel::process
