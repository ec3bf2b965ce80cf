#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "fakes/wav_builder.h"
#include "res/wave_messages.h"
#include "wavefile/temp_files.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

// Sets TMPDIR for one test and puts back what was there.
class ScopedTmpDir {
  public:
    explicit ScopedTmpDir(const char* value) {
        if (const char* old = std::getenv("TMPDIR")) saved_ = old;
        if (value != nullptr) {
            setenv("TMPDIR", value, 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    ~ScopedTmpDir() {
        if (saved_) {
            setenv("TMPDIR", saved_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

  private:
    std::optional<std::string> saved_;
};

class TempFilesTest : public WavFolderTest {};

TEST_F(TempFilesTest, DirectoryComesFromTmpdirWithATrailingSlash) {
    {
        ScopedTmpDir env(nullptr);
        EXPECT_EQ(TempDirectory(), "/tmp/");
    }
    {
        ScopedTmpDir env("");
        EXPECT_EQ(TempDirectory(), "/tmp/");
    }
    {
        ScopedTmpDir env("/var/scratch");
        EXPECT_EQ(TempDirectory(), "/var/scratch/");
    }
    {
        ScopedTmpDir env("/var/scratch/");
        EXPECT_EQ(TempDirectory(), "/var/scratch/");
    }
}

TEST_F(TempFilesTest, NamesUseThreeLettersOfThePrefixAndExistEmpty) {
    ScopedTmpDir env(folder.path().c_str());
    for (const char* prefix : {"cutfile", "copyfile", "pastefile", "newfile"}) {
        auto name = NewTempFileName(prefix);
        ASSERT_TRUE(name) << MessageFor(name.error()).text;
        const std::filesystem::path path(*name);
        EXPECT_EQ(path.parent_path(), folder.path());
        EXPECT_EQ(path.filename().string().substr(0, 3), std::string(prefix).substr(0, 3));
        EXPECT_TRUE(std::filesystem::is_regular_file(path));
        EXPECT_EQ(std::filesystem::file_size(path), 0u);
    }
}

TEST_F(TempFilesTest, NamesAreUniqueAcrossCallsAndThreads) {
    const std::string dir = folder.path().string() + "/";
    constexpr int kPerThread = 500;
    std::vector<std::string> a;
    std::vector<std::string> b;
    auto make = [&dir](std::vector<std::string>& out) {
        for (int i = 0; i < kPerThread; ++i) {
            auto name = NewTempFileName(dir, "pastefile");
            if (name) out.push_back(*name);
        }
    };
    std::thread first(make, std::ref(a));
    std::thread second(make, std::ref(b));
    first.join();
    second.join();
    std::set<std::string> all(a.begin(), a.end());
    all.insert(b.begin(), b.end());
    EXPECT_EQ(a.size() + b.size(), 2u * kPerThread);
    EXPECT_EQ(all.size(), 2u * kPerThread);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              2 * kPerThread);
}

TEST_F(TempFilesTest, UnusableDirectoryIsReportedWithItsName) {
    const std::string missing = folder.file("gone") + "/";
    auto name = NewTempFileName(missing, "cutfile");
    ASSERT_FALSE(name);
    EXPECT_EQ(MessageFor(name.error()).style, MessageStyle::Error);
    EXPECT_EQ(MessageFor(name.error()).text.rfind("Cannot create temporary file!", 0), 0u);
    EXPECT_NE(MessageFor(name.error()).text.find(missing), std::string::npos);

    // A regular file where the folder should be.
    const std::string file = folder.write("plain", Bytes{1});
    ScopedTmpDir env(file.c_str());
    auto viaEnv = NewTempFileName("newfile");
    ASSERT_FALSE(viaEnv);
    EXPECT_NE(MessageFor(viaEnv.error()).text.find(file + "/"), std::string::npos);
}

}  // namespace
}  // namespace quorbel
