// Edits and effects running in the background, as the Qt shell runs them: the view is polled
// by its operation timer (never fired by the fake window, so the test decides when), and a
// cancel at any point leaves the document exactly as it was.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "framework/command_target.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::ReadBytes;

struct LongWorkRig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};

    CQuorbelView& openSound(testing::SampleFormat f) {
        testing::WavContent s;
        s.bits = f.bits;
        s.channels = f.channels;
        s.rate = 1000;
        s.data = testing::Ramp(1000 * f.frame());
        CQuorbelView& v = open(s);
        v.OnLButtonDown(MK_LBUTTON, {0, 170});
        v.OnMouseMove(MK_LBUTTON, {120, 300});
        return v;
    }
    // Everything a cancelled operation must leave as it was.
    struct State {
        Bytes shown, currentFile, clip;
        std::string current, previous;
        std::vector<std::string> files;
        bool modified;
        bool operator==(const State&) const = default;
    };
    State state() const {
        const CQuorbelView& v = *view;
        const auto b = clipboard.Pieces();
        return {BytesOf(v.m_waveData), ReadBytes(v.m_strCurrentFile), BytesOf(b),
                v.m_strCurrentFile,    v.m_strPreviousFile,           doc.m_workingFiles.Files(),
                doc.IsModified()};
    }
    // Waits (bounded) until the operation's work has made all of the new sound.
    void awaitFullProgress() {
        for (int i = 0; i < 5000 && view->OperationProgress()->second < 100; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

TEST(LongWork, ACancelAtAnyPointLeavesTheDocumentAsItWas) {
    struct Op {
        int id;
        const char* name;
    };
    for (const testing::SampleFormat f : testing::kSampleFormats) {
        for (const Op op :
             {Op{ID_EDIT_CUT, "Cut"}, Op{ID_EDIT_PASTE, "Paste"}, Op{ID_EFFECTS_REVERSE, "Reverse"},
              Op{ID_FILTER_LOWPASS, "Low pass filter"}, Op{ID_OCTAVE_DECREASE, "Octave down"}}) {
            for (const bool atOnce : {true, false}) {
                SCOPED_TRACE(::testing::Message() << f.bits << "x" << f.channels << " " << op.name
                                                  << (atOnce ? " at once" : " at 100%"));
                LongWorkRig rig;
                CQuorbelView& v = rig.openSound(f);
                // An edit first: a working file, an Undo target and a clipboard to keep.
                ASSERT_TRUE(rig.click(ID_EDIT_CUT));
                const LongWorkRig::State before = rig.state();
                rig.context.backgroundWork = true;
                ASSERT_TRUE(rig.click(op.id));
                ASSERT_TRUE(v.IsBusy());
                if (!atOnce) rig.awaitFullProgress();
                v.CancelOperation();
                EXPECT_FALSE(v.IsBusy());
                EXPECT_EQ(rig.state(), before);
                EXPECT_EQ(rig.frame.statusText(), std::string(op.name) + " operation cancelled.");
                EXPECT_EQ(rig.frame.waitBegun, rig.frame.waitEnded);
                EXPECT_TRUE(rig.window.boxes.empty());
                // Undo still goes back to the sound before the first Cut.
                ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
                EXPECT_EQ(v.WaveDataLen(), 1000u * f.frame());
            }
        }
    }
}

TEST(LongWork, CommandsAreRefusedWhileAnOperationRunsAndTheTextsKeepTheirOrder) {
    LongWorkRig rig;
    CQuorbelView& v = rig.openSound({16, 2});
    rig.context.backgroundWork = true;
    rig.frame.texts.clear();
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    ASSERT_TRUE(v.IsBusy());
    // The edit holds the document's one slot for work, as a save would.
    ASSERT_NE(rig.doc.RunningWork(), nullptr);
    EXPECT_EQ(rig.doc.RunningWork()->name, "Reverse");
    for (const int id : {ID_EDIT_CUT, ID_EDIT_UNDO, ID_EFFECTS_REVERSE, ID_BUTTON_PLAY}) {
        CommandState state;
        ASSERT_TRUE(v.OnUpdateCommand(id, state));
        EXPECT_FALSE(state.enabled) << id;
        EXPECT_FALSE(rig.click(id)) << id;
    }
    rig.awaitFullProgress();
    EXPECT_EQ(v.OperationProgress(), (std::pair<std::string, int>("Reverse", 100)));
    for (int i = 0; i < 5000 && v.IsBusy(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        v.OnTimer(kOperationTimerId);
    }
    ASSERT_FALSE(v.IsBusy());
    EXPECT_EQ(v.OperationProgress(), std::nullopt);
    EXPECT_EQ(rig.doc.RunningWork(), nullptr);
    EXPECT_EQ(rig.frame.texts, (std::vector<std::string>{"Reversing... Please wait...",
                                                         "Reverse operation complete!"}));
    EXPECT_EQ(rig.frame.waitBegun, 1);
    EXPECT_EQ(rig.frame.waitEnded, 1);
    EXPECT_TRUE(rig.click(ID_EDIT_UNDO)) << "commands run again";
}

TEST(LongWork, CancellingTheDocumentsWorkStopsAnEditAndKeepsTheSound) {
    LongWorkRig rig;
    CQuorbelView& v = rig.openSound({16, 1});
    const std::uint64_t length = v.WaveDataLen();
    rig.context.backgroundWork = true;
    ASSERT_TRUE(rig.click(ID_OCTAVE_DECREASE));
    const DocumentWork* work = rig.doc.RunningWork();
    ASSERT_NE(work, nullptr);
    ASSERT_TRUE(work->cancel) << "the close question can stop it";
    const std::function<void()> cancel = work->cancel;  // the slot goes as the edit ends
    cancel();
    EXPECT_FALSE(v.IsBusy());
    EXPECT_EQ(rig.doc.RunningWork(), nullptr);
    EXPECT_EQ(v.WaveDataLen(), length);
    EXPECT_TRUE(rig.click(ID_EFFECTS_REVERSE)) << "commands run again";
}

TEST(LongWork, ClosingTheWindowDuringAnOperationCancelsIt) {
    LongWorkRig rig;
    CQuorbelView& v = rig.openSound({8, 1});
    const Bytes file = ReadBytes(rig.doc.m_strFileName);
    rig.context.backgroundWork = true;
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    ASSERT_TRUE(v.IsBusy());
    rig.view.reset();
    rig.doc.m_workingFiles.RemoveAll();
    EXPECT_TRUE(std::filesystem::is_empty(rig.temp.path())) << "no working file is left";
    EXPECT_EQ(ReadBytes(rig.doc.m_strFileName), file);
    EXPECT_FALSE(rig.doc.IsModified());
}

}  // namespace
}  // namespace quorbel
