#include "audio/sound_file_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "audio/wave_format.h"
#include "wavefile/byte_buffer.h"
#include "wavefile/regular_file.h"
#include "wavefile/wave_format.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// A `fmt ` chunk larger than this is not a format record but a damaged file.
constexpr std::uint32_t kMaxFmtBytes = 64 * 1024;
constexpr std::int64_t kMaxChunkSize = 0xFFFFFFFFLL;

// A read that failed or ended early; the system's error, or EIO for an early end.
WaveFailure Unreadable(const std::string& path, int err, FourCC chunk = 0) {
    return WaveFailure(WaveFault::FileUnreadable, path, err != 0 ? err : EIO, chunk);
}

// A chunk search over the whole file: kRiffChunkNotFound gives `missing`, -1 a read error.
WaveError Find(RiffFile& file, const std::string& path, ChunkInfo& chunk, FourCC id,
               const ChunkInfo& form, WaveFault missing) {
    errno = 0;
    if (file.Seek(form.dataOffset + 4, SEEK_SET) < 0) return Unreadable(path, errno, id);
    const int result = file.FindChunk(chunk, id, form, ChunkWalk::Tolerant);
    if (result == kRiffChunkNotFound) return WaveFailure(missing, path, 0, id);
    if (result != 0) return Unreadable(path, errno, id);
    return std::nullopt;
}

// Reads exactly `count` bytes at `offset`.
WaveError ReadAt(RiffFile& file, const std::string& path, void* buffer, std::int64_t count,
                 std::int64_t offset, FourCC chunk) {
    errno = 0;
    if (file.Seek(offset, SEEK_SET) < 0 || file.Read(buffer, count) != count) {
        return Unreadable(path, errno, chunk);
    }
    return std::nullopt;
}

// A pipe, socket, folder or device named as a sound file.
WaveFailure NotRegular(const std::string& path, mode_t mode) {
    WaveFailure failure(WaveFault::NotRegularFile, path);
    failure.reason = NotRegularFileReason(mode);
    return failure;
}

}  // namespace

WaveError readSoundFile(const std::string& path, LoadedSound& out, SoundReading reading,
                        WorkProgress* progress) {
    // A pipe, socket, folder or device is refused before anything could wait on it.
    errno = 0;
    std::unique_ptr<RiffFile> file = RiffFile::Open(path, RiffOpenMode::Read);
    if (!file) {
        if (errno == ENOENT) return WaveFailure(WaveFault::FileNotFound, path);
        struct stat st {};
        if (errno == 0 && ::stat(path.c_str(), &st) == 0) return NotRegular(path, st.st_mode);
        return Unreadable(path, errno);
    }
    struct stat st {};
    if (::fstat(file->Descriptor(), &st) != 0) return Unreadable(path, errno);
    if (!S_ISREG(st.st_mode)) return NotRegular(path, st.st_mode);
    return readSound(*file, path, out, reading, progress);
}

WaveError readSound(RiffFile& file, const std::string& path, LoadedSound& out, SoundReading reading,
                    WorkProgress* progress) {
    errno = 0;
    const std::int64_t fileSize = file.Size();
    if (fileSize < 0) return Unreadable(path, errno);

    ChunkInfo riff;
    if (file.FindRiff(riff, kWaveId, ChunkWalk::Tolerant) != 0) {
        return WaveFailure(WaveFault::NotRiffWave, path, 0, kRiffId);
    }
    // The chunks are searched up to the end of the file: the RIFF size is often wrong.
    ChunkInfo form = riff;
    form.size = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(fileSize - riff.dataOffset, 0, kMaxChunkSize));

    ChunkInfo fmt;
    if (auto error = Find(file, path, fmt, kFmtId, form, WaveFault::FmtMissing)) return error;
    if (fmt.size > kMaxFmtBytes) {
        WaveFailure failure(WaveFault::FmtOversized, path, 0, kFmtId);
        failure.bytes = fmt.size;
        return failure;
    }
    std::vector<std::uint8_t> fmtBytes(
        static_cast<std::size_t>(std::min<std::int64_t>(fmt.size, fileSize - fmt.dataOffset)));
    if (auto error =
            ReadAt(file, path, fmtBytes.data(), std::ssize(fmtBytes), fmt.dataOffset, kFmtId)) {
        return error;
    }
    StreamFormat format;
    std::uint64_t frameBytes = 0;
    if (reading == SoundReading::Playable) {
        if (WaveError error = parseWaveFormat(fmtBytes, format)) {
            error->path = path;
            return error;
        }
        frameBytes = format.bytesPerFrame();
    } else {
        // Any layout a `fmt ` record can describe, for looking at: frames of its block align.
        const auto chunk = DecodeFormatChunk(fmtBytes);
        if (!chunk) return WaveFailure(WaveFault::FmtTooShort, path, 0, kFmtId);
        frameBytes = std::max<std::uint64_t>(chunk->format.nBlockAlign, 1);
    }

    ChunkInfo data;
    if (auto error = Find(file, path, data, kDataId, form, WaveFault::DataMissing)) return error;
    const auto present =
        static_cast<std::uint64_t>(std::max<std::int64_t>(fileSize - data.dataOffset, 0));
    std::int64_t dataSize =
        static_cast<std::int64_t>(DataBytesPresent(data.size, present, fmt.size, frameBytes));
    // Looking at a sound keeps every byte a finished header declares, a partial frame too.
    if (reading == SoundReading::AnyLayout && data.size > 0 && data.size <= present &&
        data.size != 0xFFFFFFFFu) {
        dataSize = data.size;
    }
    ByteBuffer bytes;
    try {
        bytes.resize(static_cast<std::size_t>(dataSize));
    } catch (const std::bad_alloc&) {
        WaveFailure failure(WaveFault::SoundOutOfMemory, path, 0, kDataId);
        failure.bytes = static_cast<std::uint64_t>(dataSize);
        return failure;
    }
    if (progress != nullptr) {
        progress->Begin(static_cast<std::uint64_t>(dataSize));
        file.SetTransferHook(
            [progress](std::int64_t n) { progress->Advance(static_cast<std::uint64_t>(n)); });
    }
    WaveError error = ReadAt(file, path, bytes.data(), dataSize, data.dataOffset, kDataId);
    file.SetTransferHook({});
    if (error) return error;
    out.data = PieceList(ShareBytes(std::move(bytes)));
    out.fmt = std::move(fmtBytes);
    out.format = format;
    return std::nullopt;
}

}  // namespace quorbel
