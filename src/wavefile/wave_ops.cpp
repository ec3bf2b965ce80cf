#include "wavefile/wave_ops.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

#include "wavefile/byte_order.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// What a chunk's own 32-bit size field can hold. A whole file is bounded tighter, by its RIFF
// size (wavefile/wave_limits.h).
constexpr std::int64_t kMaxChunkSize = 0xFFFFFFFFLL;

// A failure of a step on `path`; a step that ended with -1 keeps the system's error number.
// Every step clears errno before it starts, so that a failure without a system error (a short
// read at the end of the file, a write to a file opened for reading) names no stale cause.
WaveFailure Fault(WaveFault code, const std::string& path, FourCC chunk = 0,
                  std::int64_t result = 0) {
    return WaveFailure(code, path, result == kRiffIoError ? errno : 0, chunk);
}

// A chunk step (find, leave) in the caller's reporting style.
WaveError CheckChunkStep(const ParsedWave& wave, int result, WaveFault direct, FourCC chunk) {
    if (wave.reporting == ParseReporting::MmioStyle) {
        WaveError error = ReportMmioError(result);
        if (error) error = Fault(error->code, wave.path, chunk, result);
        return error;
    }
    if (result != 0) return Fault(direct, wave.path, chunk, result);
    return std::nullopt;
}

// A read or write in the caller's reporting style; moving fewer bytes than asked is a failure.
WaveError CheckTransfer(const ParsedWave& wave, std::int64_t result, std::int64_t expected,
                        WaveFault direct, FourCC chunk) {
    if (result == expected) return std::nullopt;
    const WaveFault code =
        wave.reporting == ParseReporting::MmioStyle ? WaveFault::IoError : direct;
    // A transfer cut short by the system (a full disk part way) also says why.
    return WaveFailure(code, wave.path, errno, chunk);
}

// A transfer that cannot move all its bytes (checked before trying), in the caller's style.
WaveFailure ShortTransfer(const ParsedWave& wave, WaveFault direct, FourCC chunk) {
    return Fault(wave.reporting == ParseReporting::MmioStyle ? WaveFault::IoError : direct,
                 wave.path, chunk);
}

// Writes a 4-byte little-endian field at `offset`; the byte count written, or -1.
std::int64_t WriteSizeField(RiffFile& file, std::int64_t offset, std::uint32_t value) {
    std::array<std::uint8_t, 4> field{};
    StoreLe32(field.data(), value);
    if (file.Seek(offset, SEEK_SET) < 0) return kRiffIoError;
    return file.Write(field.data(), 4);
}

// Creates the chunk `id` at the current position and writes `body` into it, with one fault
// for the header and one for the content (errno in err).
WaveError WriteChunk(RiffFile& file, ChunkInfo& chunk, FourCC id,
                     std::span<const std::uint8_t> body, WaveFault headerFault,
                     WaveFault bodyFault) {
    chunk.id = id;
    chunk.size = static_cast<std::uint32_t>(body.size());
    if (body.size() > kMaxChunkSize) return Fault(headerFault, {}, id);
    errno = 0;
    if (const int result = file.CreateChunk(chunk, false); result != 0) {
        return Fault(headerFault, {}, id, result);
    }
    const auto length = static_cast<std::int64_t>(body.size());
    errno = 0;
    if (file.Write(body.data(), length) != length) return Fault(bodyFault, {}, id, kRiffIoError);
    return std::nullopt;
}

// Buffered bytes must reach the file before a write counts as done: a full disk shows here.
std::int64_t FlushedResult(RiffFile& file, std::int64_t written) {
    return file.Flush() == 0 ? written : kRiffIoError;
}

}  // namespace

WaveError ReportMmioError(std::int64_t result) {
    if (result == kRiffChunkNotFound) return WaveFailure{WaveFault::ChunkNotFound};
    if (result == kRiffIoError) return WaveFailure{WaveFault::IoError};
    return std::nullopt;
}

WaveError ReportMmioError(std::int64_t result, std::int64_t expected) {
    if (result == kRiffIoError || result != expected) return WaveFailure{WaveFault::IoError};
    return std::nullopt;
}

