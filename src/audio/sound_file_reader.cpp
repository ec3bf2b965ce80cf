#include "audio/sound_file_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <optional>

#include "audio/sample_values.h"
#include "audio/wave_format.h"
#include "wavefile/fresh_bytes.h"
#include "wavefile/regular_file.h"
#include "wavefile/wave_format.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// A `fmt ` chunk larger than this is not a format record but a damaged file.
constexpr std::uint32_t kMaxFmtBytes = 64 * 1024;
constexpr std::int64_t kMaxChunkSize = 0xFFFFFFFFLL;
// Read at a time from a float sound and counted for NaN while in the cache (whole samples).
constexpr std::int64_t kCountedStretch = std::int64_t{256} << 10;

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

// A fault about sizes: `bytes` claimed where `limit` are.
WaveFailure SizeFault(WaveFault code, const std::string& path, std::uint64_t bytes,
                      std::uint64_t limit) {
    WaveFailure failure(code, path, 0, kDataId);
    failure.bytes = bytes;
    failure.limit = limit;
    return failure;
}

// The 64-bit sizes of an RF64 (or BW64) file, from its `ds64` chunk.
struct Ds64Sizes {
    std::uint64_t riff = 0;
    std::uint64_t data = 0;
};

WaveError ReadDs64(RiffFile& file, const std::string& path, const ChunkInfo& form,
                   Ds64Sizes& sizes) {
    ChunkInfo ds64;
    if (auto error = Find(file, path, ds64, kDs64Id, form, WaveFault::Ds64Damaged)) return error;
    std::uint8_t bytes[16];
    if (ds64.size < sizeof bytes) return WaveFailure(WaveFault::Ds64Damaged, path, 0, kDs64Id);
    errno = 0;
    if (file.Seek(ds64.dataOffset, SEEK_SET) < 0) return Unreadable(path, errno, kDs64Id);
    const std::int64_t got = file.Read(bytes, sizeof bytes);
    if (got < 0) return Unreadable(path, errno, kDs64Id);
    if (got != sizeof bytes) return WaveFailure(WaveFault::Ds64Damaged, path, 0, kDs64Id);
    sizes.riff = LoadLe64(bytes);
    sizes.data = LoadLe64(bytes + 8);
    return std::nullopt;
}

// Bytes the memory of this machine can still give (free and reclaimable memory, and swap);
// 0 when it cannot be told.
std::uint64_t AvailableMemoryBytes() {
    std::FILE* info = std::fopen("/proc/meminfo", "re");
    if (info == nullptr) return 0;
    std::uint64_t available = 0;
    std::uint64_t swap = 0;
    char line[128];
    while (std::fgets(line, sizeof line, info) != nullptr) {
        unsigned long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) available = kib * 1024;
        if (std::sscanf(line, "SwapFree: %llu kB", &kib) == 1) swap = kib * 1024;
    }
    std::fclose(info);
    return available == 0 ? 0 : available + swap;
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
    std::int64_t dataSize = 0;
    if (riff.id != kRiffId) {
        // RF64: the sizes come from the ds64 chunk and must agree with the file, since a
        // file past 4 GiB cannot be read the tolerant way (its 32-bit fields say nothing).
        Ds64Sizes sizes;
        if (auto error = ReadDs64(file, path, form, sizes)) return error;
        const std::uint64_t declared = data.size == 0xFFFFFFFFu ? sizes.data : data.size;
        if (declared > present) return SizeFault(WaveFault::DataPastEnd, path, declared, present);
        const auto whole = static_cast<std::uint64_t>(fileSize);
        const std::uint64_t dataEnd = data.dataOffset + declared;
        // The file may lack the last pad byte the RIFF size counts, and bytes after the form
        // are ignored.
        if (sizes.riff > whole - 7 || sizes.riff + 8 + 1 < dataEnd || sizes.data > sizes.riff) {
            return SizeFault(WaveFault::Ds64Mismatch, path, sizes.riff + 8, whole);
        }
        const std::uint64_t frames = frameBytes == 0 ? declared : declared - declared % frameBytes;
        dataSize = static_cast<std::int64_t>(std::min(frames, MaxSoundBytes(frameBytes)));
        if (reading == SoundReading::AnyLayout) dataSize = static_cast<std::int64_t>(declared);
    } else {
        dataSize = static_cast<std::int64_t>(DataBytesPresent(data.size, present, frameBytes));
        // Looking at a sound keeps every byte a finished header declares, a partial frame too.
        if (reading == SoundReading::AnyLayout && data.size > 0 && data.size <= present &&
            data.size != 0xFFFFFFFFu) {
            dataSize = data.size;
        }
    }
    // A sound larger than the memory left would be taken from the other programs (and from
    // this one's other sounds) page by page until the system ends a program: refused first.
    if (const std::uint64_t available = AvailableMemoryBytes();
        available != 0 && static_cast<std::uint64_t>(dataSize) > available) {
        return SizeFault(WaveFault::SoundPastMemory, path, static_cast<std::uint64_t>(dataSize),
                         available);
    }
    std::optional<FreshBytes> bytes;
    try {
        bytes.emplace(static_cast<std::size_t>(dataSize));
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
    // Float samples that are not numbers are counted as the sound is read, a stretch small
    // enough to be still in the cache at a time: a pass of its own would read it all again.
    const bool isFloat = reading == SoundReading::Playable && format.type == SampleType::F32;
    const std::int64_t stretch = isFloat ? kCountedStretch : std::max<std::int64_t>(dataSize, 1);
    std::uint64_t nonFinite = 0;
    WaveError error;
    for (std::int64_t at = 0; at < dataSize && !error; at += stretch) {
        const std::int64_t n = std::min(stretch, dataSize - at);
        error = ReadAt(file, path, bytes->data() + at, n, data.dataOffset + at, kDataId);
        if (isFloat && !error) {
            nonFinite += CountNonFiniteSamples(
                std::span<const std::uint8_t>(bytes->data() + at, static_cast<std::size_t>(n)),
                SampleType::F32);
        }
    }
    file.SetTransferHook({});
    if (error) return error;
    out.data = PieceList(ShareBytes(std::move(*bytes)));
    if (isFloat && !out.data.empty()) out.data.pieces().front().block->nonFiniteFloats = nonFinite;
    out.fmt = std::move(fmtBytes);
    out.format = format;
    return std::nullopt;
}

}  // namespace quorbel
