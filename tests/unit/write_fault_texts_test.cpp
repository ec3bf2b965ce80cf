// A write that a full disk stops says which file and why, end to end: Paste under a file-size
// limit (a real EFBIG from the kernel, in a child process so the limit touches nothing else).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "fakes/child_process.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

TEST(WriteFaultTexts, APasteThatFillsTheDiskNamesTheWorkingFileAndTheCause) {
    WavFolder work;
    const ChildResult child = RunInChild([&] {
        ScopedTmpDir tmpdir(work.path().string());
        ::signal(SIGXFSZ, SIG_IGN);  // as the program does at start-up
        ViewRig rig;
        WavContent s;
        s.rate = 1000;
        s.data = Ramp(1000);  // 1 s of 8-bit mono: a 1044-byte working file
        CQuorbelView& v = rig.open(s);
        // Sound from elsewhere is written to a working file of the document's own; these
        // 2000 bytes pass the limit.
        const Bytes foreign = Ramp(2000);
        rig.clipboard.Replace(std::span<const std::uint8_t>(foreign), 1, 8);
        struct rlimit limited {};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = 1500;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        v.OnLButtonDown(MK_LBUTTON, {0, 170});
        v.OnMouseMove(MK_LBUTTON, {20, 300});
        rig.click(ID_EDIT_PASTE);
        std::string boxes;
        for (const auto& box : rig.window.boxes) boxes += box.caption + "|" + box.text + "\n";
        return boxes;
    });
    ASSERT_TRUE(child.exited) << "signal " << child.signal;
    const std::string prefix = "Error|Cannot write the file " + work.path().string() + "/pas";
    EXPECT_EQ(child.output.rfind(prefix, 0), 0u) << child.output;
    EXPECT_NE(child.output.find(": File too large\n"), std::string::npos) << child.output;
}

}  // namespace
}  // namespace quorbel