Expected<ParsedWave> OpenWave(const std::string& path, const ParseOptions& options) {
    ParsedWave wave;
    wave.path = path;
    wave.reporting = options.reporting;
    errno = 0;
    wave.file = RiffFile::Open(path, options.mode);
    if (!wave.file) return Fault(WaveFault::OpenFailed, path, 0, kRiffIoError);
    RiffFile& file = *wave.file;

    if (auto error = CheckChunkStep(wave, file.FindRiff(wave.riff, kWaveId), WaveFault::NoWaveForm,
                                    kRiffId)) {
        return *error;
    }
    wave.riffSize = wave.riff.size;
    const std::int64_t fileSize = file.Size();
    if (fileSize < 0) return ShortTransfer(wave, WaveFault::OpenFailed, kRiffId);

    // The chunk search stays inside the form. A lenient parse does not trust the declared
    // form size (streaming writers leave 0 or a placeholder there) and searches the whole file.
    ChunkInfo form = wave.riff;
    if (options.lenient) {
        form.size = static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(fileSize - wave.riff.dataOffset, 0, kMaxRiffSize));
    }

    if (auto error = CheckChunkStep(wave, file.FindChunk(wave.fmt, kFmtId, form),
                                    WaveFault::NoFmtChunk, kFmtId)) {
        return *error;
    }
    // A format record too short to interpret, or one that runs past the end of the file, is a
    // short read; nothing is allocated for a size the file cannot back.
    if (wave.fmt.size < kWaveFormatRecordSize || wave.fmt.End() > fileSize) {
        return ShortTransfer(wave, WaveFault::FmtReadShort, kFmtId);
    }
    wave.formatBytes.resize(wave.fmt.size);
    errno = 0;
    if (auto error = CheckTransfer(wave, file.Read(wave.formatBytes.data(), wave.fmt.size),
                                   wave.fmt.size, WaveFault::FmtReadShort, kFmtId)) {
        return *error;
    }
    wave.format = DecodeFormatChunk(wave.formatBytes)->format;
    if (wave.format.wFormatTag != kWaveFormatPcm) return Fault(WaveFault::NotPcm, path, kFmtId);

    // Leaving fmt only seeks; if even that fails the data chunk cannot be reached.
    if (auto error = CheckChunkStep(wave, file.Ascend(wave.fmt), WaveFault::NoDataChunk, kDataId)) {
        return *error;
    }
    if (auto error = CheckChunkStep(wave, file.FindChunk(wave.data, kDataId, form),
                                    WaveFault::NoDataChunk, kDataId)) {
        return *error;
    }

    wave.dataSize = wave.data.size;
    if (options.lenient && (wave.dataSize == 0 || wave.data.End() > fileSize)) {
        // As much as the file holds in whole frames, and no more than can be saved again.
        const auto present =
            static_cast<std::uint64_t>(std::max<std::int64_t>(fileSize - wave.data.dataOffset, 0));
        wave.dataSize = static_cast<std::uint32_t>(DataBytesPresent(
            wave.data.size, present, wave.fmt.size,
            static_cast<std::uint64_t>(std::max<int>(wave.format.nBlockAlign, 1))));
    }
    return wave;
}

Expected<ParsedWave> ParseWave(const std::string& path, const ParseOptions& options) {
    Expected<ParsedWave> opened = OpenWave(path, options);
    if (!opened) return opened;
    ParsedWave& wave = *opened;
    if (wave.dataSize == 0) return Fault(WaveFault::DataEmpty, path, kDataId);
    const std::int64_t fileSize = wave.file->Size();
    if (fileSize < 0 || wave.data.dataOffset + std::int64_t{wave.dataSize} > fileSize) {
        return ShortTransfer(wave, WaveFault::DataReadShort, kDataId);
    }
    if (options.readData) {
        if (auto error = ReadWaveData(wave)) return *error;
    }
    return opened;
}

WaveError ReadWaveData(ParsedWave& wave) {
    // Nothing is allocated for more bytes than the file holds.
    const std::int64_t fileSize = wave.file ? wave.file->Size() : -1;
    if (fileSize < 0 || wave.data.dataOffset + std::int64_t{wave.dataSize} > fileSize ||
        wave.file->Seek(wave.data.dataOffset, SEEK_SET) < 0) {
        return ShortTransfer(wave, WaveFault::DataReadShort, kDataId);
    }
    std::unique_ptr<std::uint8_t[]> bytes;
    try {
        bytes = std::make_unique_for_overwrite<std::uint8_t[]>(wave.dataSize);
    } catch (const std::bad_alloc&) {
        return Fault(WaveFault::DataOutOfMemory, wave.path, kDataId);
    }
    // One read for the whole chunk: the C library hands large requests straight to the kernel.
    errno = 0;
    const std::int64_t got = wave.file->Read(bytes.get(), wave.dataSize);
    if (auto error = CheckTransfer(wave, got, wave.dataSize, WaveFault::DataReadShort, kDataId)) {
        return error;
    }
    wave.dataBytes = std::move(bytes);
    return std::nullopt;
}

