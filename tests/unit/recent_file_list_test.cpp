// The list of recent files: newest first, each file once, at most eight, and only paths a menu
// can show; a damaged store gives what is still good in it.

#include "framework/recent_file_list.h"

#include <gtest/gtest.h>

#include "framework/command_ids.h"

namespace quorbel {
namespace {

using Paths = std::vector<std::string>;

std::string file(int n) {
    return "/sounds/take" + std::to_string(n) + ".wav";
}

TEST(RecentFileList, NewestFirstEachOnceAtMostEight) {
    RecentFileList list;
    for (int n = 1; n <= 10; ++n) ASSERT_TRUE(list.add(file(n)));
    ASSERT_TRUE(list.add(file(5)));  // opened again: moves up, not in twice
    EXPECT_TRUE(list.remove(file(9)));
    EXPECT_FALSE(list.add("relative.wav"));
    EXPECT_EQ(list.paths(),
              (Paths{file(5), file(10), file(8), file(7), file(6), file(4), file(3)}));
    // A store's list: bad entries and repeats are skipped, the first eight good ones kept.
    Paths stored = {"", "junk", file(1), file(1)};
    for (int n = 2; n < 5000; ++n) stored.push_back(n % 2 == 0 ? "junk" : file(n));
    EXPECT_EQ(RecentFileList(stored).paths(),
              (Paths{file(1), file(3), file(5), file(7), file(9), file(11), file(13), file(15)}));
}

TEST(RecentFileList, KeepsOnlyPathsAMenuCanShow) {
    const std::pair<std::string, bool> cases[] = {
        {"/a/Tom & Jerry, \"live\"; #1 = [x].wav", true},
        {"/a/\xC3\xBC\xE6\x97\xA5.wav", true},  // ü, 日
        {"/" + std::string(4095, 'x'), false},
        {"take1.wav", false},
        {"/a/folder/", false},
        {"/a/line\nbreak.wav", false},
        {"/a/latin1-\xFC.wav", true},  // names are bytes: not UTF-8, still the user's file
        {"/a/overlong-\xC0\xAF.wav", true},
    };
    for (const auto& [path, usable] : cases) EXPECT_EQ(isRecentFilePath(path), usable) << path;
}

TEST(RecentFileList, MenuLabelsAndCommands) {
    EXPECT_EQ(recentFileMenuLabel(0, "/sounds/take1.wav"), "&1 take1.wav");
    EXPECT_EQ(recentFileMenuLabel(7, "/x/Tom & Jerry&.wav"), "&8 Tom && Jerry&&.wav");
    EXPECT_EQ(recentFileIndex(ID_FILE_MRU_FILE1), 0u);
    EXPECT_EQ(recentFileIndex(ID_FILE_MRU_FILE8), 7u);
    EXPECT_FALSE(recentFileIndex(ID_FILE_MRU_FILE8 + 1));
    EXPECT_FALSE(recentFileIndex(ID_FILE_OPEN));
}

}  // namespace
}  // namespace quorbel
