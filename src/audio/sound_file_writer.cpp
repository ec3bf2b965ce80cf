#include "audio/sound_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "wavefile/file_replacement.h"
#include "wavefile/wave_limits.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

WaveFailure notReplaced(const std::string& path, std::string reason) {
    WaveFailure failure(WaveFault::NotReplaced, path);
    failure.reason = std::move(reason);
    return failure;
}

WaveFailure unwritable(const std::string& path, int err) {
    WaveFailure failure;
    failure.code = WaveFault::FileUnwritable;
    failure.path = path;
    failure.err = err != 0 ? err : EIO;
    return failure;
}

// Counts what `file` writes in `progress`, when there is one.
void ReportTo(RiffFile& file, WorkProgress* progress, std::uint64_t total) {
    if (progress == nullptr) return;
    progress->Begin(total);
    file.SetTransferHook(
        [progress](std::int64_t n) { progress->Advance(static_cast<std::uint64_t>(n)); });
}

}  // namespace

WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         std::span<const std::uint8_t> data, SaveDurability durability,
                         WaveError* warning, WorkProgress* progress) {
    return writeSoundFile(path, fmt, PieceList(BorrowBytes(data)), durability, warning, progress);
}

WaveError writeSoundFile(const std::string& path, std::span<const std::uint8_t> fmt,
                         const PieceList& data, SaveDurability durability, WaveError* warning,
                         WorkProgress* progress) {
    if (warning != nullptr) warning->reset();
    // Refused before anything is written: the old file stays, and no new one is begun.
    if (WaveError refused = CheckSoundFits(path, fmt, data.size())) return refused;
    const auto riffSize = static_cast<std::uint32_t>(RiffSizeOf(fmt.size(), data.size()));
    const std::uint64_t fileBytes = WaveHeader(fmt, data.size()).size() + data.size() + 1;

    if (durability == SaveDurability::Scratch) {
        // Straight into the working file made for it: no flush, no rename.
        errno = 0;
        std::unique_ptr<RiffFile> file = RiffFile::Open(path, RiffOpenMode::CreateWrite);
        if (!file) return unwritable(path, errno);
        ReportTo(*file, progress, data.size());
        const WaveError written = WriteWaveChunks(*file, fmt, data, riffSize, true);
        if (written) return unwritable(path, written->err);
        if (file->Close() != 0) return unwritable(path, errno);
        return std::nullopt;
    }

    // The new file is written unnamed beside the target and takes its place only when it is
    // complete and on disk; a symbolic link is followed, so the link itself stays.
    FileReplacement replacement;
    if (std::string reason = replacement.begin(path); !reason.empty()) {
        if (replacement.error() != 0) return unwritable(path, replacement.error());
        return notReplaced(path, std::move(reason));
    }
    errno = 0;
    if (WaveError refused = CheckDiskRoom(replacement.fd(), path, fileBytes)) {
        replacement.abandon();
        return refused;
    }
    std::unique_ptr<RiffFile> file = RiffFile::WriteToDescriptor(replacement.fd());
    if (!file) return unwritable(path, errno);
    ReportTo(*file, progress, data.size());
    const WaveError written = WriteWaveChunks(*file, fmt, data, riffSize, true);
    if (written || file->Close() != 0) {
        const int err = written ? written->err : errno;
        replacement.abandon();
        return unwritable(path, err);
    }
    if (std::string reason = replacement.commit(); !reason.empty()) {
        if (replacement.error() != 0) return unwritable(path, replacement.error());
        return notReplaced(path, std::move(reason));
    }
    if (warning != nullptr && replacement.keepError() != 0) {
        *warning = WaveFailure(WaveFault::OwnerNotKept, path, replacement.keepError());
    }
    return std::nullopt;
}

}  // namespace quorbel
