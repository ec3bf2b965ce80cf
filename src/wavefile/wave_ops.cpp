#include "wavefile/wave_ops.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>

#include "wavefile/byte_order.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// What a chunk's own 32-bit size field can hold. A whole file is bounded tighter, by its RIFF
// size (wavefile/wave_limits.h).
constexpr std::int64_t kMaxChunkSize = 0xFFFFFFFFLL;

// A failure of a step on `path`; a step that ended with -1 keeps the system's error number.
// Every step clears errno before it starts, so that a failure without a system error (a
// chunk too large for its size field, a write to a file opened for reading) names no stale
// cause.
WaveFailure Fault(WaveFault code, const std::string& path, FourCC chunk = 0,
                  std::int64_t result = 0) {
    return WaveFailure(code, path, result == kRiffIoError ? errno : 0, chunk);
}

// Creates the chunk `id` at the current position and writes `body` into it, with one fault
// for the header and one for the content (errno in err).
WaveError WriteChunk(RiffFile& file, ChunkInfo& chunk, FourCC id, const PieceList& body,
                     WaveFault headerFault, WaveFault bodyFault) {
    chunk.id = id;
    chunk.size = static_cast<std::uint32_t>(body.size());
    if (body.size() > kMaxChunkSize) return Fault(headerFault, {}, id);
    errno = 0;
    if (const int result = file.CreateChunk(chunk, false); result != 0) {
        return Fault(headerFault, {}, id, result);
    }
    bool written = true;
    ForEachStretch(body, 0, body.size(), [&](std::span<const std::uint8_t> stretch) {
        const auto length = static_cast<std::int64_t>(stretch.size());
        errno = 0;
        if (written) written = file.Write(stretch.data(), length) == length;
    });
    if (!written) return Fault(bodyFault, {}, id, kRiffIoError);
    return std::nullopt;
}

}  // namespace

std::uint32_t WaveRiffSizeFor(std::uint32_t fmtSize, std::uint32_t dataSize) {
    const std::uint64_t size = RiffSizeOf(fmtSize, dataSize) - (dataSize & 1u);
    return static_cast<std::uint32_t>(std::min(size, kMaxRiffSize));
}

WaveError CheckSoundFits(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::uint64_t dataBytes) {
    const std::uint64_t frame = fmtBytes.size() >= 14 ? LoadLe16(fmtBytes.data() + 12) : 1;
    if (dataBytes <= MaxSoundBytes(frame)) return std::nullopt;
    WaveFailure failure(WaveFault::SoundTooLarge, path);
    failure.bytes = dataBytes;
    failure.limit = MaxSoundBytes(frame);
    return failure;
}

WaveError CheckDiskRoom(int fd, const std::string& path, std::uint64_t bytes) {
    struct statvfs disk {};
    if (::fstatvfs(fd, &disk) != 0 || disk.f_blocks == 0) return std::nullopt;
    const std::uint64_t free = std::uint64_t{disk.f_bavail} * disk.f_frsize;
    if (bytes <= free) return std::nullopt;
    WaveFailure failure(WaveFault::DiskTooFull, path);
    failure.bytes = bytes;
    failure.limit = free;
    return failure;
}

