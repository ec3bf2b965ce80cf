#include "audio/sound_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "audio/wave_format.h"

namespace quorbel {
namespace {

bool writeAll(int fd, const void* buf, std::size_t size) {
    const auto* in = static_cast<const char*>(buf);
    while (size > 0) {
        const std::size_t step = std::min<std::size_t>(size, std::size_t{1} << 30);
        const ssize_t n = ::write(fd, in, step);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        in += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? "." : dir;
}

// Creates a new, empty file in `dir` that no one else uses; -1 with errno on failure.
int createTempFile(const std::string& dir, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = dir + "/.quorbel-save-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes the whole file (header, fmt, data, pad byte) at the start of `fd`.
bool writeWave(int fd, std::span<const std::byte> fmt, std::span<const std::byte> data,
               std::uint64_t riffSize) {
    const std::size_t fmtPadded = fmt.size() + (fmt.size() & 1u);
    std::vector<std::byte> header(12 + 8 + fmtPadded + 8, std::byte{0});
    std::memcpy(header.data(), "RIFF", 4);
    writeLe32(header.data() + 4, static_cast<std::uint32_t>(riffSize));
    std::memcpy(header.data() + 8, "WAVEfmt ", 8);
    writeLe32(header.data() + 16, static_cast<std::uint32_t>(fmt.size()));
    if (!fmt.empty()) std::memcpy(header.data() + 20, fmt.data(), fmt.size());
    std::byte* dataHeader = header.data() + 20 + fmtPadded;
    std::memcpy(dataHeader, "data", 4);
    writeLe32(dataHeader + 4, static_cast<std::uint32_t>(data.size()));

    const std::byte pad{0};
    return writeAll(fd, header.data(), header.size()) && writeAll(fd, data.data(), data.size()) &&
           ((data.size() & 1u) == 0 || writeAll(fd, &pad, 1));
}

// A working file is the program's own scratch copy: written straight into the file that was
// made for it, with no flush and no rename.
SoundProblem writeScratchFile(const std::string& path, std::span<const std::byte> fmt,
                              std::span<const std::byte> data, std::uint64_t riffSize) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && writeWave(fd, fmt, data, riffSize);
    int err = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) return {};
    return SoundProblem{SoundError::CannotWrite,
                        "Cannot write the file " + path + ": " + std::strerror(err)};
}

}  // namespace

SoundProblem writeSoundFile(const std::string& path, std::span<const std::byte> fmt,
                            std::span<const std::byte> data, SaveDurability durability) {
    const std::uint64_t fmtPadded = fmt.size() + (fmt.size() & 1u);
    const std::uint64_t dataPadded = data.size() + (data.size() & 1u);
    const std::uint64_t riffSize = 4 + 8 + fmtPadded + 8 + dataPadded;
    if (riffSize > UINT32_MAX) {
        return {SoundError::TooLarge,
                "Cannot write the file " + path + ": the sound is too large for a WAVE file (" +
                    std::to_string(data.size()) + " bytes of sound; at most 4 GiB fit)."};
    }
    auto failure = [&path](int err) {
        return SoundProblem{SoundError::CannotWrite,
                            "Cannot write the file " + path + ": " + std::strerror(err)};
    };

    if (durability == SaveDurability::Scratch) return writeScratchFile(path, fmt, data, riffSize);

    std::string temp;
    const int fd = createTempFile(folderOf(path), temp);
    if (fd < 0) return failure(errno);
    // A file replaced by the save keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        (void)::fchmod(fd, old.st_mode & 07777);
    }

    bool ok = writeWave(fd, fmt, data, riffSize) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return failure(err);
    }
    // Make the rename itself durable; a failure here no longer endangers any data.
    const int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

}  // namespace quorbel
