#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "wavefile/clipboard.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::ReadLe32;
using testing::SavedData;
using testing::ViewRig;
using testing::WavContent;

using Format = testing::SampleFormat;
constexpr const auto& kFormats = testing::kSampleFormats;

// A view with working files in a folder of its own and an empty clipboard.
struct EditRig : ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};

    // 1000 frames at 1000 Hz (1000 ms) whose bytes all differ from their neighbours.
    CQuorbelView& openSecond(Format f, const std::string& name = "sound.wav") {
        WavContent s;
        s.bits = f.bits;
        s.channels = f.channels;
        s.rate = 1000;
        s.data = testing::Ramp(1000 * f.frame());
        return open(s, name);
    }
    // Start handle at 299 ms, end handle at 558 ms of a 1000 ms sound.
    void select(CQuorbelView& v) {
        v.OnLButtonDown(MK_LBUTTON, {0, 170});
        v.OnMouseMove(MK_LBUTTON, {120, 300});
        v.OnLButtonDown(MK_LBUTTON, {380, 445});
        v.OnMouseMove(MK_LBUTTON, {200, 300});
    }
    Bytes clip() const { return BytesOf(clipboard.Pieces()); }
    std::size_t workingFiles() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(temp.path()),
                          std::filesystem::directory_iterator{}));
    }
};

Bytes Part(const Bytes& b, std::size_t from, std::size_t to) {
    return {b.begin() + static_cast<std::ptrdiff_t>(from),
            b.begin() + static_cast<std::ptrdiff_t>(to)};
}

TEST(EditCommands, CutTakesTheWholeFramesOfTheSelectionAndUndoBringsThemBack) {
    for (const Format f : kFormats) {
        SCOPED_TRACE(::testing::Message() << f.bits << "-bit x" << f.channels);
        EditRig rig;
        CQuorbelView& v = rig.openSecond(f);
        const Bytes before = SavedData(ReadBytes(v.m_strCurrentFile));
        const std::string opened = v.m_strCurrentFile;
        rig.select(v);
        ASSERT_TRUE(rig.click(ID_EDIT_CUT));
        const std::uint32_t s = 299 * f.frame(), e = 558 * f.frame();
        EXPECT_EQ(rig.clip(), Part(before, s, e));
        EXPECT_EQ(rig.clipboard.Bits(), f.bits);
        EXPECT_EQ(rig.clipboard.Channels(), f.channels);

        Bytes expected = Part(before, 0, s);
        const Bytes tail = Part(before, e, before.size());
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(BytesOf(v.m_waveData), expected);
        EXPECT_EQ(v.WaveDataLen(), expected.size());
        EXPECT_EQ(v.m_dwLength, 1000u - 259u);
        EXPECT_EQ(rig.frame.statusText(), "Cut operation complete!");
        EXPECT_EQ(rig.frame.waitBegun, 0) << "Cut shows no wait cursor";
        EXPECT_TRUE(rig.doc.IsModified());
        // Undo goes back to the sound before, held in memory: the user's file is not read
        // again, even when it changed meanwhile. The Cut wrote no sample at all.
        EXPECT_EQ(v.m_strPreviousFile, opened);
        EXPECT_EQ(rig.workingFiles(), 0u);
        std::ofstream(opened, std::ios::trunc) << "changed";

        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        // The changed file no longer holds the sound: a working file of its own does, where a
        // crash would find it.
        EXPECT_NE(v.m_strCurrentFile, opened);
        EXPECT_EQ(SavedData(ReadBytes(v.m_strCurrentFile)), before);
        EXPECT_EQ(BytesOf(v.m_waveData), before);
        EXPECT_EQ(v.m_dwLength, 1000u);
        EXPECT_EQ(rig.frame.statusText(), "Undo operation complete!");
        EXPECT_FALSE(rig.click(ID_EDIT_UNDO)) << "back at the sound as opened";
        EXPECT_EQ(rig.clip(), Part(before, s, e)) << "Undo keeps the clipboard";
        EXPECT_EQ(rig.devices.openCount(), 1u);
    }
}

