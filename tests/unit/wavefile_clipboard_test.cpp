#include <gtest/gtest.h>

#include <vector>

#include "wavefile/clipboard.h"

namespace quorbel {
namespace {

TEST(ClipboardTest, ReplaceStoresACopyAndEmptyReleasesIt) {
    EmptyClipData();
    EXPECT_EQ(g_pClipData, nullptr);
    EXPECT_EQ(g_dwClipLen, 0u);
    EXPECT_EQ(g_nClipChannels, 0);
    EXPECT_EQ(g_nClipBits, 0);

    std::vector<std::uint8_t> bytes{1, 2, 3, 4};
    ReplaceClipData(bytes, 2, 16);
    bytes[0] = 99;  // the block is a copy
    ASSERT_NE(g_pClipData, nullptr);
    EXPECT_EQ(g_dwClipLen, 4u);
    EXPECT_EQ(g_nClipChannels, 2);
    EXPECT_EQ(g_nClipBits, 16);
    EXPECT_EQ(std::vector<std::uint8_t>(ClipBytes().begin(), ClipBytes().end()),
              (std::vector<std::uint8_t>{1, 2, 3, 4}));

    // Paste keeps a converted block: ownership moves in without a copy.
    auto converted = std::make_unique<std::uint8_t[]>(2);
    const std::uint8_t* raw = converted.get();
    ReplaceClipData(std::move(converted), 2, 1, 8);
    EXPECT_EQ(g_pClipData.get(), raw);
    EXPECT_EQ(g_dwClipLen, 2u);
    EXPECT_EQ(g_nClipBits, 8);

    EmptyClipData();
    EXPECT_EQ(g_pClipData, nullptr);
    EXPECT_EQ(g_dwClipLen, 0u);
    EXPECT_TRUE(ClipBytes().empty());
}

}  // namespace
}  // namespace quorbel
