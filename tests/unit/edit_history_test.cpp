// Undo and Redo of any depth: random sequences of Cut, Copy, Paste, Undo, Redo, Save and
// recording, checked after every step against a plain model of the versions (byte vectors),
// for every sample format; and the ways a version's file can be lost from under the history.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "view/selection_math.h"
#include "wavefile/shared_bytes.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::SavedData;
using testing::WavContent;
using Format = testing::SampleFormat;
namespace fs = std::filesystem;

struct HistoryRig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};

    CQuorbelView& openFrames(Format f, std::size_t frames) {
        WavContent s;
        s.bits = f.bits;
        s.channels = f.channels;
        s.rate = 1000;  // a frame a millisecond: selections in ms are frames
        s.data = testing::Ramp(frames * f.frame());
        return open(s);
    }
    Bytes shown() const { return BytesOf(view->m_waveData); }
    bool enabled(int id) {
        CommandState state;
        view->OnUpdateCommand(id, state);
        return state.enabled;
    }
    std::size_t workingFiles() const {
        std::size_t n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(temp.path()))
            n += entry.is_regular_file();
        return n;
    }
};

// What the user should see: the versions, the current one, and the clipboard.
struct Model {
    std::vector<Bytes> versions;
    std::size_t current = 0;
    Bytes clip;

    const Bytes& sound() const { return versions[current]; }
    void push(Bytes next) {
        versions.resize(current + 1);
        versions.push_back(std::move(next));
        ++current;
    }
};

Bytes Slice(const Bytes& b, std::size_t from, std::size_t to) {
    return {b.begin() + static_cast<std::ptrdiff_t>(from),
            b.begin() + static_cast<std::ptrdiff_t>(to)};
}

TEST(EditHistory, RandomEditsUndosAndRedosMatchAModelOfTheVersions) {
    enum Op { Cut, Copy, Paste, Undo, Redo, Save, Record, kOps };
    for (const Format f : testing::kSampleFormats) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(::testing::Message()
                         << f.bits << "-bit x" << f.channels << " seed " << seed);
            std::mt19937 random(seed * 7919 + f.bits + f.channels);
            HistoryRig rig;
            CQuorbelView& v = rig.openFrames(f, 400);
            Model model;
            model.versions.push_back(rig.shown());
            const std::size_t frame = f.frame();
            for (int step = 0; step < 40; ++step) {
                const auto op = static_cast<Op>(random() % kOps);
                SCOPED_TRACE(::testing::Message() << "step " << step << " op " << op);
                const std::size_t frames = model.sound().size() / frame;
                const auto s = static_cast<std::uint32_t>(random() % frames);
                const auto e = static_cast<std::uint32_t>(s + 1 + random() % (frames - s));
                // The bytes the selection stands for, as the edits round milliseconds.
                const auto avg = static_cast<std::uint32_t>(1000 * frame);
                const std::size_t from = WholeFrames(StartByteOf(s, avg), f.frame());
                const std::size_t to = std::min<std::size_t>(
                    WholeFrames(EndByteOf(e, avg), f.frame()), model.sound().size());
                switch (op) {
                    case Cut:
                        // Refused: no whole frame, or nothing would be left.
                        if (to <= from || to - from == model.sound().size()) continue;
                        ASSERT_EQ(v.SetSelectionMs(s, e), "");
                        ASSERT_TRUE(rig.click(ID_EDIT_CUT));
                        model.clip = Slice(model.sound(), from, to);
                        {
                            Bytes next = Slice(model.sound(), 0, from);
                            const Bytes tail = Slice(model.sound(), to, model.sound().size());
                            next.insert(next.end(), tail.begin(), tail.end());
                            model.push(std::move(next));
                        }
                        break;
                    case Copy:
                        if (to <= from) continue;
                        ASSERT_EQ(v.SetSelectionMs(s, e), "");
                        ASSERT_TRUE(rig.click(ID_EDIT_COPY));
                        model.clip = Slice(model.sound(), from, to);
                        break;
                    case Paste:
                        if (model.clip.empty()) continue;
                        ASSERT_EQ(v.SetSelectionMs(s, e), "");
                        ASSERT_TRUE(rig.click(ID_EDIT_PASTE));
                        {
                            Bytes next = model.sound();
                            next.insert(next.begin() + static_cast<std::ptrdiff_t>(from),
                                        model.clip.begin(), model.clip.end());
                            model.push(std::move(next));
                        }
                        break;
                    case Undo:
                        EXPECT_EQ(rig.click(ID_EDIT_UNDO), model.current > 0);
                        if (model.current > 0) --model.current;
                        break;
                    case Redo:
                        EXPECT_EQ(rig.click(ID_EDIT_REDO),
                                  model.current + 1 < model.versions.size());
                        if (model.current + 1 < model.versions.size()) ++model.current;
                        break;
                    case Save: {
                        const std::string to = rig.folder.file("saved.wav");
                        ASSERT_TRUE(rig.doc.OnSaveDocument(to));
                        v.AdoptDocumentDevice();
                        EXPECT_EQ(SavedData(ReadBytes(to)), model.sound());
                        break;
                    }
                    case Record: {
                        // A take of a few frames inserted at the start.
                        const Bytes take(frame * (1 + random() % 20),
                                         static_cast<std::uint8_t>(0x11 * (step % 15)));
                        ASSERT_TRUE(rig.click(ID_BUTTON_TOSTART) ||
                                    !rig.enabled(ID_BUTTON_TOSTART));
                        rig.backend.feedCapture(std::as_bytes(std::span(take)));
                        ASSERT_TRUE(rig.click(ID_BUTTON_RECORD));
                        rig.run(static_cast<int>(take.size() / frame));
                        ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
                        Bytes next = take;
                        next.insert(next.end(), model.sound().begin(), model.sound().end());
                        model.push(std::move(next));
                        break;
                    }
                    case kOps:
                        break;
                }
                ASSERT_EQ(rig.shown().size(), model.sound().size());
                ASSERT_EQ(rig.shown(), model.sound());
                EXPECT_EQ(rig.enabled(ID_EDIT_UNDO), model.current > 0);
                EXPECT_EQ(rig.enabled(ID_EDIT_REDO), model.current + 1 < model.versions.size());
                EXPECT_EQ(rig.doc.m_history.UndoSteps(), model.current);
                EXPECT_EQ(rig.doc.m_history.RedoSteps(), model.versions.size() - 1 - model.current);
            }
        }
    }
}

