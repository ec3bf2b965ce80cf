// The opened sound is copied into the session folder after the first edit: a crash after the
// user's file was saved over still brings back what the window shows, and a copy that cannot
// be made is said on the status line.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "audio/recovered_sound.h"
#include "fakes/child_process.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/piece_bytes.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"
#include "wavefile/session_folder.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

// A view rig whose document keeps its working files and note in a session folder.
struct SessionRig : ViewRig {
    SessionRig() {
        auto made = SessionFolder::Create(root.path().string() + "/");
        EXPECT_TRUE(made);
        if (made) session = std::move(*made);
        context.session = session.get();
    }
    // The document's folder, from where its note is.
    std::string DocumentFolder() const {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path())) {
            if (entry.path().filename() == kDocumentNoteName)
                return entry.path().parent_path().string() + "/";
        }
        return {};
    }
    // Opens a second of sound: its bytes.
    Bytes Open() {
        CQuorbelView& v = open(Mono8Second());
        user = doc.m_strFileName;
        return BytesOf(v.m_waveData);
    }
    // Cuts 200 ms of it and saves over the opened file.
    void CutAndSaveOver() {
        EXPECT_EQ(view->SetSelectionMs(100, 300), "");
        EXPECT_TRUE(click(ID_EDIT_CUT));
        saved = doc.OnSaveDocument(user);
        EXPECT_TRUE(saved);
        view->AdoptDocumentDevice();
    }

    FakeTempDir root;
    std::unique_ptr<SessionFolder> session;
    std::string user;  // the opened file
    bool saved = false;
};

TEST(BackgroundCopy, UndoAfterSavingOverTheOpenedFileIsRecoveredFromTheCopy) {
    SessionRig rig;
    const Bytes opened = rig.Open();
    rig.CutAndSaveOver();
    const std::string user = rig.user;
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    EXPECT_EQ(BytesOf(rig.view->m_waveData), opened);
    const std::string folder = rig.DocumentFolder();
    const std::optional<DocumentNote> note = ReadDocumentNote(folder);
    ASSERT_TRUE(note);
    ASSERT_EQ(note->blocks.size(), 1u);
    EXPECT_TRUE(note->blocks[0].own) << "the copy in the session folder, not " << user;
    RecoveredSound recovered;
    ASSERT_FALSE(RecoverSound({folder, note}, recovered));
    EXPECT_EQ(BytesOf(recovered.sound.data), opened);
}

TEST(BackgroundCopy, ACopyTheDiskRefusesIsSaidAndTheEditsStand) {
    const ChildResult child = RunInChild([] {
        ::signal(SIGXFSZ, SIG_IGN);
        SessionRig rig;
        const Bytes opened = rig.Open();
        // Room for the saved cut sound, not for a copy of the whole opened one.
        const rlim_t room = opened.size() + 44 - 1;
        const rlimit limit{room, room};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        rig.CutAndSaveOver();
        std::string out = BytesOf(rig.view->m_waveData).size() < opened.size() ? "cut|" : "?|";
        for (const std::string& text : rig.frame.texts) out += text + "\n";
        out += rig.saved ? "saved\n" : "not saved\n";
        return out;
    });
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    EXPECT_EQ(child.output.rfind("cut|", 0), 0u) << child.output;
    EXPECT_NE(child.output.find("\nsaved\n"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("The opened sound could not be copied for recovery (Cannot write "
                                "the file "),
              std::string::npos)
        << child.output;
    EXPECT_NE(child.output.find("File too large). Until it is saved"), std::string::npos)
        << child.output;
}

}  // namespace
}  // namespace quorbel
