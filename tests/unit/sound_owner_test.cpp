// The sound of a document has one owner: the device's snapshot, from which the view draws,
// every edit reads and Save writes. Whatever happens to the user's file or the working files
// meanwhile, Undo and a failed edit never lose or change that sound.

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::SavedData;
using testing::WavContent;
namespace fs = std::filesystem;

// A view on one second of 16-bit stereo sound at 44100 Hz, with its working files in a
// folder of its own.
struct OwnerRig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};
    WavContent sound = [] {
        WavContent s;
        s.bits = 16;
        s.channels = 2;
        s.rate = 44100;
        s.data = testing::Ramp(44100 * 4);
        return s;
    }();
    std::string path;

    CQuorbelView& openSound() {
        CQuorbelView& v = open(sound);
        path = doc.m_strFileName;
        return v;
    }
    // The start handle dragged to x = 150.
    void selectFrom150(CQuorbelView& v) {
        v.OnLButtonDown(MK_LBUTTON, {0, 170});
        v.OnMouseMove(MK_LBUTTON, {150, 300});
    }
    Bytes shown() const { return BytesOf(view->m_waveData); }
    // Another program clears the temporary folder.
    void removeWorkingFiles() const {
        for (const auto& f : fs::directory_iterator(temp.path())) fs::remove(f.path());
    }
    std::size_t workingFiles() const {
        std::size_t n = 0;
        for (const auto& entry : fs::directory_iterator(temp.path())) n += entry.is_regular_file();
        return n;
    }
    // Saves the document's sound to `to` the way the window's Save As does, and reads it back.
    Bytes saveAs(const std::string& to) {
        EXPECT_TRUE(doc.OnSaveDocument(to));
        view->AdoptDocumentDevice();
        return SavedData(ReadBytes(to));
    }
    std::uint32_t deviceMs() {
        std::uint32_t ms = 0;
        EXPECT_EQ(devices.length(view->m_wDeviceID, ms), 0u);
        return ms;
    }
};