TEST(EditHistory, UndoAndRedoAreRefusedAtTheEndsAndANewEditDropsWhatRedoReached) {
    HistoryRig rig;
    CQuorbelView& v = rig.openFrames({16, 2}, 1000);
    const Bytes opened = rig.shown();
    EXPECT_FALSE(rig.click(ID_EDIT_UNDO));
    EXPECT_FALSE(rig.click(ID_EDIT_REDO));
    ASSERT_EQ(v.SetSelectionMs(100, 200), "");
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    EXPECT_EQ(rig.frame.statusText(), "Undo operation complete!");
    EXPECT_EQ(rig.shown(), opened);
    EXPECT_EQ(v.m_strCurrentFile, v.m_strPreviousFile) << "back at the sound as opened";
    ASSERT_TRUE(rig.click(ID_EDIT_REDO));
    EXPECT_EQ(rig.frame.statusText(), "Redo operation complete!");
    EXPECT_EQ(rig.shown().size(), opened.size() - 100 * 4);
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    // Copy changes nothing in the history; an edit drops what Redo reached.
    ASSERT_TRUE(rig.click(ID_EDIT_COPY));
    EXPECT_TRUE(rig.enabled(ID_EDIT_REDO));
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    EXPECT_FALSE(rig.enabled(ID_EDIT_REDO));
    EXPECT_EQ(rig.doc.m_history.UndoSteps(), 1u);
    EXPECT_EQ(rig.workingFiles(), 1u) << "the Cut's working file went with its version";
}

TEST(EditHistory, AVersionWhoseWorkingFileWasRemovedIsRefusedAndTheHistoryCutThere) {
    for (const bool forward : {false, true}) {
        SCOPED_TRACE(forward ? "Redo" : "Undo");
        HistoryRig rig;
        rig.openFrames({8, 1}, 1000);
        // Two versions in working files of their own.
        ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
        ASSERT_TRUE(rig.click(ID_OCTAVE_INCREASE));
        if (forward) {
            ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
            ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        }
        // Another program removes the working file of the version to go to.
        const std::string lost =
            forward ? rig.doc.m_history.RedoTarget()->file : rig.doc.m_history.UndoTarget()->file;
        fs::remove(lost);
        const Bytes before = rig.shown();
        rig.window.boxes.clear();
        EXPECT_TRUE(rig.click(forward ? ID_EDIT_REDO : ID_EDIT_UNDO));
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_NE(rig.window.boxes[0].text.find(lost), std::string::npos);
        EXPECT_EQ(rig.frame.statusText(),
                  forward ? "Redo operation failed." : "Undo operation failed.");
        EXPECT_EQ(rig.shown(), before);
        EXPECT_FALSE(rig.enabled(forward ? ID_EDIT_REDO : ID_EDIT_UNDO)) << "cut there";
        EXPECT_TRUE(rig.doc.IsModified());
    }
}

