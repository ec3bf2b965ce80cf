#include "wavefile/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace quorbel {
namespace {

bool UserIsInGroup(gid_t group) {
    if (group == ::getegid()) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 &&
           std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

}  // namespace

bool PermissionBitsAllowWriting(const struct stat& st) {
    const uid_t user = ::geteuid();
    if (user == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    if (st.st_uid == user) return (st.st_mode & S_IWUSR) != 0;
    if (UserIsInGroup(st.st_gid)) return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

std::string NotRegularFileReason(mode_t mode) {
    if (S_ISREG(mode)) return {};
    const char* kind = "a special file";
    if (S_ISDIR(mode)) {
        kind = "a folder";
    } else if (S_ISFIFO(mode)) {
        kind = "a named pipe (FIFO)";
    } else if (S_ISSOCK(mode)) {
        kind = "a socket";
    } else if (S_ISCHR(mode) || S_ISBLK(mode)) {
        kind = "a device";
    }
    return std::string("not a regular file but ") + kind;
}

bool EmptyFile(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    return st.st_size == 0 || ::ftruncate(fd, 0) == 0;
}

RegularFile OpenRegularFile(const std::string& path, int flags, mode_t createMode) {
    RegularFile result;
    auto failed = [&result](int err) {
        result.error = err;
        result.reason = std::strerror(err);
        return result;
    };
    // Look first, so that a pipe or device is never opened at all (opening some devices acts).
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            result.reason = NotRegularFileReason(st.st_mode);
            return result;
        }
    } else if (errno != ENOENT || (flags & O_CREAT) == 0) {
        return failed(errno);
    }
    // Non-blocking, in case a pipe was put in its place since: opening one must not wait. The
    // file is emptied below, once it is known to be a regular file.
    const int fd =
        ::open(path.c_str(), (flags & ~O_TRUNC) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, createMode);
    if (fd < 0) return failed(errno);
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return failed(err);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        result.reason = NotRegularFileReason(st.st_mode);
        return result;
    }
    if ((flags & O_TRUNC) != 0 && !EmptyFile(fd)) {
        const int err = errno;
        ::close(fd);
        return failed(err);
    }
    // Regular files ignore the flag, but whoever reads the descriptor later expects plain I/O.
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1) (void)::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    result.fd = fd;
    return result;
}

}  // namespace quorbel