TEST(EditCommands, CopyFillsTheClipboardAndLeavesSoundAndUndoAlone) {
    for (const Format f : kFormats) {
        SCOPED_TRACE(::testing::Message() << f.bits << "-bit x" << f.channels);
        EditRig rig;
        CQuorbelView& v = rig.openSecond(f);
        const Bytes before = SavedData(ReadBytes(v.m_strCurrentFile));
        // The initial handles reach past the end: the whole sound is copied.
        ASSERT_TRUE(rig.click(ID_EDIT_COPY));
        EXPECT_EQ(rig.clip(), before);
        rig.select(v);
        ASSERT_TRUE(rig.click(ID_EDIT_COPY));
        EXPECT_EQ(rig.clip(), Part(before, 299 * f.frame(), 558 * f.frame()));
        EXPECT_EQ(v.m_strCurrentFile, v.m_strPreviousFile);
        EXPECT_FALSE(rig.doc.IsModified());
        EXPECT_EQ(rig.frame.statusText(), "Copy operation complete!");
        EXPECT_EQ(rig.frame.waitBegun, 2);
        EXPECT_EQ(rig.frame.waitEnded, 2);
        EXPECT_TRUE(rig.click(ID_BUTTON_PLAY)) << "the device holds the same sound";
    }
}

TEST(EditCommands, PasteConvertsBetweenEveryPairOfFormats) {
    for (const Format from : kFormats) {
        for (const Format to : kFormats) {
            SCOPED_TRACE(::testing::Message() << from.bits << "x" << from.channels << " -> "
                                              << to.bits << "x" << to.channels);
            EditRig rig;
            CQuorbelView& source = rig.openSecond(from, "a.wav");
            rig.select(source);
            ASSERT_TRUE(rig.click(ID_EDIT_COPY));
            const Bytes copied = rig.clip();

            ViewRig target;
            target.context.clipboard = &rig.clipboard;
            WavContent s;
            s.bits = to.bits;
            s.channels = to.channels;
            s.rate = 1000;
            s.data = testing::Ramp(100 * to.frame());
            CQuorbelView& v = target.open(s);
            const Bytes before = s.data;
            v.OnLButtonDown(MK_LBUTTON, {0, 170});
            v.OnMouseMove(MK_LBUTTON, {20, 300});  // 10 px of 100 ms: 2 ms, frame 2
            ASSERT_TRUE(target.click(ID_EDIT_PASTE));

            EXPECT_EQ(rig.clip(), copied) << "Paste converts a copy";
            EXPECT_EQ(rig.clipboard.Bits(), from.bits);
            const std::uint32_t frames = 259;
            const Bytes data = BytesOf(v.m_waveData);
            ASSERT_EQ(data.size(), (100 + frames) * to.frame());
            const std::uint32_t at = 2 * to.frame();
            EXPECT_EQ(Part(data, 0, at), Part(before, 0, at));
            EXPECT_EQ(Part(data, at + frames * to.frame(), data.size()),
                      Part(before, at, before.size()));
            // Same format: the copied bytes as they were.
            if (from.bits == to.bits && from.channels == to.channels) {
                EXPECT_EQ(Part(data, at, at + frames * to.frame()), copied);
            }
            EXPECT_EQ(target.frame.statusText(), "Paste operation complete!");
            EXPECT_TRUE(target.click(ID_EDIT_UNDO));
            EXPECT_EQ(BytesOf(v.m_waveData), before);
        }
    }
}

