#pragma once

// Opening a user's file without ever blocking: a named pipe, socket, folder or device file is
// refused at once with the reason in words, before anything could wait on it.

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace quorbel {

struct RegularFile {
    int fd = -1;         // the open descriptor (the caller closes it), or -1
    int error = 0;       // errno of a failed call; 0 when the path names the wrong kind of file
    std::string reason;  // why the file cannot be used, for the user ("Permission denied")
};

// Opens `path` with `flags` (O_RDONLY, O_RDWR, or O_WRONLY | O_CREAT | O_TRUNC, ...) only when
// it is a regular file (or, with O_CREAT, does not exist yet). Never blocks on a named pipe or
// a device, and never follows a swap of the file between the check and the open. The
// descriptor is close-on-exec.
RegularFile OpenRegularFile(const std::string& path, int flags, mode_t createMode = 0666);

// Empties the open file `fd` unless it is empty already; false (errno set) when it cannot.
// Truncating a file on ext4, even an empty one, makes its close start the writeback of all
// that was written since, which for a working file of a GiB costs the caller a fifth of a
// second; an empty file has nothing to lose, so it is left alone.
bool EmptyFile(int fd);

// Whether the permission bits of a file (from stat) let this process's user write it: the
// owner's, group's or others' bit, whichever class the user falls in; for root any write bit.
// Access control lists and read-only mounts are not looked at.
bool PermissionBitsAllowWriting(const struct stat& st);

// Why a file of `mode` (from stat) is not a regular file, e.g. "not a regular file but a
// named pipe (FIFO)"; "" for a regular file.
std::string NotRegularFileReason(mode_t mode);

}  // namespace quorbel
