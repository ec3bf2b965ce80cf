#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "fakes/scoped_tmpdir.h"
#include "fakes/wav_builder.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "wavefile/file_bytes_cache.h"

namespace quorbel {
namespace {

using testing::Bytes;

TEST(FileBytesCache, AFileIsFoundInMemoryOnlyWhileHeldAndUnchanged) {
    testing::WavFolder folder;
    const std::string path = folder.file("a.bin");
    testing::WriteBytes(path, Bytes(100, 7));
    SharedBytes held = ShareBytes(Bytes(60, 7));
    RememberFileBytes(path, 40, held);

    auto hit = CachedFileBytes(path, 40, 60);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->data.get(), held.data.get()) << "the same bytes, not a copy";
    EXPECT_FALSE(CachedFileBytes(path, 44, 60).has_value());
    EXPECT_FALSE(CachedFileBytes(path, 40, 56).has_value());
    EXPECT_FALSE(CachedFileBytes(folder.file("other.bin"), 40, 60).has_value());

    // Changed on disk since: another modification time, or another size.
    timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_FALSE(CachedFileBytes(path, 40, 60).has_value());
    RememberFileBytes(path, 40, held);
    testing::WriteBytes(path, Bytes(101, 7));
    EXPECT_FALSE(CachedFileBytes(path, 40, 60).has_value());

    // Nobody holds the bytes any more: the cache does not keep them alive.
    testing::WriteBytes(path, Bytes(100, 7));
    RememberFileBytes(path, 40, held);
    hit.reset();
    held = SharedBytes{};
    EXPECT_FALSE(CachedFileBytes(path, 40, 60).has_value());
}

TEST(FileBytesCache, TheDeviceAndTheViewHoldOneCopyOfTheSound) {
    testing::ViewRig rig;
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir(temp.path().string());
    CQuorbelView& v = rig.open(testing::Mono8Second());
    EXPECT_EQ(v.m_pWaveData.get(), rig.devices.soundBytes(v.m_wDeviceID).data.get());
    v.OnLButtonDown(MK_LBUTTON, {0, 170});
    v.OnMouseMove(MK_LBUTTON, {100, 300});
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    EXPECT_EQ(v.m_pWaveData.get(), rig.devices.soundBytes(v.m_wDeviceID).data.get());
    ASSERT_TRUE(rig.click(ID_EFFECTS_REVERSE));
    EXPECT_EQ(v.m_pWaveData.get(), rig.devices.soundBytes(v.m_wDeviceID).data.get());
}

}  // namespace
}  // namespace quorbel
