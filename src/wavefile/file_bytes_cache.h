#pragma once

// Which files' data chunks are already in memory. A file the program has just written from
// memory (a working file, a saved sound) or just read is not read again while its bytes are
// still held by someone: the entry matches only while the file keeps the identity it had when
// it was remembered (device, inode, size, modification time), so a file changed since is read
// as usual. The cache holds the bytes weakly and never keeps a sound in memory by itself.

#include <cstdint>
#include <optional>
#include <string>

#include "wavefile/shared_bytes.h"

namespace quorbel {

// Remembers that the data chunk content of the file at `path`, starting at byte `offset`, is
// `bytes` (as the file is on disk now).
void RememberFileBytes(const std::string& path, std::uint64_t offset, const SharedBytes& bytes);

// The `size` bytes at `offset` of the file at `path`, if they are held in memory and the file
// has not changed since they were remembered.
std::optional<SharedBytes> CachedFileBytes(const std::string& path, std::uint64_t offset,
                                           std::uint64_t size);

}  // namespace quorbel