TEST(EditHistory, UndoAfterSaveOverTheOpenedFileWritesTheVersionWhereACrashFindsIt) {
    HistoryRig rig;
    CQuorbelView& v = rig.openFrames({16, 1}, 1000);
    const Bytes opened = rig.shown();
    const std::string path = rig.doc.m_strFileName;
    ASSERT_EQ(v.SetSelectionMs(100, 300), "");
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    ASSERT_TRUE(rig.doc.OnSaveDocument(path));
    v.AdoptDocumentDevice();
    ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    EXPECT_EQ(rig.shown(), opened);
    // The user's file holds the cut sound now: the document's sound is in a file of its own.
    EXPECT_NE(rig.doc.m_strFileName, path);
    EXPECT_EQ(SavedData(ReadBytes(rig.doc.m_strFileName)), opened);
    ASSERT_TRUE(rig.click(ID_EDIT_REDO));
    EXPECT_EQ(rig.shown().size(), opened.size() - 200 * 2);
}

SoundVersion VersionOfBytes(std::size_t size, bool ownFile = false) {
    SoundVersion v;
    v.sound.data = PieceList(ShareBytes(Bytes(size, 1)));
    v.sound.data.pieces()[0].block->home.own = ownFile;
    return v;
}

TEST(EditHistory, TheOldestVersionsGoFirstWhenOverTheByteBudgetOrShortOfDisk) {
    const HistoryBudget budget{100, 1000};
    SoundHistory history;
    history.Reset(VersionOfBytes(40));
    for (int i = 0; i < 4; ++i) history.Push(VersionOfBytes(40));
    EXPECT_EQ(history.HeldBytes(), 160u);
    EXPECT_EQ(history.KeepWithin(budget, 5000).size(), 2u);
    EXPECT_EQ(history.UndoSteps(), 2u);
    EXPECT_EQ(history.HeldBytes(), 80u);
    // Versions that share their bytes count them once; the current one's are never counted.
    SoundVersion same = history.Current();
    history.Push(same);
    EXPECT_EQ(history.HeldBytes(), 80u);
    // Short of disk: versions go until their own files would free enough.
    history.Reset(VersionOfBytes(10, true));
    for (int i = 0; i < 5; ++i) history.Push(VersionOfBytes(10, true));
    EXPECT_EQ(history.KeepWithin(budget, 985).size(), 2u);
    EXPECT_EQ(history.UndoSteps(), 3u);
    // Redo targets are never let go, and neither is the current version.
    while (history.StepBack()) {
    }
    EXPECT_TRUE(history.KeepWithin(budget, 0).empty());
    EXPECT_EQ(history.RedoSteps(), 3u);
}

TEST(EditHistory, ASessionOverTheBudgetSaysOnceThatOlderStepsWentAndUndoStopsThere) {
    HistoryRig rig;
    CQuorbelView& v = rig.openFrames({16, 2}, 1000);
    rig.doc.m_historyBudget.minBytes = 10000;  // two versions of this sound
    // Each Reverse writes a block of its own (a Cut would only make pieces of the opened one).
    std::vector<Bytes> shown;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(v.SetSelectionMs(100 + i, 110), "");
        ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
        shown.push_back(rig.shown());
    }
    EXPECT_EQ(std::count(rig.frame.texts.begin(), rig.frame.texts.end(),
                         std::string(kOlderStepsLetGoText)),
              1);
    EXPECT_LE(rig.doc.m_history.HeldBytes(), 10000u);
    EXPECT_EQ(rig.doc.m_history.UndoSteps(), 2u);
    EXPECT_EQ(rig.workingFiles(), 3u) << "the files of the versions let go are removed";
    while (rig.click(ID_EDIT_UNDO)) {
    }
    EXPECT_EQ(rig.shown(), shown[1]) << "Undo stops at the oldest version kept";
}

}  // namespace
}  // namespace quorbel
