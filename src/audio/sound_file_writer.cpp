#include "audio/sound_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

std::string folderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? "." : dir;
}

// Creates a new, empty file in `dir` that no one else uses; null with errno on failure.
std::unique_ptr<RiffFile> createTempFile(const std::string& dir, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = dir + "/.quorbel-save-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + ".tmp";
        std::unique_ptr<RiffFile> file = RiffFile::Open(name, RiffOpenMode::CreateNew);
        if (file || errno != EEXIST) return file;
    }
    errno = EEXIST;
    return nullptr;
}

WaveFailure unwritable(const std::string& path, int err) {
    WaveFailure failure;
    failure.code = WaveFault::FileUnwritable;
    failure.path = path;
    failure.err = err != 0 ? err : EIO;
    return failure;
}

}  // namespace

WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         std::span<const std::uint8_t> data, SaveDurability durability) {
    const std::uint64_t fmtPadded = fmt.size() + (fmt.size() & 1u);
    const std::uint64_t dataPadded = data.size() + (data.size() & 1u);
    const std::uint64_t riffSize = 4 + 8 + fmtPadded + 8 + dataPadded;
    if (riffSize > UINT32_MAX) {
        WaveFailure failure;
        failure.code = WaveFault::SoundTooLarge;
        failure.path = path;
        failure.bytes = data.size();
        return failure;
    }

    if (durability == SaveDurability::Scratch) {
        // Straight into the working file made for it: no flush, no rename.
        errno = 0;
        std::unique_ptr<RiffFile> file = RiffFile::Open(path, RiffOpenMode::CreateWrite);
        if (!file) return unwritable(path, errno);
        const WaveError written =
            WriteWaveChunks(*file, fmt, data, static_cast<std::uint32_t>(riffSize), true);
        if (written) return unwritable(path, written->err);
        if (file->Close() != 0) return unwritable(path, errno);
        return std::nullopt;
    }

    std::string temp;
    errno = 0;
    std::unique_ptr<RiffFile> file = createTempFile(folderOf(path), temp);
    if (!file) return unwritable(path, errno);
    // A file replaced by the save keeps its permissions.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        (void)::fchmod(file->Descriptor(), old.st_mode & 07777);
    }

    errno = 0;
    const WaveError written =
        WriteWaveChunks(*file, fmt, data, static_cast<std::uint32_t>(riffSize), true);
    int err = written ? written->err : 0;
    bool ok = !written;
    if (ok && (file->Flush() != 0 || ::fsync(file->Descriptor()) != 0)) {
        ok = false;
        err = errno;
    }
    if (file->Close() != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return unwritable(path, err);
    }
    // Make the rename itself durable; a failure here no longer endangers any data.
    const int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return std::nullopt;
}

}  // namespace quorbel
