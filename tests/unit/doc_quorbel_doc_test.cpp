// The wave document's New, Open, Save and destruction over the null device.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "fakes/child_process.h"
#include "fakes/fake_file_dialogs.h"
#include "fakes/fake_frame_window.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/wav_builder.h"
#include "framework/app_context.h"
#include "framework/long_work.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

class DocTest : public ::testing::Test {
  protected:
    DocTest() {
        context.devices = &devices;
        context.messageBoxes = &boxes;
        context.fileDialogs = &dialogs;
        WriteBytes(goodFile, SimpleWave(Counting(50), 1, 8, 1000));
        WriteBytes(badFile,
                   BuildRiff({{"fmt ", FmtBody(2, 44100, 0, {}, 0x55)}, {"data", Counting(8)}}));
    }
    std::unique_ptr<CQuorbelDoc> newDoc() { return std::make_unique<CQuorbelDoc>(context); }
    bool isOpen(DeviceId id) {
        std::uint32_t ms = 0;
        return devices.length(id, ms) == kDeviceOk;
    }

    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeMessageBoxes boxes;
    FakeFileDialogs dialogs;
    AppContext context;
    FakeTempDir dir;
    std::string goodFile = dir.file("good.wav");
    std::string badFile = dir.file("mp3.wav");
};

TEST_F(DocTest, NewOpensAnEmptySound) {
    auto doc = newDoc();
    EXPECT_EQ(doc->m_wDeviceID, 0u);
    ASSERT_TRUE(doc->OnNewDocument());
    EXPECT_EQ(doc->m_strFileName, "");
    EXPECT_NE(doc->m_wDeviceID, 0u);
    std::uint32_t ms = 1;
    EXPECT_EQ(devices.length(doc->m_wDeviceID, ms), kDeviceOk);
    EXPECT_EQ(ms, 0u);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(dialogs.openFilters.empty());
}

TEST_F(DocTest, ASecondNewAsksForAFileInstead) {
    auto first = newDoc();
    ASSERT_TRUE(first->OnNewDocument());

    // Cancel: no document.
    auto second = newDoc();
    dialogs.openAnswers.push_back(std::nullopt);
    EXPECT_FALSE(second->OnNewDocument());
    EXPECT_EQ(dialogs.openFilters, std::vector<std::string>{"Wave files (*.wav)|*.wav |"});
    EXPECT_EQ(second->m_wDeviceID, 0u);
    EXPECT_EQ(devices.openCount(), 1u);

    // OK: the chosen file is opened, the document keeps no path name.
    auto third = newDoc();
    dialogs.openAnswers.push_back(goodFile);
    ASSERT_TRUE(third->OnNewDocument());
    EXPECT_EQ(third->m_strFileName, goodFile);
    EXPECT_TRUE(third->GetPathName().empty());
    EXPECT_TRUE(isOpen(third->m_wDeviceID));
    EXPECT_TRUE(boxes.shown.empty());

    // OK on a file the device refuses: one box, and no document.
    auto fourth = newDoc();
    dialogs.openAnswers.push_back(badFile);
    EXPECT_FALSE(fourth->OnNewDocument());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(devices.openCount(), 2u);
}

TEST_F(DocTest, OpenLoadsTheFileAndClearsTheModifiedFlag) {
    auto doc = newDoc();
    doc->SetModifiedFlag(true);
    ASSERT_TRUE(doc->OnOpenDocument(goodFile));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->m_strFileName, goodFile);
    std::uint32_t ms = 0;
    ASSERT_EQ(devices.length(doc->m_wDeviceID, ms), kDeviceOk);
    EXPECT_EQ(ms, 50u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DocTest, OpenReportsRefusedAndUnreadableFiles) {
    auto doc = newDoc();
    EXPECT_FALSE(doc->OnOpenDocument(badFile));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Unsupported format: compressed audio (format tag 0x0055) cannot be played.");
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Error);

    const std::string missing = dir.file("missing.wav");
    EXPECT_FALSE(doc->OnOpenDocument(missing));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Cannot open file " + missing + ": No such file or directory.");
    EXPECT_EQ(boxes.shown[1].caption, "Quorbel");
    EXPECT_EQ(boxes.shown[1].icon, BoxIcon::None);
    EXPECT_EQ(doc->m_wDeviceID, 0u);
    EXPECT_EQ(devices.openCount(), 0u);
}

