// Faults injected on the real write paths (Save, Save As, the save after a recording): a
// file-size limit, a read-only folder, a vanished file or folder, an unwritable temporary
// directory. Each case runs in a child process, as an unprivileged user when the tests run as
// root (root ignores folder permissions). Whatever fails: the message says why, the original
// file is intact, the document still plays and saves, and no file is left behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "fakes/child_process.h"
#include "fakes/fake_frame_window.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/fake_view_window.h"
#include "fakes/wav_builder.h"
#include "framework/app_context.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
namespace fs = std::filesystem;

enum class Operation { Save, SaveAs, SaveAfterRecording };
enum class Fault { FileSizeLimit, ReadOnlyFolder, FolderVanished, FileVanished, TempDirUnwritable };

const char* nameOf(Operation op) {
    switch (op) {
        case Operation::Save:
            return "Save";
        case Operation::SaveAs:
            return "Save As";
        default:
            return "save after a recording";
    }
}

const char* nameOf(Fault fault) {
    switch (fault) {
        case Fault::FileSizeLimit:
            return "file-size limit";
        case Fault::ReadOnlyFolder:
            return "read-only folder";
        case Fault::FolderVanished:
            return "folder vanished";
        case Fault::FileVanished:
            return "document's file vanished";
        default:
            return "temporary directory unwritable";
    }
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

// One second of 8-bit mono sound at 22050 Hz: 22 kB, more than the file-size limit below.
const Bytes kSound = Ramp(22050);
constexpr rlim_t kSizeLimit = 16 * 1024;
constexpr int kRecordMs = 100;  // adds 2205 bytes

// The folders of one case, open to everyone so that the unprivileged child can use them.
struct Folders {
    FakeTempDir base;
    fs::path docs = base.path() / "docs";    // the document's file
    fs::path out = base.path() / "out";      // Save As target
    fs::path work = base.path() / "work";    // TMPDIR: working files
    fs::path spare = base.path() / "spare";  // where the document saves once the fault is gone
    std::string original = (docs / "sound.wav").string();

    Folders() {
        for (const fs::path& p : {docs, out, work, spare}) fs::create_directory(p);
        WriteBytes(original, SimpleWave(kSound, 1, 8, 22050));
        // The child that runs the case owns them, so it can take their permissions away.
        const uid_t owner = ::geteuid() == 0 ? kNobody : ::geteuid();
        for (const fs::path& p : {base.path(), docs, out, work, spare, fs::path(original)})
            (void)!::chown(p.c_str(), owner, owner);
    }
};

// What one case ended with, as text the parent compares.
struct Outcome {
    bool succeeded = false;
    std::string messages;  // every box, one per line
    bool plays = false;
    std::uint32_t lengthMs = 0;
    bool savesAfterwards = false;
    std::size_t workingFiles = 0;  // in the temporary directory right after the operation
};

std::string encode(const Outcome& o) {
    return std::string(o.succeeded ? "1" : "0") + (o.plays ? "1" : "0") +
           (o.savesAfterwards ? "1" : "0") + std::to_string(o.workingFiles) + " " +
           std::to_string(o.lengthMs) + "\n" + o.messages;
}

Outcome decode(const std::string& text) {
    Outcome o;
    const std::size_t line = text.find('\n');
    if (text.size() < 3 || line == std::string::npos) return o;
    o.succeeded = text[0] == '1';
    o.plays = text[1] == '1';
    o.savesAfterwards = text[2] == '1';
    const std::size_t space = text.find(' ');
    o.workingFiles = std::stoul(text.substr(3, space - 3));
    o.lengthMs = static_cast<std::uint32_t>(std::stoul(text.substr(space + 1, line - space - 1)));
    o.messages = text.substr(line + 1);
    return o;
}

// Runs in the child: opens the document, injects the fault, runs the operation, lifts what it
// can of the fault and tries to play and save elsewhere.
Outcome runCase(const Folders& f, Operation op, Fault fault) {
    setenv("TMPDIR", f.work.c_str(), 1);
    ::signal(SIGXFSZ, SIG_IGN);  // as the program does at start-up
    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeFrameWindow frame;
    FakeMessageBoxes boxes;
    AppContext context{&devices, &boxes, nullptr, &frame};
    CQuorbelDoc doc{context};
    FakeViewWindow window;
    Outcome o;
    if (!doc.OnOpenDocument(f.original)) return o;
    CQuorbelView view(doc, window, context);
    view.OnInitialUpdate();
    if (op == Operation::SaveAfterRecording) {
        view.OnCommand(ID_BUTTON_RECORD);
        clock.advanceMillis(kRecordMs);
        devices.service();
    }
    doc.SetModifiedFlag(true);

    const fs::path writesInto = op == Operation::Save     ? f.docs
                                : op == Operation::SaveAs ? f.out
                                                          : f.work;
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    switch (fault) {
        case Fault::FileSizeLimit: {
            struct rlimit limited = saved;
            limited.rlim_cur = kSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &limited);
            break;
        }
        case Fault::ReadOnlyFolder:
            fs::permissions(
                writesInto,
                fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
            break;
        case Fault::FolderVanished:
            fs::remove_all(writesInto);
            break;
        case Fault::FileVanished:
            fs::remove(f.original);
            break;
        case Fault::TempDirUnwritable:
            fs::permissions(
                f.work, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
            break;
    }

    switch (op) {
        case Operation::Save:
            o.succeeded = doc.OnSaveDocument(f.original);
            break;
        case Operation::SaveAs:
            o.succeeded = doc.OnSaveDocument((f.out / "new.wav").string());
            break;
        case Operation::SaveAfterRecording:
            view.OnCommand(ID_BUTTON_STOP);
            o.succeeded = window.boxes.empty();
            break;
    }
    for (const auto& box : boxes.shown) o.messages += box.caption + ": " + box.text + "\n";
    for (const auto& box : window.boxes) o.messages += box.caption + ": " + box.text + "\n";
    o.workingFiles = namesIn(f.work).size();
    ::setrlimit(RLIMIT_FSIZE, &saved);

    // Still playable: the device the document holds plays its whole sound.
    FakeNotifySink sink;
    o.plays = devices.play(doc.m_wDeviceID, &sink) == kDeviceOk;
    devices.stop(doc.m_wDeviceID);
    devices.length(doc.m_wDeviceID, o.lengthMs);
    // Still savable, where nothing is in the way.
    o.savesAfterwards = doc.OnSaveDocument((f.spare / "rescued.wav").string());
    return o;
}

TEST(FaultInjection, EveryWritePathSurvivesEveryFaultAndLeavesNothingBehind) {
    for (const Operation op : {Operation::Save, Operation::SaveAs, Operation::SaveAfterRecording}) {
        for (const Fault fault :
             {Fault::FileSizeLimit, Fault::ReadOnlyFolder, Fault::FolderVanished,
              Fault::FileVanished, Fault::TempDirUnwritable}) {
            SCOPED_TRACE(std::string(nameOf(op)) + ", " + nameOf(fault));
            Folders f;
            const ChildResult child =
                RunInChild([&] { return encode(runCase(f, op, fault)); }, /*unprivileged=*/true);
            ASSERT_TRUE(child.exited) << "signal " << child.signal;
            const Outcome o = decode(child.output);

            // Which faults stand in this operation's way, and what the message must say.
            const bool recording = op == Operation::SaveAfterRecording;
            std::string reason;
            // A stopped recording writes only its take, which fits under the limit.
            if (fault == Fault::FileSizeLimit && !recording) reason = "File too large";
            if (fault == Fault::ReadOnlyFolder) reason = "Permission denied";
            if (fault == Fault::FolderVanished) reason = "No such file or directory";
            if (fault == Fault::TempDirUnwritable && recording) reason = "Permission denied";
            const bool fails = !reason.empty();

            EXPECT_EQ(o.succeeded, !fails) << o.messages;
            if (fails) {
                EXPECT_NE(o.messages.find("Error: "), std::string::npos) << o.messages;
                EXPECT_NE(o.messages.find(reason), std::string::npos) << o.messages;
            } else {
                EXPECT_EQ(o.messages, "");
            }
            // The document keeps its whole sound (with the recording), plays it and saves it.
            EXPECT_TRUE(o.plays);
            EXPECT_EQ(o.lengthMs, recording ? 1000u + kRecordMs : 1000u);
            EXPECT_TRUE(o.savesAfterwards);
            // The recording (silence, inserted at the start where Stop rewound to) is kept.
            Bytes sound = kSound;
            if (recording) sound.insert(sound.begin(), kRecordMs * 22050 / 1000, 0x80);
            EXPECT_EQ(SavedData(ReadBytes((f.spare / "rescued.wav").string())), sound);

            // The original is intact (or, saved over, holds the same sound); the folders hold
            // what they held, plus the new file where a save succeeded.
            const bool originalGone = (fault == Fault::FileVanished && op != Operation::Save) ||
                                      (fault == Fault::FolderVanished && op == Operation::Save);
            if (!originalGone) {
                EXPECT_EQ(SavedData(ReadBytes(f.original)), kSound);
            }
            EXPECT_EQ(namesIn(f.docs),
                      originalGone ? std::set<std::string>{} : std::set<std::string>{"sound.wav"});
            const bool savedAs = op == Operation::SaveAs && !fails;
            EXPECT_EQ(namesIn(f.out),
                      savedAs ? std::set<std::string>{"new.wav"} : std::set<std::string>{});
            // A recording that saved has the working file of its take; one that failed leaves
            // none. The sound around it is pieces of the user's file, or of a working file of
            // its own once that file vanished. Once the document closed, none is left.
            const std::size_t files = fault == Fault::FileVanished ? 2u : 1u;
            EXPECT_EQ(o.workingFiles, recording && !fails ? files : 0u);
            EXPECT_EQ(namesIn(f.work), std::set<std::string>{});
        }
    }
}

}  // namespace
}  // namespace quorbel
