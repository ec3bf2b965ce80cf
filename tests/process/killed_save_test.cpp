// Starts the real program saving a large sound over an existing file and kills it (SIGKILL) at
// many points of the save: from the first byte written to after the new file took the old
// one's place. Every outcome must be the old file or the new one, complete, and nothing else
// may be left in the folder but a hidden file the next save clears.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Large enough that the save takes a while to write and sync: the program does not read the
// saved file back, so the save itself is the whole window.
constexpr std::uint32_t kSoundBytes = 8 * 1024 * 1024;
constexpr int kKills = 40;

// True once the process has a file open in `folder`: the save has begun writing there.
bool writingInto(pid_t pid, const std::string& folder) {
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fdDir.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        char target[4096];
        const std::string link = fdDir + "/" + entry->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        target[n] = '\0';
        if (std::string(target).rfind(folder + "/", 0) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool exited(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class KilledSave : public ::testing::Test {
  protected:
    KilledSave() {
        char pattern[] = "/tmp/quorbel-kill-XXXXXX";
        base = ::mkdtemp(pattern);
        fs::create_directory(base / "sounds");
        fs::create_directory(base / "target");
        fs::create_directory(base / "work");
        source = (base / "sounds" / "new.wav").string();
        target = (base / "target" / "song.wav").string();
        targetFolder = (base / "target").string();
        newBytes = waveBytes(kSoundBytes, 3);
        oldBytes = waveBytes(kSoundBytes / 3, 5);
        writeBytes(source, newBytes);
        script = (base / "script.txt").string();
        writeText(script, "saveas " + target + "\nquit\n");
    }
    ~KilledSave() override { fs::remove_all(base); }

    pid_t start() {
        ProgramOptions options;
        options.arguments = {"--script", script, source};
        options.tmpdir = (base / "work").string();
        return startProgram(options, (base / "program.log").string());
    }

    // Waits until the save writes into the target's folder; false when the program ended or
    // took too long first.
    bool waitForWrite(pid_t pid) {
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < deadline) {
            if (writingInto(pid, targetFolder)) return true;
            if (exited(pid)) return false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
    }

    std::set<std::string> leftovers() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(targetFolder)) {
            const std::string name = entry.path().filename().string();
            if (name != "song.wav") names.insert(name);
        }
        return names;
    }

    fs::path base;
    std::string source, target, targetFolder, script;
    std::vector<std::uint8_t> newBytes, oldBytes;
};

TEST_F(KilledSave, EveryKillLeavesTheOldFileOrTheNewOneAndNothingElse) {
    // One undisturbed save measures how long the write takes, from its first byte until the
    // new file has the target's name.
    ASSERT_TRUE(writeBytes(target, oldBytes));
    const ino_t oldInode = inodeOf(target);
    pid_t pid = start();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitForWrite(pid)) << "the save never wrote into the target's folder";
    const auto began = Clock::now();
    while (inodeOf(target) == oldInode && !exited(pid))
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    const double windowMs =
        std::max(5.0, std::chrono::duration<double, std::milli>(Clock::now() - began).count());
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_EQ(readBytes(target), newBytes);
    ASSERT_TRUE(leftovers().empty());

    // Kills spread from the first byte written to a quarter past the rename.
    int keptOld = 0, gotNew = 0, hiddenLeft = 0, missed = 0;
    for (int k = 0; k < kKills; ++k) {
        SCOPED_TRACE("kill " + std::to_string(k + 1));
        ASSERT_TRUE(writeBytes(target, oldBytes));
        pid = start();
        ASSERT_GT(pid, 0);
        if (!waitForWrite(pid)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            // On a busy machine the whole save can pass between two looks: when it did
            // complete, this round is tried again rather than failed.
            const bool completed = readBytes(target) == newBytes && leftovers().empty();
            if (completed && ++missed <= kKills) {
                --k;
                continue;
            }
            ADD_FAILURE() << "the save never wrote into the target's folder";
            continue;
        }
        const double afterMs = windowMs * 1.25 * k / (kKills - 1);
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(afterMs));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);

        const std::vector<std::uint8_t> now = readBytes(target);
        if (now == oldBytes) {
            ++keptOld;
        } else if (now == newBytes) {
            ++gotNew;
        } else {
            ADD_FAILURE() << "the target is neither the old file nor the new one (" << now.size()
                          << " bytes)";
        }
        // Only a hidden file of a save killed between naming its complete file and the
        // rename may be left, and the next save clears it.
        for (const std::string& name : leftovers()) {
            EXPECT_EQ(name.rfind(".quorbel-save-", 0), 0u) << name;
            ++hiddenLeft;
        }
    }
    std::printf(
        "killed-save: %d kills over a %.1f ms write: %d kept the old file, %d had the "
        "new one, %d hidden files left, %d saves passed unseen and were tried again\n",
        kKills, windowMs, keptOld, gotNew, hiddenLeft, missed);
    RecordProperty("kills", kKills);
    EXPECT_EQ(keptOld + gotNew, kKills);
    EXPECT_GT(keptOld, 0) << "no kill landed during the write";

    // One more save, run to its end, clears whatever killed ones left.
    ASSERT_TRUE(writeBytes(target, oldBytes));
    pid = start();
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(readBytes(target), newBytes);
    EXPECT_TRUE(leftovers().empty());
}

}  // namespace
}  // namespace quorbel::process