TEST_F(DocTest, SaveWritesTheRecordingAndReopensOnTheSavedFile) {
    auto doc = newDoc();
    ASSERT_TRUE(doc->OnNewDocument());
    const DeviceId before = doc->m_wDeviceID;
    FakeNotifySink sink;
    backend.feedCapture(AsStdBytes(Counting(8)));
    ASSERT_EQ(devices.record(before, RecordMode::Insert, &sink), kDeviceOk);
    clock.advanceMicros(50);  // 2 frames at 44100 Hz
    doc->SetModifiedFlag(true);

    const std::string target = dir.file("take.wav");
    ASSERT_TRUE(doc->OnSaveDocument(target));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->m_strFileName, "");  // Save does not change it
    EXPECT_FALSE(isOpen(before));
    EXPECT_NE(doc->m_wDeviceID, before);
    EXPECT_TRUE(isOpen(doc->m_wDeviceID));
    EXPECT_EQ(devices.openCount(), 1u);
    EXPECT_EQ(ReadBytes(target), SimpleWave(Counting(8), 2, 16, 44100));
    EXPECT_TRUE(boxes.shown.empty());

    // The saved file is now the open element: a save over it again works too.
    ASSERT_TRUE(doc->OnSaveDocument(target));
    EXPECT_TRUE(isOpen(doc->m_wDeviceID));
}

TEST_F(DocTest, AFailedSaveChangesNothing) {
    auto doc = newDoc();
    ASSERT_TRUE(doc->OnOpenDocument(goodFile));
    doc->SetModifiedFlag(true);
    const DeviceId id = doc->m_wDeviceID;
    const std::string target = dir.file("gone/out.wav");
    EXPECT_FALSE(doc->OnSaveDocument(target));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Cannot write the file " + target + ": No such file or directory");
    EXPECT_EQ(boxes.shown[0].caption, "Error");
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Error);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->m_wDeviceID, id);
    EXPECT_TRUE(isOpen(id));
}

TEST_F(DocTest, SaveOntoAFileAnotherDocumentHasOpenIsRefusedBeforeWriting) {
    const std::string other = dir.file("other.wav");
    const Bytes otherBytes = SimpleWave(Counting(20), 1, 8, 1000);
    WriteBytes(other, otherBytes);
    const std::string link = dir.file("link.wav");
    std::filesystem::create_symlink(other, link);
    auto a = newDoc();
    ASSERT_TRUE(a->OnOpenDocument(goodFile));
    auto b = newDoc();
    ASSERT_TRUE(b->OnOpenDocument(other));
    a->SetModifiedFlag(true);

    for (const std::string& target : {other, link}) {
        boxes.shown.clear();
        EXPECT_FALSE(a->OnSaveDocument(target));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, openElsewhereText(target));
        EXPECT_EQ(boxes.shown[0].caption, "Error");
        EXPECT_EQ(ReadBytes(other), otherBytes);
        EXPECT_TRUE(a->IsModified());
    }
    // Both keep their sounds: the refused one plays, and saves elsewhere.
    FakeNotifySink sink;
    EXPECT_EQ(devices.play(a->m_wDeviceID, &sink), kDeviceOk);
    EXPECT_TRUE(isOpen(b->m_wDeviceID));
    ASSERT_TRUE(a->OnSaveDocument(dir.file("copy.wav")));
    EXPECT_EQ(ReadBytes(dir.file("copy.wav")), ReadBytes(goodFile));
}

