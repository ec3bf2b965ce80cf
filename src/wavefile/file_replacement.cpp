#include "wavefile/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "wavefile/regular_file.h"

namespace quorbel {
namespace {

constexpr int kMaxLinkDepth = 40;  // as the kernel allows

std::string reasonOf(int err) {
    return std::strerror(err);
}

std::string folderPart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string namePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links from `path` to the file they lead to (which need not exist).
bool followLinks(const std::string& path, std::string& out, std::string& reason) {
    std::string current = path;
    for (int depth = 0; depth <= kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                reason = reasonOf(errno);
                return false;
            }
            out = current;
            return true;
        }
        if (!S_ISLNK(st.st_mode)) {
            out = current;
            return true;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
            if (n < 0) {
                reason = reasonOf(errno);
                return false;
            }
            if (static_cast<std::size_t>(n) < link.size()) {
                link.resize(static_cast<std::size_t>(n));
                break;
            }
            link.resize(link.size() * 2);  // the link grew since lstat
        }
        current = (link.front() == '/' || current.find('/') == std::string::npos)
                      ? link
                      : folderPart(current) + "/" + link;
    }
    reason = reasonOf(ELOOP);
    return false;
}

bool isReplacementName(const char* name) {
    const std::size_t length = std::strlen(name);
    const std::size_t prefix = std::strlen(kReplacementPrefix);
    const std::size_t suffix = std::strlen(kReplacementSuffix);
    return length > prefix + suffix && std::strncmp(name, kReplacementPrefix, prefix) == 0 &&
           std::strcmp(name + length - suffix, kReplacementSuffix) == 0;
}

// True when `name` in `folderFd` still is the file open as `fd`.
bool nameIsFile(int folderFd, const std::string& name, int fd) {
    struct stat byName {
    }, byFd{};
    return ::fstatat(folderFd, name.c_str(), &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(fd, &byFd) == 0 && byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

// Removes the hidden files that saves killed before their end left in the folder. A save that
// is still running holds a lock on its file, so only abandoned ones go.
void clearLeftovers(int folderFd) {
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) return;  // an unreadable folder keeps its leftovers
    DIR* listing = ::fdopendir(listFd);
    if (listing == nullptr) {
        ::close(listFd);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (!isReplacementName(entry->d_name)) continue;
        const int fd =
            ::openat(folderFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            nameIsFile(folderFd, entry->d_name, fd)) {
            ::unlinkat(folderFd, entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(listing);
}

std::string randomReplacementName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char number[24];
    std::snprintf(number, sizeof number, "%016llx", static_cast<unsigned long long>(random()));
    return std::string(kReplacementPrefix) + number + kReplacementSuffix;
}

// Unnamed files are linked in through /proc; without it they could not be given a name.
bool unnamedFilesUsable() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

}  // namespace

std::string FileReplacement::failed(int err) {
    error_ = err;
    return reasonOf(err);
}

FileReplacement::~FileReplacement() {
    abandon();
}

std::string FileReplacement::begin(const std::string& path, bool allowUnnamed) {
    abandon();
    error_ = 0;
    keepError_ = 0;
    std::string reason;
    if (!followLinks(path, target_, reason)) return reason;
    folder_ = folderPart(target_);
    name_ = namePart(target_);

    hadOld_ = ::stat(target_.c_str(), &old_) == 0;
    if (hadOld_ && !S_ISREG(old_.st_mode)) return NotRegularFileReason(old_.st_mode);
    if (!hadOld_ && errno != ENOENT) return failed(errno);

    folderFd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder that may be entered but not listed still takes new files.
    if (folderFd_ < 0 && errno == EACCES)
        folderFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) return failed(errno);
    clearLeftovers(folderFd_);
    reason = createFile(allowUnnamed);
    if (!reason.empty()) abandon();
    return reason;
}

std::string FileReplacement::createFile(bool allowUnnamed) {
    if (allowUnnamed && unnamedFilesUsable()) {
        fd_ = ::openat(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = true;
            // Held until the end, so that a concurrent clean-up never takes the file once named.
            ::flock(fd_, LOCK_EX);
            return {};
        }
        // Only a folder without unnamed files falls back; other errors stand.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return failed(errno);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = randomReplacementName();
        fd_ = ::openat(folderFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            if (errno == EEXIST) continue;
            return failed(errno);
        }
        tempName_ = name;
        // A clean-up may have taken the file between its creation and the lock: start again.
        if (::flock(fd_, LOCK_EX) == 0 && nameIsFile(folderFd_, name, fd_)) return {};
        ::close(fd_);
        fd_ = -1;
        tempName_.clear();
    }
    return failed(EEXIST);
}

std::string FileReplacement::commit() {
    if (fd_ < 0) return failed(EBADF);
    if (hadOld_) {
        // The new file takes the old one's place with its owner, group and permissions. What
        // cannot be kept does not stop the save (the content matters more); keepError() says.
        if (::fchown(fd_, old_.st_uid, old_.st_gid) != 0) {
            keepError_ = errno;
            // Not allowed to give the file away: it keeps at least the old group where the user
            // belongs to it. The owner is lost either way, which keepError_ already says.
            [[maybe_unused]] const int groupKept =
                ::fchown(fd_, static_cast<uid_t>(-1), old_.st_gid);
        }
        if (::fchmod(fd_, old_.st_mode & 07777) != 0 && keepError_ == 0) keepError_ = errno;
    }
    if (::fsync(fd_) != 0) {
        const std::string reason = failed(errno);
        abandon();
        return reason;
    }
    if (unnamed_) {
        // Linux cannot link an unnamed file over an existing name: it gets a hidden name first,
        // for the moment until the rename below (a crash in between leaves a complete file that
        // the next save clears).
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        for (int attempt = 0; attempt < 100 && tempName_.empty(); ++attempt) {
            const std::string name = randomReplacementName();
            if (::linkat(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                tempName_ = name;
            } else if (errno != EEXIST) {
                const std::string reason = failed(errno);
                abandon();
                return reason;
            }
        }
        if (tempName_.empty()) {
            abandon();
            return failed(EEXIST);
        }
    }
    if (::renameat(folderFd_, tempName_.c_str(), folderFd_, name_.c_str()) != 0) {
        const std::string reason = failed(errno);
        abandon();
        return reason;
    }
    tempName_.clear();
    // The data is on disk already; now make the new name durable too.
    ::close(fd_);
    fd_ = -1;
    (void)::fsync(folderFd_);
    ::close(folderFd_);
    folderFd_ = -1;
    return {};
}

void FileReplacement::abandon() {
    if (!tempName_.empty() && folderFd_ >= 0) ::unlinkat(folderFd_, tempName_.c_str(), 0);
    tempName_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (folderFd_ >= 0) ::close(folderFd_);
    folderFd_ = -1;
    unnamed_ = false;
}

}  // namespace quorbel
