// Save does not replace a file whose permission bits do not let its user write it, however
// writable its folder: a box says so and points to Save As, nothing is written, and the
// document stays modified and open. Judged for the user the tests run as (root: any write bit
// will do) and, in a child process, for an unprivileged user (uid 65534 when run as root).
// Someone else's file that the user may write is replaced, and a box says it changed hands.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "fakes/child_process.h"
#include "fakes/fake_message_boxes.h"
#include "fakes/fake_temp_dir.h"
#include "fakes/wav_builder.h"
#include "framework/app_context.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;
namespace fs = std::filesystem;

const Bytes kSound = SimpleWave(Counting(50), 1, 8, 1000);   // what the document holds
const Bytes kOld = SimpleWave(Counting(20, 7), 1, 8, 1000);  // what the target holds

std::string refusal(const std::string& path) {
    return "|Error|Cannot save to " + path +
           ": the file is read-only. Use Save As to write the sound to another file.";
}

// Opens a document on `source`, marks it changed and saves it to `target` (the document's own
// file when the two are the same). What happened as one line: saved or refused, whether the
// document is still modified and its device open, then every box as "|caption|text".
std::string SaveOver(const std::string& source, const std::string& target) {
    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeMessageBoxes boxes;
    AppContext context;
    context.devices = &devices;
    context.messageBoxes = &boxes;
    std::string out;
    {
        CQuorbelDoc doc{context};
        if (!doc.OnOpenDocument(source)) return "cannot open " + source;
        doc.SetModifiedFlag(true);
        out = doc.OnSaveDocument(target) ? "saved" : "refused";
        out += doc.IsModified() ? " modified" : " clean";
        std::uint32_t ms = 0;
        out += devices.length(doc.m_wDeviceID, ms) == kDeviceOk ? " open" : " closed";
    }
    for (const auto& box : boxes.shown) out += "|" + box.caption + "|" + box.text;
    return out;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

struct Case {
    const char* what;
    mode_t mode;
    bool refused;
    uid_t owner = static_cast<uid_t>(-1);  // -1: the user that saves
    gid_t group = static_cast<gid_t>(-1);  // -1: that user's group
    bool viaLink = false;                  // saved through a symbolic link to the file
    bool ownFile = false;                  // the document's own file (Save after an edit)
    bool ownerLost = false;  // someone else's file: saved, with a warning that it changed hands
};

// Writes the case's target into `folder` as `user` would have it, saves over it as that user
// (in a child when `unprivileged`), and checks what the save did to the file and the folder.
void Check(const Case& c, const fs::path& folder, uid_t user, gid_t group, bool unprivileged) {
    SCOPED_TRACE(c.what);
    const std::string source = (folder / "source.wav").string();
    const std::string file = c.ownFile ? source : (folder / "target.wav").string();
    const std::string link = (folder / "link.wav").string();
    const std::string target = c.viaLink ? link : file;
    const Bytes before = c.ownFile ? kSound : kOld;
    WriteBytes(source, kSound);
    if (!c.ownFile) WriteBytes(file, before);
    if (c.viaLink) fs::create_symlink("target.wav", link);
    for (const std::string& p : {source, file}) {
        ASSERT_EQ(::lchown(p.c_str(), c.owner == static_cast<uid_t>(-1) ? user : c.owner,
                           c.group == static_cast<gid_t>(-1) ? group : c.group),
                  0);
    }
    ::chmod(source.c_str(), 0644);
    ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
    const std::set<std::string> names = namesIn(folder);

    std::string outcome;
    if (unprivileged) {
        const ChildResult child = RunInChild([&] { return SaveOver(source, target); }, true);
        ASSERT_TRUE(child.exited) << "signal " << child.signal;
        outcome = child.output;
    } else {
        outcome = SaveOver(source, target);
    }

    if (c.refused) {
        EXPECT_EQ(outcome, "refused modified open" + refusal(target));
        EXPECT_EQ(ReadBytes(file), before);
    } else {
        // (A file its user may write but not read cannot be read back: a box says that.)
        EXPECT_EQ(outcome.rfind("saved clean open", 0), 0u) << outcome;
        EXPECT_EQ(outcome.find("read-only"), std::string::npos) << outcome;
        const std::string warning = "|Error|The sound was saved to " + target +
                                    ", but the file could not keep its former owner, group and "
                                    "permissions: Operation not permitted.";
        EXPECT_EQ(outcome.find(warning) != std::string::npos, c.ownerLost) << outcome;
        EXPECT_EQ(ReadBytes(file), kSound);
    }
    EXPECT_EQ(modeOf(file), c.mode);
    EXPECT_EQ(namesIn(folder), names) << "nothing left beside the file";
    if (c.viaLink) {
        EXPECT_TRUE(fs::is_symlink(link));
    }

    fs::remove(link);
    fs::remove(file);
    fs::remove(source);
}

TEST(ReadOnlySave, RootMayReplaceOnlyAFileWithSomeWriteBit) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root";
    FakeTempDir dir;
    const Case cases[] = {
        {"0444", 0444, true},
        {"0444, the document's own file", 0444, true, static_cast<uid_t>(-1),
         static_cast<gid_t>(-1), false, true},
        {"0555", 0555, true},
        {"0400", 0400, true},
        {"0444 through a symbolic link", 0444, true, static_cast<uid_t>(-1), static_cast<gid_t>(-1),
         true},
        {"0644", 0644, false},
        {"0200, written by its owner", 0200, false},
        {"0002, only others may write", 0002, false},
        {"0644 through a symbolic link", 0644, false, static_cast<uid_t>(-1),
         static_cast<gid_t>(-1), true},
    };
    for (const Case& c : cases) Check(c, dir.path(), 0, 0, false);
}

TEST(ReadOnlySave, AUserMayReplaceOnlyAFileItsPermissionClassMayWrite) {
    // The folder is the saving user's and open to it: only the file's own bits can refuse.
    FakeTempDir dir;
    const bool root = ::geteuid() == 0;
    const uid_t user = root ? kNobody : ::geteuid();
    const gid_t group = root ? kNobody : ::getegid();
    const fs::path folder = dir.path() / "files";
    fs::create_directory(folder);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chown(folder.c_str(), user, group), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);

    std::vector<Case> cases = {
        {"0444", 0444, true},
        {"0444, the document's own file", 0444, true, static_cast<uid_t>(-1),
         static_cast<gid_t>(-1), false, true},
        {"0400", 0400, true},
        {"0466: the owner's bit counts, not the others'", 0466, true},
        {"0444 through a symbolic link", 0444, true, static_cast<uid_t>(-1), static_cast<gid_t>(-1),
         true},
        {"0644", 0644, false},
        {"0200, written by its owner", 0200, false},
        {"0644 through a symbolic link", 0644, false, static_cast<uid_t>(-1),
         static_cast<gid_t>(-1), true},
    };
    if (root) {
        // Someone else's file in the user's folder: the group's bit, then the others'.
        cases.push_back({"root's, group's 0464", 0464, false, 0, kNobody, false, false, true});
        cases.push_back({"root's, 0446: the group's bit counts", 0446, true, 0, kNobody});
        cases.push_back({"root's, others' 0666", 0666, false, 0, 0, false, false, true});
        cases.push_back({"root's, 0664: others may only read", 0664, true, 0, 0});
    }
    for (const Case& c : cases) Check(c, folder, user, group, true);
}

}  // namespace
}  // namespace quorbel