TEST_F(DocTest, AnUnreadableSavedFileIsNotReadBackAndTheSoundStaysOnItsDevice) {
    // A write-only file keeps its permissions when saved over, so it cannot be read back.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string writeOnly = dir.file("write-only.wav");
    WriteBytes(writeOnly, SimpleWave(Counting(4), 1, 8, 1000));
    ::chmod(writeOnly.c_str(), 0222);
    // The saving user's own file (as root, the child's user's), which keeps its owner.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(writeOnly.c_str(), kNobody, kNobody), 0);
    }
    const ChildResult child = RunInChild(
        [&] {
            auto doc = newDoc();
            if (!doc->OnOpenDocument(goodFile)) return std::string("open failed");
            doc->SetModifiedFlag(true);
            const DeviceId id = doc->m_wDeviceID;
            const bool saved = doc->OnSaveDocument(writeOnly);
            const bool sameDevice = doc->m_wDeviceID == id;
            FakeNotifySink sink;
            const bool plays = devices.play(doc->m_wDeviceID, &sink) == kDeviceOk;
            devices.stop(doc->m_wDeviceID);
            const bool savesAgain = doc->OnSaveDocument(dir.file("again.wav")) &&
                                    ReadBytes(dir.file("again.wav")) == ReadBytes(goodFile);
            std::string out = saved ? "saved" : "failed";
            out += sameDevice ? " same-device" : " other-device";
            out += plays ? " plays" : " silent";
            out += savesAgain ? " saves" : " cannot-save";
            out += doc->IsModified() ? " modified" : " clean";
            for (const auto& box : boxes.shown) out += "|" + box.text;
            return out;
        },
        /*unprivileged=*/true);
    ASSERT_TRUE(child.exited);
    // The saved file is not read back: the device goes on with the sound it holds.
    EXPECT_EQ(child.output, "saved other-device plays saves clean");
}

TEST_F(DocTest, DestructionClosesOnlyItsOwnDevice) {
    auto a = newDoc();
    ASSERT_TRUE(a->OnOpenDocument(goodFile));
    devices.close(a->m_wDeviceID);  // the view closes it first
    auto b = newDoc();
    ASSERT_TRUE(b->OnNewDocument());
    a.reset();  // a second close of a's old id must not touch b's device
    EXPECT_TRUE(isOpen(b->m_wDeviceID));
    b.reset();
    EXPECT_EQ(devices.openCount(), 0u);
}

// Saves and opens run their file work through the long-work port: on another thread, or
// stopped by a cancel, which leaves the user's file and the document as they were.
class LongWorkPortForTest : public LongWorkPort {
  public:
    bool cancelFirst = false;
    std::vector<std::string> names;
    void run(const CDocument* owner, const std::string& name, WorkProgress& progress, bool,
             const std::function<void()>& work) override {
        names.push_back(name);
        busyDuringWork = owner != nullptr && owner->RunningWork() != nullptr;
        if (cancelFirst) progress.Cancel();
        std::thread(work).join();
    }
    bool busyDuringWork = false;
};

TEST_F(DocTest, SaveAndOpenRunAsLongWorkAndACancelChangesNothing) {
    LongWorkPortForTest port;
    FakeFrameWindow frame;
    context.longWork = &port;
    context.mainFrame = &frame;
    const Bytes before = ReadBytes(goodFile);

    // Open then Save As on a worker thread: the same sound reaches the new file.
    auto doc = newDoc();
    ASSERT_TRUE(doc->OnOpenDocument(goodFile));
    const std::string copy = dir.file("copy.wav");
    ASSERT_TRUE(doc->OnSaveDocument(copy));
    EXPECT_EQ(ReadBytes(copy), before);
    EXPECT_EQ(port.names, (std::vector<std::string>{"Open", "Save"}));
    EXPECT_TRUE(port.busyDuringWork) << "the document's commands are refused while it saves";
    EXPECT_EQ(doc->RunningWork(), nullptr);

    // Cancelled: the file keeps its bytes, the document its modified flag, and no file is
    // left beside it.
    port.cancelFirst = true;
    WriteBytes(copy, SimpleWave(Counting(20), 1, 8, 1000));
    const Bytes other = ReadBytes(copy);
    doc->SetModifiedFlag(true);
    EXPECT_FALSE(doc->OnSaveDocument(copy));
    EXPECT_EQ(ReadBytes(copy), other);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(frame.statusText(), "Save operation cancelled.");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              3)
        << "good.wav, mp3.wav and copy.wav only";

    auto second = newDoc();
    EXPECT_FALSE(second->OnOpenDocument(goodFile));
    EXPECT_EQ(second->m_wDeviceID, 0u);
    EXPECT_EQ(devices.openCount(), 1u);
    EXPECT_EQ(frame.statusText(), "Open operation cancelled.");
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace quorbel
