// Recovery killed at each system call that changes the disk, in turn (strace injects SIGKILL as
// the call is entered): every start after it must offer the sound once, byte for byte, and
// leave nothing behind once that sound is saved.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;

constexpr const char* kQuestion =
    "box: Quorbel|Quorbel found 1 unsaved sound(s) from a session that did not end normally. "
    "Recover them?|question";
// A kill anywhere from a file's opening to its rename leaves the same (a part-written file
// under a name no start reads), so its writes and syncs are no calls of their own here.
constexpr const char* kFileCalls =
    "openat,rename,renameat,renameat2,unlink,unlinkat,mkdir,mkdirat,rmdir";

struct KillPoint {
    std::string call;
    int nth = 0;  // among that thread's calls of that name, as strace counts for `when=`
    std::string line;
};

// The calls of a traced recovery (strace -f -y) that change what is in `work`, from the first
// that touches the session folder `dead` to the last: each leaves the disk in a state of its
// own.
std::vector<KillPoint> killPoints(const std::string& trace, const std::string& dead,
                                  const std::string& work) {
    std::ifstream in(trace);
    std::map<std::string, int> counts;  // "thread call" -> calls so far
    std::vector<KillPoint> points;
    std::size_t last = 0;
    bool started = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string thread, rest;
        words >> thread;
        std::getline(words >> std::ws, rest);
        const std::size_t paren = rest.find('(');
        if (rest.empty() || rest[0] == '<' || paren == std::string::npos) continue;
        const std::string call = rest.substr(0, paren);
        const int nth = ++counts[thread + " " + call];
        started = started || rest.find(dead) != std::string::npos;
        if (!started || rest.find(work) == std::string::npos) continue;
        const bool opensToWrite = rest.find("O_WRONLY") != std::string::npos ||
                                  rest.find("O_RDWR") != std::string::npos ||
                                  rest.find("O_CREAT") != std::string::npos;
        // A call that failed changed nothing.
        if ((call == "openat" && !opensToWrite) || rest.find(" = -1 ") != std::string::npos)
            continue;
        points.push_back({call, nth, rest.substr(0, 160)});
        if (rest.find(dead) != std::string::npos) last = points.size();
    }
    points.resize(last);
    return points;
}

// strace, following every thread, with `options`. The leak checker cannot run under ptrace.
std::vector<std::string> strace(std::vector<std::string> options) {
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> launcher = {
        "env", std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") + ":detect_leaks=0",
        "strace", "-f", "-qq"};
    launcher.insert(launcher.end(), options.begin(), options.end());
    return launcher;
}

class KilledRecovery : public ::testing::Test {
  protected:
    KilledRecovery() {
        char pattern[] = "/tmp/quorbel-killrec-XXXXXX";
        base = ::mkdtemp(pattern);
        work = base / "work";
        fs::create_directory(work);
        input = (base / "in.wav").string();
        writeBytes(input, waveBytes(44100, 11));
    }
    ~KilledRecovery() override {
        std::error_code ec;
        fs::remove_all(base, ec);
    }

    ProgramOptions options(const std::string& script, std::vector<std::string> more = {}) {
        const std::string path = (base / ("script" + std::to_string(++scripts))).string();
        writeText(path, script);
        ProgramOptions o;
        o.arguments = {"--script", path};
        o.arguments.insert(o.arguments.end(), more.begin(), more.end());
        o.tmpdir = work.string();
        return o;
    }

    // The work folder as `saved` left it, times and modes kept (the notes check them).
    void restore(const fs::path& saved) {
        fs::remove_all(work);
        ASSERT_EQ(std::system(("cp -a " + saved.string() + " " + work.string()).c_str()), 0);
    }

    std::vector<std::string> leftInWork() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(work)) {
            const std::string name = entry.path().filename().string();
            // A session folder emptied but for itself (killed just before its rmdir) holds
            // nothing and harms nothing.
            if (name.starts_with("quorbel-") && !fs::is_empty(entry.path())) names.push_back(name);
        }
        return names;
    }

    // Leaves a dead session whose sound is `edits` applied to the input, and returns the
    // bytes that sound saves as.
    std::vector<std::uint8_t> leaveSession(const std::string& edits) {
        const std::string saved = (base / "expected.wav").string();
        EXPECT_TRUE(runProgram(options(edits + "saveas " + saved + "\nquit\n", {input})).exited);
        const std::vector<std::uint8_t> expected = readBytes(saved);
        fs::remove(saved);
        // Killed once the edits are done.
        const std::string output = (base / "output").string();
        fs::remove(output);
        const pid_t pid =
            startProgram(options(edits + "print title\nwait 600000\n", {input}), output);
        for (int tries = 0; tries < 3000; ++tries) {
            std::ifstream in(output);
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find("title:") != std::string::npos) break;
            ::usleep(20000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return expected;
    }

    fs::path base, work;
    std::string input;
    int scripts = 0;
};

TEST_F(KilledRecovery, AKillAtAnyCallOfARecoveryLosesNothingAndOffersTheSoundOnce) {
    if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is missing";
    // The sound as one working file (taken over by a move) and as pieces put together in
    // memory (written to a new working file).
    for (const char* edits :
         {"command ID_EFFECTS_REVERSE\n", "select 50 150\ncommand ID_EDIT_CUT\n"}) {
        SCOPED_TRACE(edits);
        fs::remove_all(work);
        fs::create_directory(work);
        const std::vector<std::uint8_t> expected = leaveSession(edits);
        ASSERT_EQ(leftInWork().size(), 1u);
        const std::string dead = (work / leftInWork()[0]).string();
        const fs::path saved = base / "left";
        fs::remove_all(saved);
        ASSERT_EQ(std::system(("cp -a " + work.string() + " " + saved.string()).c_str()), 0);

        // One recovery traced whole: the calls to kill it at.
        const std::string trace = (base / "trace").string();
        ProgramOptions traced = options("answer yes\nprint title\nquit\n");
        traced.launcher = strace({"-y", "-o", trace, "-e", std::string("trace=") + kFileCalls});
        ASSERT_TRUE(runProgram(traced).has("title: Quorbel - Recovered - in.wav"));
        const std::vector<KillPoint> points = killPoints(trace, dead, work.string());
        ASSERT_GE(points.size(), 5u);

        int killed = 0;
        for (const KillPoint& point : points) {
            SCOPED_TRACE(point.line);
            restore(saved);
            ProgramOptions run = options("answer yes\nprint title\nquit\n");
            run.launcher = strace(
                {"-o", "/dev/null", "-e", "trace=" + point.call, "-e",
                 "inject=" + point.call + ":signal=SIGKILL:when=" + std::to_string(point.nth)});
            if (runProgram(run).signal != SIGKILL) continue;  // ran past it: nothing to check
            ++killed;
            const std::string out = (base / "out.wav").string();
            const ProgramResult next =
                runProgram(options("answer yes\nsaveas " + out + "\nquit\n"));
            EXPECT_TRUE(next.has(kQuestion)) << next.errors;
            EXPECT_EQ(readBytes(out), expected);
            EXPECT_TRUE(leftInWork().empty()) << leftInWork()[0];
            fs::remove(out);
        }
        std::printf("killed-recovery: %d of %zu calls killed the recovery\n", killed,
                    points.size());
        EXPECT_GE(killed * 10, static_cast<int>(points.size()) * 8);
    }
}

}  // namespace
}  // namespace quorbel::process