TEST(EditCommands, AvailabilityFollowsTheWaveDataTheClipboardAndTheTwoNames) {
    EditRig rig;
    CQuorbelView& fresh = rig.openNew();
    auto enabled = [&](int id) {
        CommandState state;
        fresh.OnUpdateCommand(id, state);
        return state.enabled;
    };
    rig.clipboard.Replace(Bytes{1, 2}, 1, 8);
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    EXPECT_FALSE(enabled(ID_EDIT_COPY));
    EXPECT_FALSE(enabled(ID_EDIT_PASTE)) << "a new document has no file to paste into";
    EXPECT_FALSE(enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(rig.click(ID_EDIT_PASTE));
}

TEST(EditCommands, CutOfTheWholeSoundIsRefusedAndKeepsTheClipboard) {
    EditRig rig;
    CQuorbelView& v = rig.openSecond({16, 2});
    rig.clipboard.Replace(Bytes{1, 2, 3, 4}, 2, 16);
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text, "You cannot cut the entire file!!");
    EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(rig.clip(), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(rig.frame.statusText(), "Cut operation failed.");
    EXPECT_EQ(v.WaveDataLen(), 4000u);
    EXPECT_FALSE(rig.click(ID_EDIT_UNDO));
    EXPECT_EQ(rig.workingFiles(), 0u);
    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
}

TEST(EditCommands, ASelectionPastTheEndOfTheSoundCutsNothingInFrontOfIt) {
    EditRig rig;
    CQuorbelView& v = rig.openSecond({16, 1});
    const Bytes before = SavedData(ReadBytes(v.m_strCurrentFile));
    v.OnLButtonDown(MK_LBUTTON, {0, 170});
    v.OnMouseMove(MK_LBUTTON, {300, 300});  // start 790 ms, end past the end
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    EXPECT_EQ(rig.clip(), Part(before, 790 * 2, before.size()));
    EXPECT_EQ(BytesOf(v.m_waveData), Part(before, 0, 790 * 2));
}

TEST(EditCommands, AFailedEditLeavesTheDocumentPlayableSavableAndUnchanged) {
    EditRig rig;
    CQuorbelView& v = rig.openSecond({16, 2});
    rig.select(v);
    const Bytes original = BytesOf(v.m_waveData);
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    const std::string afterCut = v.m_strCurrentFile, beforeCut = v.m_strPreviousFile;
    const Bytes sound = BytesOf(v.m_waveData);

    // The working-file folder does not exist: no working file can be made. Copy and Cut
    // need none; a Paste of bytes from elsewhere does.
    auto gone = std::make_unique<testing::ScopedTmpDir>((rig.temp.path() / "gone").string());
    ASSERT_TRUE(rig.click(ID_EDIT_COPY));
    EXPECT_TRUE(rig.window.boxes.empty());
    rig.clipboard.Replace(Bytes{9, 9, 9, 9}, 2, 16);
    for (const int id : {ID_EDIT_PASTE}) {
        rig.window.boxes.clear();
        ASSERT_TRUE(rig.click(id)) << id;
        ASSERT_EQ(rig.window.boxes.size(), 1u) << id;
        EXPECT_NE(rig.window.boxes[0].text.find("gone"), std::string::npos);
        EXPECT_EQ(v.m_strCurrentFile, afterCut);
        EXPECT_EQ(v.m_strPreviousFile, beforeCut) << "Undo stays as it was";
        EXPECT_EQ(BytesOf(v.m_waveData), sound);
    }
    EXPECT_EQ(rig.frame.texts.back(), "Paste operation failed.");
    EXPECT_EQ(rig.frame.waitBegun, rig.frame.waitEnded);
    EXPECT_EQ(rig.clip(), (Bytes{9, 9, 9, 9}));
    gone.reset();

    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
    const std::string saved = rig.folder.file("saved.wav");
    EXPECT_TRUE(rig.doc.OnSaveDocument(saved));
    EXPECT_EQ(SavedData(ReadBytes(saved)), sound);

    // The user's file the sound came from has vanished: Undo reads nothing back from it.
    std::filesystem::remove(beforeCut);
    rig.window.boxes.clear();
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    EXPECT_TRUE(rig.window.boxes.empty());
    EXPECT_EQ(BytesOf(v.m_waveData), original);
}

TEST(EditCommands, PasteOfAFormatWithoutAConversionIsRefusedBeforeAnythingChanges) {
    EditRig rig;
    CQuorbelView& v = rig.openSecond({16, 2});
    rig.clipboard.Replace(Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 4, 24);
    ASSERT_TRUE(rig.click(ID_EDIT_PASTE));
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_NE(rig.window.boxes[0].text.find("24-bit 4-channel"), std::string::npos);
    EXPECT_EQ(rig.frame.statusText(), rig.window.boxes[0].text);
    EXPECT_EQ(rig.clipboard.Bits(), 24);
    EXPECT_EQ(v.m_strCurrentFile, v.m_strPreviousFile);
    EXPECT_EQ(rig.workingFiles(), 0u);
}

TEST(EditCommands, TwoEditsThenUndoGoBackToTheFirstEdit) {
    EditRig rig;
    CQuorbelView& v = rig.openSecond({8, 1});
    rig.select(v);
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    const std::string first = v.m_strCurrentFile;
    const std::uint32_t afterFirst = v.WaveDataLen();
    ASSERT_TRUE(rig.click(ID_EDIT_PASTE));
    EXPECT_EQ(v.WaveDataLen(), afterFirst + 259);
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    EXPECT_EQ(v.m_strCurrentFile, first);
    EXPECT_EQ(v.WaveDataLen(), afterFirst);
}

}  // namespace
}  // namespace quorbel