TEST(SoundOwner, UndoBringsBackTheSoundWhateverHappenedToTheUsersFile) {
    struct Case {
        const char* name;
        void (*change)(OwnerRig&);
    };
    const Case cases[] = {
        {"Save", [](OwnerRig& r) { r.saveAs(r.path); }},
        {"Save As onto it", [](OwnerRig& r) { r.saveAs(r.folder.file("sound.wav")); }},
        {"rewritten by another program",
         [](OwnerRig& r) { testing::WriteBytes(r.path, testing::WavBytes(WavContent{})); }},
        {"truncated by another program", [](OwnerRig& r) { fs::resize_file(r.path, 100); }},
        {"removed by another program", [](OwnerRig& r) { fs::remove(r.path); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnerRig rig;
        CQuorbelView& v = rig.openSound();
        rig.selectFrom150(v);
        ASSERT_TRUE(rig.click(ID_EDIT_CUT));
        ASSERT_LT(v.WaveDataLen(), rig.sound.data.size());
        c.change(rig);
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        EXPECT_EQ(rig.frame.statusText(), "Undo operation complete!");
        EXPECT_EQ(rig.shown(), rig.sound.data);
        EXPECT_EQ(rig.deviceMs(), 1000u);
        EXPECT_EQ(rig.saveAs(rig.folder.file("after-undo.wav")), rig.sound.data);
    }
}

TEST(SoundOwner, AZeroDataSizeIsTheWholeSoundForPictureDeviceAndSave) {
    for (const std::uint32_t declared : {0u, 0xFFFFFFFFu, 0x7FFFFFF0u}) {
        SCOPED_TRACE(declared);
        OwnerRig rig;
        rig.sound.dataSize = declared;
        CQuorbelView& v = rig.openSound();
        EXPECT_TRUE(rig.window.boxes.empty());
        EXPECT_EQ(v.WaveDataLen(), 44100u * 4);
        EXPECT_EQ(v.m_dwLength, 1000u);
        EXPECT_EQ(rig.deviceMs(), 1000u);
        EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
        const Bytes file = ReadBytes(rig.path);
        EXPECT_EQ(rig.saveAs(rig.path), rig.sound.data);
        const Bytes saved = ReadBytes(rig.path);
        EXPECT_EQ(testing::ReadLe32(saved, 40), 44100u * 4) << "a correct header";
        EXPECT_EQ(testing::ReadLe32(saved, 4), saved.size() - 8);
    }
}

TEST(SoundOwner, AFailedEditKeepsTheSoundItHadAndNeverRereadsTheUsersFile) {
    struct Case {
        const char* name;
        int command;
        void (*before)(OwnerRig&);  // what happens between opening and the failing command
    };
    const Case cases[] = {
        {"Octave down, user's file truncated", ID_OCTAVE_DECREASE,
         [](OwnerRig& r) { fs::resize_file(r.path, 100); }},
        {"Octave down, user's file removed", ID_OCTAVE_DECREASE,
         [](OwnerRig& r) { fs::remove(r.path); }},
        {"Paste after Cut, working files removed", ID_EDIT_PASTE,
         [](OwnerRig& r) {
             r.selectFrom150(*r.view);
             ASSERT_TRUE(r.click(ID_EDIT_CUT));
             r.removeWorkingFiles();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnerRig rig;
        rig.openSound();
        c.before(rig);
        const Bytes sound = rig.shown();
        const std::uint32_t ms = rig.deviceMs();
        const bool modified = rig.doc.IsModified();
        // No working file can be written any more.
        testing::ScopedTmpDir gone((rig.temp.path() / "gone").string());
        rig.window.boxes.clear();
        ASSERT_TRUE(rig.click(c.command));
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_NE(rig.window.boxes[0].text.find("gone"), std::string::npos)
            << rig.window.boxes[0].text;
        EXPECT_EQ(rig.shown(), sound);
        EXPECT_EQ(rig.deviceMs(), ms);
        EXPECT_EQ(rig.doc.IsModified(), modified);
        EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
        EXPECT_EQ(rig.saveAs(rig.folder.file("kept.wav")), sound);
    }
}

TEST(SoundOwner, AFailedUndoLeavesTheDocumentPlayableAndSavable) {
    OwnerRig rig;
    CQuorbelView& v = rig.openSound();
    rig.selectFrom150(v);
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    const Bytes reversed = rig.shown();
    // The Undo target's working file is gone.
    rig.removeWorkingFiles();
    rig.window.boxes.clear();
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.frame.statusText(), "Undo operation failed.");
    EXPECT_EQ(rig.shown(), reversed);
    EXPECT_TRUE(rig.doc.IsModified()) << "closing still asks";
    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
    EXPECT_EQ(rig.saveAs(rig.folder.file("saved.wav")), reversed);
}

TEST(SoundOwner, ADocumentKeepsAWorkingFileForEachVersionItsHistoryHolds) {
    OwnerRig rig;
    CQuorbelView& v = rig.openSound();
    rig.selectFrom150(v);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.click(ID_EDIT_COPY));
    EXPECT_EQ(rig.workingFiles(), 0u) << "Copy writes nothing";
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    EXPECT_EQ(rig.workingFiles(), 0u) << "a Cut makes pieces of the user's file";
    for (const int id :
         {ID_EFFECTS_REVERSE, ID_EDIT_PASTE, ID_OCTAVE_INCREASE, ID_EDIT_UNDO, ID_EDIT_UNDO}) {
        ASSERT_TRUE(rig.click(id));
    }
    // Reverse and Octave up wrote a file each; the Paste was pieces of what the document has.
    EXPECT_EQ(rig.workingFiles(), 2u) << "Redo still reaches the shifted version";
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    EXPECT_EQ(rig.workingFiles(), 2u) << "what Redo reached went with the new edit";
    EXPECT_TRUE(fs::exists(v.m_strCurrentFile));
    EXPECT_TRUE(fs::exists(v.m_strPreviousFile));
}

}  // namespace
}  // namespace quorbel
