// Saving over a file: through symbolic links, onto things that are not files, and killed
// half-way. Whatever happens, the old file or the complete new one is there, and nothing else.

#include "wavefile/file_replacement.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "audio/sound_file_writer.h"
#include "fakes/child_process.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/wav_builder.h"
#include "res/wave_messages.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

WaveError save(const std::string& path, const Bytes& data) {
    return writeSoundFile(path, FmtBody(1, 8000, 8), data);
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class FileReplacementTest : public ::testing::Test {
  protected:
    FakeTempDir dir;
};

TEST_F(FileReplacementTest, SavingThroughSymbolicLinksUpdatesTheFileTheyNameAndKeepsTheLinks) {
    fs::create_directory(dir.path() / "sounds");
    const std::string real = dir.file("sounds/real.wav");
    WriteBytes(real, SimpleWave(Counting(4), 1, 8, 8000));
    ::chmod(real.c_str(), 0640);
    // A relative link into another folder, and an absolute link to that link.
    const std::string link = dir.file("link.wav");
    const std::string outer = dir.file("outer.wav");
    fs::create_symlink("sounds/real.wav", link);
    fs::create_symlink(link, outer);

    for (const std::string& path : {link, outer}) {
        SCOPED_TRACE(path);
        const Bytes sound = Counting(10, static_cast<int>(path.size()));
        ASSERT_FALSE(save(path, sound));
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_TRUE(fs::is_symlink(outer));
        EXPECT_EQ(fs::read_symlink(link), "sounds/real.wav");
        EXPECT_EQ(ReadBytes(real), SimpleWave(sound, 1, 8, 8000));
        EXPECT_EQ(modeOf(real), 0640u);
        EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"link.wav", "outer.wav", "sounds"}));
        EXPECT_EQ(namesIn(dir.path() / "sounds"), std::set<std::string>{"real.wav"});
    }

    // A link to a file that does not exist yet creates that file.
    const std::string dangling = dir.file("dangling.wav");
    fs::create_symlink("sounds/new.wav", dangling);
    ASSERT_FALSE(save(dangling, Counting(2)));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadBytes(dir.file("sounds/new.wav")), SimpleWave(Counting(2), 1, 8, 8000));
}

TEST_F(FileReplacementTest, RefusesToReplaceWhatIsNotARegularFile) {
    const std::string pipe = dir.file("pipe.wav");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    const std::string folder = dir.file("folder.wav");
    fs::create_directory(folder);
    const std::string loop = dir.file("loop.wav");
    fs::create_symlink("loop.wav", loop);
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {pipe, "not a regular file but a named pipe (FIFO)"},
        {folder, "not a regular file but a folder"},
        {loop, "Too many levels of symbolic links"},
    };
    for (const auto& c : cases) {
        const WaveError p = save(c.path, Counting(4));
        ASSERT_TRUE(p);
        EXPECT_EQ(MessageFor(*p).text, "Cannot write the file " + c.path + ": " + c.reason);
    }
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"pipe.wav", "folder.wav", "loop.wav"}));
}

// A save killed after writing half of its new content.
void killedHalfway(const std::string& target, bool allowUnnamed) {
    RunInChild([&] {
        FileReplacement replacement;
        if (!replacement.begin(target, allowUnnamed).empty()) return std::string("begin failed");
        const Bytes half = Counting(5000);
        (void)!::write(replacement.fd(), half.data(), half.size());
        ::raise(SIGKILL);
        return std::string();
    });
}

TEST_F(FileReplacementTest, AKilledSaveLeavesTheOldFileAndNothingTheNextSaveDoesNotClear) {
    const std::string target = dir.file("keep.wav");
    const Bytes old = SimpleWave(Counting(10), 1, 8, 8000);
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed" : "hidden name");
        WriteBytes(target, old);
        killedHalfway(target, unnamed);
        EXPECT_EQ(ReadBytes(target), old);
        const std::set<std::string> left = namesIn(dir.path());
        if (unnamed) {
            EXPECT_EQ(left, std::set<std::string>{"keep.wav"});
        } else {
            ASSERT_EQ(left.size(), 2u);
            const std::string hidden = *left.begin();
            EXPECT_EQ(hidden.rfind(".quorbel-save-", 0), 0u) << hidden;
        }
        // The next save into the folder, of any file, clears what the killed one left.
        ASSERT_FALSE(save(dir.file("other.wav"), Counting(3)));
        EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"keep.wav", "other.wav"}));
        fs::remove(dir.file("other.wav"));
    }
}

TEST_F(FileReplacementTest, ASaveStillRunningKeepsItsFileWhileAnotherSaveClearsTheFolder) {
    const std::string first = dir.file("first.wav");
    FileReplacement running;
    ASSERT_EQ(running.begin(first, /*allowUnnamed=*/false), "");
    const Bytes content = SimpleWave(Counting(6), 1, 8, 8000);
    ASSERT_EQ(::write(running.fd(), content.data(), content.size()),
              static_cast<ssize_t>(content.size()));

    ASSERT_FALSE(save(dir.file("second.wav"), Counting(3)));
    ASSERT_EQ(running.commit(), "");
    EXPECT_EQ(ReadBytes(first), content);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"first.wav", "second.wav"}));
}

}  // namespace
}  // namespace quorbel
