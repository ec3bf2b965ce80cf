#pragma once

// The list of recently used files that the File menu shows: newest first, each file once, at
// most eight. Plain paths only; where the list is kept between runs is the shell's business.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel {

class RecentFileList {
  public:
    static constexpr std::size_t kMaxEntries = 8;

    RecentFileList() = default;
    // The list as stored, newest first. Entries that are no usable path (see isRecentFilePath),
    // repeats, and everything after the eighth good entry are left out, so a damaged or
    // hand-edited store gives what is still good in it.
    explicit RecentFileList(const std::vector<std::string>& stored);

    // Puts `path` first, moving it up when it is on the list already; the oldest entry falls
    // off past eight. False, with the list unchanged, for a path the list cannot hold.
    bool add(const std::string& path);
    // Takes `path` off the list; false when it was not on it.
    bool remove(const std::string& path);

    const std::vector<std::string>& paths() const { return paths_; }
    std::size_t size() const { return paths_.size(); }
    bool empty() const { return paths_.empty(); }

  private:
    std::vector<std::string> paths_;
};

// True for a path the list keeps: absolute, naming a file (not ending in '/'), at most 4096
// bytes and free of control characters, which a menu item or a printed line could not show as
// they are. Any other byte is kept: a name need not be UTF-8, and the menu shows what it cannot
// decode as U+FFFD while the entry still opens the file.
bool isRecentFilePath(std::string_view path);

// The menu item of entry `index` (0 for the newest): "&1 take1.wav". Only the file's name is
// shown; each '&' in it is doubled so that it shows as itself instead of marking a mnemonic.
std::string recentFileMenuLabel(std::size_t index, std::string_view path);

// The entry a command opens: 0 for ID_FILE_MRU_FILE1 up to 7 for ID_FILE_MRU_FILE8; empty for
// any other command.
std::optional<std::size_t> recentFileIndex(int commandId);

}  // namespace quorbel