std::vector<std::uint8_t> WaveHeader(std::span<const std::uint8_t> fmt, std::uint64_t dataBytes) {
    const bool rf64 = !SoundFits(fmt.size(), dataBytes);
    std::vector<std::uint8_t> header;
    header.reserve(80 + fmt.size());
    auto id = [&](const char(&code)[5]) {
        for (int i = 0; i < 4; ++i) header.push_back(static_cast<std::uint8_t>(code[i]));
    };
    auto field = [&](std::uint64_t value, int bytes) {
        for (int shift = 0; shift < 8 * bytes; shift += 8) {
            header.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    constexpr std::uint64_t kSizeInDs64 = 0xFFFFFFFFu;
    constexpr std::uint64_t kDs64Bytes = 28;
    id(rf64 ? "RF64" : "RIFF");
    const std::uint64_t riffSize = RiffSizeOf(fmt.size(), dataBytes) + (rf64 ? 8 + kDs64Bytes : 0);
    field(rf64 ? kSizeInDs64 : riffSize, 4);
    id("WAVE");
    if (rf64) {
        const std::uint64_t frame = fmt.size() >= 14 ? LoadLe16(fmt.data() + 12) : 0;
        id("ds64");
        field(kDs64Bytes, 4);
        field(riffSize, 8);
        field(dataBytes, 8);
        field(frame == 0 ? 0 : dataBytes / frame, 8);
        field(0, 4);  // no table of other chunks' sizes
    }
    id("fmt ");
    field(fmt.size(), 4);
    header.insert(header.end(), fmt.begin(), fmt.end());
    if (fmt.size() % 2 == 1) header.push_back(0);
    id("data");
    field(rf64 ? kSizeInDs64 : dataBytes, 4);
    return header;
}

namespace {

// The RF64 layout of WriteWaveChunks: its header in one write, then the samples.
WaveError WriteRf64(RiffFile& file, std::span<const std::uint8_t> fmtBytes, const PieceList& data,
                    bool padData) {
    const std::vector<std::uint8_t> header = WaveHeader(fmtBytes, data.size());
    const auto length = std::ssize(header);
    errno = 0;
    if (file.Write(header.data(), length) != length) {
        return Fault(WaveFault::RiffChunkCreateFailed, {}, kRiffId, kRiffIoError);
    }
    bool written = true;
    ForEachStretch(data, 0, data.size(), [&](std::span<const std::uint8_t> stretch) {
        const auto n = static_cast<std::int64_t>(stretch.size());
        errno = 0;
        if (written) written = file.Write(stretch.data(), n) == n;
    });
    const std::uint8_t pad = 0;
    if (written && padData && data.size() % 2 == 1) written = file.Write(&pad, 1) == 1;
    if (!written) return Fault(WaveFault::DataWriteFailed, {}, kDataId, kRiffIoError);
    return std::nullopt;
}

}  // namespace

WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          std::span<const std::uint8_t> data, std::uint32_t riffSize,
                          bool padData) {
    return WriteWaveChunks(file, fmtBytes, PieceList(BorrowBytes(data)), riffSize, padData);
}

WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          const PieceList& data, std::uint32_t riffSize, bool padData) {
    if (WaveError refused = CheckSoundFits({}, fmtBytes, data.size())) return refused;
    if (!SoundFits(fmtBytes.size(), data.size())) return WriteRf64(file, fmtBytes, data, padData);
    ChunkInfo riff;
    riff.size = riffSize;
    riff.formType = kWaveId;
    errno = 0;
    if (const int result = file.CreateChunk(riff, true); result != 0) {
        return Fault(WaveFault::RiffChunkCreateFailed, {}, kRiffId, result);
    }
    ChunkInfo fmt;
    if (auto error = WriteChunk(file, fmt, kFmtId, PieceList(BorrowBytes(fmtBytes)),
                                WaveFault::FmtChunkCreateFailed, WaveFault::FmtWriteShort)) {
        return error;
    }
    errno = 0;
    if (const int result = file.Ascend(fmt); result != 0) {
        return Fault(WaveFault::FmtAscendFailed, {}, kFmtId, result);
    }
    ChunkInfo dataChunk;
    if (auto error = WriteChunk(file, dataChunk, kDataId, data, WaveFault::DataChunkCreateFailed,
                                WaveFault::DataWriteFailed)) {
        return error;
    }
    // Leaving the data chunk writes its pad byte; the sizes written with the headers stand.
    if (padData) {
        errno = 0;
        if (const int result = file.Ascend(dataChunk); result != 0) {
            return Fault(WaveFault::DataWriteFailed, {}, kDataId, result);
        }
    }
    return std::nullopt;
}

}  // namespace quorbel