std::uint32_t WaveDataOffsetFor(std::uint32_t fmtSize) {
    return 12 + 8 + fmtSize + (fmtSize & 1) + 8;
}

std::uint32_t WaveRiffSizeFor(std::uint32_t fmtSize, std::uint32_t dataSize) {
    const std::uint64_t size = RiffSizeOf(fmtSize, dataSize) - (dataSize & 1u);
    return static_cast<std::uint32_t>(std::min(size, kMaxRiffSize));
}

WaveError CheckSoundFits(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::uint64_t dataBytes) {
    if (SoundFits(fmtBytes.size(), dataBytes)) return std::nullopt;
    const std::uint64_t frame = fmtBytes.size() >= 14 ? LoadLe16(fmtBytes.data() + 12) : 1;
    WaveFailure failure(WaveFault::SoundTooLarge, path);
    failure.bytes = dataBytes;
    failure.limit = MaxDataBytes(fmtBytes.size(), frame);
    return failure;
}

WaveError WriteWaveChunks(RiffFile& file, std::span<const std::uint8_t> fmtBytes,
                          std::span<const std::uint8_t> data, std::uint32_t riffSize,
                          bool padData) {
    if (WaveError refused = CheckSoundFits({}, fmtBytes, data.size())) return refused;
    ChunkInfo riff;
    riff.size = riffSize;
    riff.formType = kWaveId;
    errno = 0;
    if (const int result = file.CreateChunk(riff, true); result != 0) {
        return Fault(WaveFault::RiffChunkCreateFailed, {}, kRiffId, result);
    }
    ChunkInfo fmt;
    if (auto error = WriteChunk(file, fmt, kFmtId, fmtBytes, WaveFault::FmtChunkCreateFailed,
                                WaveFault::FmtWriteShort)) {
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

WaveError CreateWaveFile(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::span<const std::uint8_t> data, std::uint32_t riffSize) {
    if (WaveError refused = CheckSoundFits(path, fmtBytes, data.size())) return refused;
    errno = 0;
    std::unique_ptr<RiffFile> file = RiffFile::Open(path, RiffOpenMode::CreateWrite);
    if (!file) return Fault(WaveFault::CreateFailed, path, 0, kRiffIoError);
    // The data and RIFF chunks are not left: the sizes written with their headers stand.
    if (WaveError error = WriteWaveChunks(*file, fmtBytes, data, riffSize, false)) {
        error->path = path;
        return error;
    }
    errno = 0;
    if (file->Close() != 0) return Fault(WaveFault::DataWriteFailed, path, kDataId, kRiffIoError);
    return std::nullopt;
}

WaveError WriteDataSizeField(ParsedWave& wave, std::uint32_t newDataSize) {
    errno = 0;
    const std::int64_t written = FlushedResult(
        *wave.file, WriteSizeField(*wave.file, wave.data.dataOffset - 4, newDataSize));
    if (auto error = CheckTransfer(wave, written, 4, WaveFault::DataWriteShort, kDataId)) {
        return error;
    }
    wave.data.size = newDataSize;
    return std::nullopt;
}

WaveError WriteWaveData(ParsedWave& wave, std::span<const std::uint8_t> content) {
    const auto length = static_cast<std::int64_t>(content.size());
    std::int64_t written = kRiffIoError;
    errno = 0;
    if (content.size() <= kMaxChunkSize && wave.file->Seek(wave.data.dataOffset, SEEK_SET) >= 0) {
        written = FlushedResult(*wave.file, wave.file->Write(content.data(), length));
    }
    return CheckTransfer(wave, written, length, WaveFault::DataWriteShort, kDataId);
}

WaveError WriteRiffSizeField(ParsedWave& wave, std::uint32_t newRiffSize) {
    errno = 0;
    if (wave.reporting == ParseReporting::MmioStyle) {
        if (auto error = CheckChunkStep(wave, wave.file->Ascend(wave.data),
                                        WaveFault::ChunkNotFound, kDataId)) {
            return error;
        }
    } else {
        wave.file->Ascend(wave.data);
    }
    const std::int64_t written =
        FlushedResult(*wave.file, WriteSizeField(*wave.file, 4, newRiffSize));
    if (written != 4) return Fault(WaveFault::RiffSizeWriteFailed, wave.path, kRiffId, written);
    wave.riff.size = newRiffSize;
    wave.riffSize = newRiffSize;
    return std::nullopt;
}

WaveError PatchWaveInPlace(ParsedWave& wave, std::span<const std::uint8_t> content) {
    const std::int64_t oldSize = wave.dataSize;
    const std::int64_t oldEnd = std::int64_t{wave.data.dataOffset} + oldSize;
    // A file that carries the pad byte after an odd-sized data chunk (as the device writes it)
    // keeps doing so, and its RIFF size counts it; a file without one stays without.
    const std::int64_t fileSize = wave.file->Size();
    const bool lastChunk = fileSize <= oldEnd + (oldSize & 1);
    const bool pads = lastChunk && (oldSize & 1) != 0 && fileSize > oldEnd;

    // The patched file must fit a WAVE file as the device saves it, with a pad byte after odd
    // data whatever this file's habit (wavefile/wave_limits.h), so that the sound can always be
    // saved again. Refused before a byte is written, naming the size and the most whole frames
    // this file can hold.
    const std::int64_t rest = std::int64_t{wave.riffSize} - oldSize - std::int64_t{pads};
    const std::uint64_t contentSize = content.size();
    if (contentSize > static_cast<std::uint64_t>(kMaxChunkSize) ||
        rest + static_cast<std::int64_t>(contentSize + (contentSize & 1u)) >
            static_cast<std::int64_t>(kMaxRiffSize)) {
        const std::int64_t room = std::clamp<std::int64_t>(
            static_cast<std::int64_t>(kMaxRiffSize) - rest, 0, kMaxChunkSize);
        const std::int64_t even = room & ~std::int64_t{1};
        WaveFailure failure(WaveFault::SoundTooLarge, wave.path);
        failure.bytes = contentSize;
        failure.limit = static_cast<std::uint64_t>(
            even - even % std::max<std::int64_t>(wave.format.nBlockAlign, 1));
        return failure;
    }
    const auto newSize = static_cast<std::uint32_t>(contentSize);
    const std::int64_t added = std::int64_t{newSize} - oldSize;
    const bool padNew = pads && (newSize & 1) != 0;

    if (auto error = WriteDataSizeField(wave, newSize)) return error;
    if (!wave.dataBytes) {
        if (auto error = ReadWaveData(wave)) return error;
    }
    if (auto error = WriteWaveData(wave, content)) return error;
    if (padNew) {
        const std::uint8_t pad = 0;
        errno = 0;
        const std::int64_t padded = FlushedResult(*wave.file, wave.file->Write(&pad, 1));
        if (auto error = CheckTransfer(wave, padded, 1, WaveFault::DataWriteShort, kDataId)) {
            return error;
        }
    }
    const std::int64_t padChange = std::int64_t{padNew} - std::int64_t{pads};
    const std::int64_t riffSize = std::clamp<std::int64_t>(wave.riffSize + added + padChange, 0,
                                                           static_cast<std::int64_t>(kMaxRiffSize));
    if (auto error = WriteRiffSizeField(wave, static_cast<std::uint32_t>(riffSize))) return error;

    // A shorter sound would leave stale samples of the old one behind the new end; drop them
    // when the data chunk was the last thing in the file.
    const std::int64_t newEnd = std::int64_t{wave.data.dataOffset} + newSize + padNew;
    if (added < 0 && lastChunk) {
        std::error_code ignored;
        std::filesystem::resize_file(wave.path, static_cast<std::uintmax_t>(newEnd), ignored);
    }
    wave.dataSize = newSize;
    wave.dataBytes.reset();
    return std::nullopt;
}

WaveError RewriteWaveData(ParsedWave& wave, std::span<const std::uint8_t> content) {
    if (content.size() != wave.dataSize) {
        return ShortTransfer(wave, WaveFault::DataWriteShort, kDataId);
    }
    return WriteWaveData(wave, content);
}

}  // namespace quorbel
