// Working files live as long as their document's window: kept while it is open, removed when
// it closes normally, left for the user to find after a crash.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <set>

#include "fakes/child_process.h"
#include "fakes/temp_dir_scope.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
namespace fs = std::filesystem;

// The regular files directly in `folder` (a rig's own test folder may sit there too).
std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) names.insert(entry.path().filename().string());
    return names;
}

class WorkingFilesTest : public ::testing::Test {
  protected:
    // Opens the user's file, records into it twice and reverses it: three working files, one
    // for each take and one for the reversed sound.
    void recordTwice(ViewRig& rig) {
        ASSERT_TRUE(rig.doc.OnOpenDocument(userFile));
        rig.show();
        for (int take = 0; take < 2; ++take) {
            ASSERT_TRUE(rig.click(ID_BUTTON_RECORD));
            rig.run(100);
            ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
            ASSERT_EQ(rig.doc.m_workingFiles.Files().size(), take + 1u);
        }
        rig.view->OnLButtonDown(MK_LBUTTON, {0, 170});
        rig.view->OnMouseMove(MK_LBUTTON, {120, 300});
        ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
        ASSERT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        ASSERT_EQ(rig.doc.m_workingFiles.Files().size(), 3u);
    }

    WavFolder home;
    std::string userFile = home.write("sound.wav", Mono8Second());
    FakeTempDir work;
    TempDirScope tmp{work.path()};
};

TEST_F(WorkingFilesTest, AreKeptWhileTheDocumentIsOpenAndRemovedWhenItsWindowCloses) {
    auto rig = std::make_unique<ViewRig>();
    recordTwice(*rig);
    const std::vector<std::string> made = rig->doc.m_workingFiles.Files();
    EXPECT_EQ(filesIn(work.path()).size(), 3u);
    EXPECT_EQ(rig->view->m_strCurrentFile, made[2]);
    EXPECT_EQ(fs::path(made[0]).parent_path(), work.path());

    rig.reset();  // the window closes: view first, then its document
    EXPECT_TRUE(filesIn(work.path()).empty());
    EXPECT_EQ(filesIn(home.path()), std::set<std::string>{"sound.wav"});
}

TEST_F(WorkingFilesTest, AWorkingFileTheUserSavedOverIsTheirsAndStays) {
    const fs::path link = work.path() / "kept.wav";
    std::string first;
    {
        ViewRig rig;
        recordTwice(rig);
        first = rig.doc.m_workingFiles.Files()[0];
        // Save As onto a working file, through a link to it: it becomes the user's file.
        fs::create_symlink(first, link);
        ASSERT_TRUE(rig.doc.OnSaveDocument(link.string()));
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(filesIn(work.path()),
              (std::set<std::string>{"kept.wav", fs::path(first).filename().string()}));
}

TEST_F(WorkingFilesTest, StayAfterACrash) {
    const ChildResult child = RunInChild([this] {
        ViewRig rig;
        recordTwice(rig);
        ::raise(SIGKILL);
        return std::string();
    });
    EXPECT_EQ(child.signal, SIGKILL);
    EXPECT_EQ(filesIn(work.path()).size(), 3u);
}

}  // namespace
}  // namespace quorbel
