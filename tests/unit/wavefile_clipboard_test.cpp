#include <gtest/gtest.h>

#include <vector>

#include "fakes/piece_bytes.h"
#include "wavefile/clipboard.h"

namespace quorbel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ClipboardTest, HoldsACopyOrASharedBlockUntilCleared) {
    Clipboard clip;
    EXPECT_FALSE(clip.Holds());
    EXPECT_EQ(clip.Length(), 0u);

    Bytes bytes{1, 2, 3, 4};
    clip.Replace(std::span<const std::uint8_t>(bytes), 2, 16);
    bytes[0] = 99;  // the block is a copy
    EXPECT_TRUE(clip.Holds());
    EXPECT_EQ(BytesOf(clip.Pieces()), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(clip.Channels(), 2);
    EXPECT_EQ(clip.Bits(), 16);

    // An empty selection still leaves a block to paste, of 0 bytes.
    clip.Replace(PieceList{}, 1, 8);
    EXPECT_TRUE(clip.Holds());
    EXPECT_EQ(clip.Length(), 0u);

    clip.Clear();
    EXPECT_FALSE(clip.Holds());
    EXPECT_TRUE(clip.Pieces().empty());
    EXPECT_EQ(clip.Bits(), 0);
}

}  // namespace
}  // namespace quorbel
