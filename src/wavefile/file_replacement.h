#pragma once

// Replacing a file's content all at once, so that a failed or killed save leaves either the
// old file or the complete new one, and nothing else. The new content is written to an
// unnamed file in the target's folder (Linux O_TMPFILE), flushed to disk, and only then given
// the target's name. Where the folder cannot hold unnamed files, a hidden file of a fixed
// pattern stands in; one left behind by a crash is removed by the next save into that folder.

#include <sys/stat.h>

#include <string>

namespace quorbel {

class FileReplacement {
  public:
    FileReplacement() = default;
    // Abandons a replacement that was not committed: the target stays as it was.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Prepares to replace `path` (which need not exist yet). A symbolic link is followed to
    // the file it names, and that file is replaced in its own folder, so the link stays. A
    // target that exists but is not a regular file is refused. Returns "" or why it cannot.
    // `allowUnnamed` false goes the hidden-name way even where unnamed files work.
    std::string begin(const std::string& path, bool allowUnnamed = true);

    // Where the new content goes (write only); -1 before a successful begin().
    int fd() const { return fd_; }

    // Puts the new content in place of the target, with the old file's permissions (and
    // owner, where allowed), and makes the change durable. Returns "" or why it failed; the
    // target is then as it was and no new file is left.
    std::string commit();

    // After a successful commit(): the system error that kept the new file from taking the
    // old one's owner, group or permissions (a user may not give a file away), or 0 when it
    // took them all or there was no old file. The content is in place either way.
    int keepError() const { return keepError_; }

    // Drops the new content. Harmless when nothing is pending.
    void abandon();

    // The system error behind the last failure of begin() or commit(); 0 when the target was
    // refused for what it is (a pipe, a folder, a loop of links).
    int error() const { return error_; }

    // The file that is (or was) replaced: the target with symbolic links followed.
    const std::string& target() const { return target_; }

  private:
    std::string createFile(bool allowUnnamed);
    std::string failed(int err);

    std::string target_;
    std::string folder_;
    std::string name_;  // the target's name inside folder_
    int fd_ = -1;
    int folderFd_ = -1;
    std::string tempName_;  // the hidden name while one exists; "" for an unnamed file
    bool unnamed_ = false;
    bool hadOld_ = false;
    struct stat old_ {};
    int error_ = 0;
    int keepError_ = 0;
};

// The prefix and suffix of the hidden names the replacement stands in with.
inline constexpr const char* kReplacementPrefix = ".quorbel-save-";
inline constexpr const char* kReplacementSuffix = ".tmp";

}  // namespace quorbel
