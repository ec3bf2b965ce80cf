#include "audio/sound_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>

#include "audio/wave_format.h"
#include "wavefile/regular_file.h"

namespace quorbel {
namespace {

// A `fmt ` chunk larger than this is not a format record but a damaged file.
constexpr std::uint32_t kMaxFmtBytes = 64 * 1024;

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// Reads exactly `size` bytes at `offset`; false with errno set on an error or an early end.
bool readAt(int fd, void* buf, std::uint64_t size, std::uint64_t offset) {
    auto* out = static_cast<char*>(buf);
    while (size > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(size, 1u << 30));
        const ssize_t n = ::pread(fd, out, step, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        out += n;
        size -= static_cast<std::uint64_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool isChunkIdChar(unsigned char c) {
    return c >= 0x20 && c < 0x7F;
}

bool plausibleChunkId(int fd, std::uint64_t offset, std::uint64_t fileSize) {
    unsigned char id[4];
    if (offset + 8 > fileSize || !readAt(fd, id, 4, offset)) return false;
    return std::all_of(id, id + 4, isChunkIdChar);
}

SoundProblem cannotRead(const std::string& path, int err) {
    return {SoundError::CannotRead, "Cannot read the file " + path + ": " + std::strerror(err)};
}

}  // namespace

SoundProblem readSoundFile(const std::string& path, LoadedSound& out) {
    // A pipe, socket, folder or device is refused before anything could wait on it.
    const RegularFile opened = OpenRegularFile(path, O_RDONLY);
    if (opened.error == ENOENT) return {SoundError::NotFound, "The file does not exist."};
    if (opened.fd < 0) {
        return {SoundError::CannotRead, "Cannot read the file " + path + ": " + opened.reason};
    }
    FileHandle file(opened.fd);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) return cannotRead(path, errno);
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    unsigned char header[12];
    if (fileSize < 12 || !readAt(file.get(), header, 12, 0) ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        return {SoundError::NotWave, "The file is not a RIFF WAVE file."};
    }

    // Walk the chunks up to the end of the file; the RIFF size is often wrong, so it is ignored.
    bool haveFmt = false, haveData = false;
    std::vector<std::byte> fmt;
    std::uint64_t dataOffset = 0, dataSize = 0;
    std::uint64_t offset = 12;
    while (offset + 8 <= fileSize && !(haveFmt && haveData)) {
        std::byte chunk[8];
        if (!readAt(file.get(), chunk, 8, offset)) return cannotRead(path, errno);
        const std::uint32_t size = readLe32(chunk + 4);
        const std::uint64_t body = offset + 8;
        const std::uint64_t present = std::min<std::uint64_t>(size, fileSize - body);
        if (!haveFmt && std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size > kMaxFmtBytes) {
                return {SoundError::BadFmt, "The file's fmt chunk is damaged (it claims " +
                                                std::to_string(size) + " bytes)."};
            }
            fmt.resize(static_cast<std::size_t>(present));
            if (!readAt(file.get(), fmt.data(), present, body)) return cannotRead(path, errno);
            haveFmt = true;
        } else if (!haveData && std::memcmp(chunk, "data", 4) == 0) {
            dataOffset = body;
            dataSize = present;
            haveData = true;
        }
        std::uint64_t next = body + size;
        // Odd chunks are followed by a pad byte, but some writers leave it out.
        if ((size & 1u) != 0 && !plausibleChunkId(file.get(), next + 1, fileSize) &&
            plausibleChunkId(file.get(), next, fileSize)) {
            offset = next;
        } else {
            offset = next + (size & 1u);
        }
    }

    if (!haveFmt) return {SoundError::NoFmt, "The file has no fmt chunk."};
    StreamFormat format;
    if (SoundProblem p = parseWaveFormat(fmt, format)) return p;
    if (!haveData) return {SoundError::NoData, "The file has no data chunk."};

    dataSize -= dataSize % format.bytesPerFrame();
    try {
        out.data.resize(static_cast<std::size_t>(dataSize));
    } catch (const std::bad_alloc&) {
        out.data = ByteBuffer();
        return {SoundError::OutOfMemory, "Not enough memory to load the file (" +
                                             std::to_string(dataSize) + " bytes of sound)."};
    }
    if (!readAt(file.get(), out.data.data(), dataSize, dataOffset)) {
        const int err = errno;
        out.data = ByteBuffer();
        return cannotRead(path, err);
    }
    out.fmt = std::move(fmt);
    out.format = format;
    return {};
}

}  // namespace quorbel
