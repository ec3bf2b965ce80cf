// File names that are not UTF-8 (as older systems and other locales make them): the program
// opens, saves and lists such a file under the bytes of its name, and shows the name with
// U+FFFD only where it shows it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "process/program_run.h"
#include "process/wave_bytes.h"

namespace quorbel::process {
namespace {

namespace fs = std::filesystem;

class FileNames : public ::testing::Test {
  protected:
    FileNames() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quorbel-names-XXXXXX";
        base = fs::canonical(::mkdtemp(pattern.data()));
        fs::create_directory(base / "sounds");
        fs::create_directory(base / "work");
    }
    ~FileNames() override { fs::remove_all(base); }

    std::set<std::string> sounds() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(base / "sounds"))
            names.insert(entry.path().filename().string());
        return names;
    }

    ProgramResult run(const std::string& script, const std::vector<std::string>& files) {
        return runScript(base.string(), script, files);
    }

    fs::path base;
};

TEST_F(FileNames, ANameThatIsNotUtf8OpensSavesAndIsListedAsItsOwnBytes) {
    const std::string name = "x\xE9y.wav";  // "xéy.wav" in Latin-1
    const std::string path = (base / "sounds" / name).string();
    const std::string copy = (base / "sounds" / "copy \xE8.wav").string();
    const std::vector<std::uint8_t> original = waveBytes(4000, 3);
    const struct {
        const char* how;
        std::string script;
        std::vector<std::string> files;
    } cases[] = {
        {"from the command line", "", {path}},
        {"with open", "open " + path + "\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        ASSERT_TRUE(writeBytes(path, original));
        fs::remove(copy);
        // Reversed and saved: the same file takes the change, under the name it had.
        const ProgramResult r = run(c.script +
                                        "print title\ncommand ID_EFFECTS_REVERSE\nsave\n"
                                        "print recent\nsaveas \"" +
                                        copy + "\"\nprint title\nprint recent\nquit\n",
                                    c.files);
        ASSERT_TRUE(r.exited) << "ended by signal " << r.signal << "\n" << r.errors;
        EXPECT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_TRUE(r.has("title: Quorbel - x\xEF\xBF\xBDy.wav"));
        EXPECT_TRUE(r.has("title: Quorbel - copy \xEF\xBF\xBD.wav"));
        EXPECT_TRUE(r.has("recent: " + copy)) << "listed as it is";
        EXPECT_TRUE(r.has("recent: " + path));
        EXPECT_EQ(sounds(), (std::set<std::string>{name, "copy \xE8.wav"}));
        const std::vector<std::uint8_t> saved = readBytes(path);
        EXPECT_EQ(saved.size(), original.size());
        EXPECT_NE(saved, original) << "the reversed sound was saved elsewhere";
        EXPECT_EQ(readBytes(copy), saved);
    }
}

}  // namespace
}  // namespace quorbel::process
