// A working file that another program truncates, overwrites or removes while its sound
// plays: the sound plays on whole, stays whole in the window, Undo and Redo still reach it,
// and Save writes it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "fakes/piece_bytes.h"
#include "fakes/temp_dir_scope.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"
#include "wavefile/guarded_mapping.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
namespace fs = std::filesystem;

TEST(ChangedWorkingFileTest, TheSoundStaysWholeWhateverAnotherProgramDoesToItsFile) {
    struct Change {
        const char* name;
        std::string (*command)(const std::string& file);
    };
    const Change changes[] = {
        {"truncated to nothing", [](const std::string& f) { return "truncate -s 0 '" + f + "'"; }},
        {"cut to half",
         [](const std::string& f) {
             return "truncate -s " + std::to_string(fs::file_size(f) / 2) + " '" + f + "'";
         }},
        {"overwritten",
         [](const std::string& f) {
             return "dd if=/dev/zero of='" + f + "' bs=4096 count=2 conv=notrunc status=none";
         }},
        {"removed", [](const std::string& f) { return "rm '" + f + "'"; }},
        {"renamed away", [](const std::string& f) { return "mv '" + f + "' '" + f + ".x'"; }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        FakeTempDir work;
        TempDirScope tmp{work.path()};
        ViewRig rig;
        rig.open(Mono8Second());
        ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
        ASSERT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        const std::vector<std::uint8_t> reversed = BytesOf(rig.view->m_waveData);
        const std::string file = rig.doc.m_workingFiles.Files().back();
        rig.backend.keepPlayedBytes(true);
        ASSERT_TRUE(rig.click(ID_BUTTON_PLAY));
        rig.run(100);

        // The other program waits until the bytes are safe (truncate, which does not wait,
        // is refused until then and tried again).
        const std::string command = change.command(file) + " 2>/dev/null";
        int tries = 0;
        while (std::system(command.c_str()) != 0 && ++tries < 100)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_LT(tries, 100);
        // A removal is heard of a moment later.
        std::vector<ChangedWorkingFile> changed;
        for (int wait = 0; wait < 100 && changed.empty(); ++wait) {
            changed = TakeChangedWorkingFiles();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_EQ(changed.size(), 1u);
        EXPECT_EQ(changed[0].path, file);
        EXPECT_EQ(changed[0].lostBytes, 0u);
        EXPECT_TRUE(rig.doc.WorkingFileChanged(file, true));

        EXPECT_EQ(BytesOf(rig.view->m_waveData), reversed);
        rig.run(1000);  // plays on to the end
        const auto played = rig.backend.playedBytes();
        ASSERT_FALSE(played.empty());
        EXPECT_EQ(played.back(), AsStdBytes(reversed));
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        ASSERT_TRUE(rig.click(ID_EDIT_REDO));
        EXPECT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        EXPECT_EQ(BytesOf(rig.view->m_waveData), reversed);
        const std::string saved = rig.folder.file("saved.wav");
        ASSERT_TRUE(rig.doc.OnSaveDocument(saved));
        EXPECT_EQ(SavedData(ReadBytes(saved)), reversed);
    }
}

}  // namespace
}  // namespace quorbel
