#include "wavefile/wave_ops.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <new>
#include <system_error>

namespace quorbel {
namespace {

constexpr const char* kChunkNotFoundBox =
    "Possible Error causes\n1.File is not WAVE type\n2.FMT chunk not found\n3.Data chunk not "
    "found";
constexpr const char* kIoErrorBox =
    "Possible Error causes\n1.Failed to read fmt chunk\n2.Error writing to file\n3.Failed to "
    "read data chunk\n4.Failed to write data block";

constexpr std::int64_t kMaxChunkSize = 0xFFFFFFFFLL;

UserMessage TitleBox(const char* text) {
    return UserMessage{text, MessageStyle::Title};
}
UserMessage ErrorBox(const char* text) {
    return UserMessage{text, MessageStyle::Error};
}

// A chunk step (find, leave) in the caller's reporting style.
WaveError CheckChunkStep(ParseReporting reporting, int result, const char* directText) {
    if (reporting == ParseReporting::MmioStyle) return ReportMmioError(result);
    if (result != 0) return TitleBox(directText);
    return std::nullopt;
}

// A read or write in the caller's reporting style; moving fewer bytes than asked is a failure.
WaveError CheckTransfer(ParseReporting reporting, std::int64_t result, std::int64_t expected,
                        const char* directText) {
    if (reporting == ParseReporting::MmioStyle) return ReportMmioError(result, expected);
    if (result != expected) return TitleBox(directText);
    return std::nullopt;
}

// A transfer that cannot move all its bytes (checked before trying), in the caller's style.
UserMessage ShortTransfer(ParseReporting reporting, const char* directText) {
    return reporting == ParseReporting::MmioStyle ? TitleBox(kIoErrorBox) : TitleBox(directText);
}

void StoreLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Writes a 4-byte little-endian field at `offset`; the byte count written, or -1.
std::int64_t WriteSizeField(RiffFile& file, std::int64_t offset, std::uint32_t value) {
    std::array<std::uint8_t, 4> field{};
    StoreLe32(field.data(), value);
    if (file.Seek(offset, SEEK_SET) < 0) return kRiffIoError;
    return file.Write(field.data(), 4);
}

// Buffered bytes must reach the file before a write counts as done: a full disk shows here.
std::int64_t FlushedResult(RiffFile& file, std::int64_t written) {
    return file.Flush() == 0 ? written : kRiffIoError;
}

}  // namespace

WaveError ReportMmioError(std::int64_t result) {
    if (result == kChunkNotFound) return TitleBox(kChunkNotFoundBox);
    if (result == kRiffIoError) return TitleBox(kIoErrorBox);
    return std::nullopt;
}

WaveError ReportMmioError(std::int64_t result, std::int64_t expected) {
    if (result == kRiffIoError || result != expected) return TitleBox(kIoErrorBox);
    return std::nullopt;
}

Expected<ParsedWave> ParseWave(const std::string& path, const ParseOptions& options) {
    const ParseReporting reporting = options.reporting;
    ParsedWave wave;
    wave.path = path;
    wave.reporting = reporting;
    wave.file = RiffFile::Open(path, options.mode);
    if (!wave.file) return TitleBox("File cannot be opened");
    RiffFile& file = *wave.file;

    if (auto error =
            CheckChunkStep(reporting, file.FindRiff(wave.riff, kWaveId), "File is not WAVE type")) {
        return *error;
    }
    wave.riffSize = wave.riff.size;
    const std::int64_t fileSize = file.Size();
    if (fileSize < 0) return ShortTransfer(reporting, "File cannot be opened");

    // The chunk search stays inside the form. A lenient parse does not trust the declared
    // form size (streaming writers leave 0 or a placeholder there) and searches the whole file.
    ChunkInfo form = wave.riff;
    if (options.lenient) {
        form.size = static_cast<std::uint32_t>(
            std::clamp<std::int64_t>(fileSize - wave.riff.dataOffset, 0, kMaxChunkSize));
    }

    if (auto error = CheckChunkStep(reporting, file.FindChunk(wave.fmt, kFmtId, form),
                                    "File has no fmt chunk ")) {
        return *error;
    }
    // A format record too short to interpret, or one that runs past the end of the file, is a
    // short read; nothing is allocated for a size the file cannot back.
    const char* fmtReadText = "Failed to read fmt chunk ";
    if (wave.fmt.size < kWaveFormatRecordSize || wave.fmt.End() > fileSize) {
        return ShortTransfer(reporting, fmtReadText);
    }
    wave.formatBytes.resize(wave.fmt.size);
    if (auto error = CheckTransfer(reporting, file.Read(wave.formatBytes.data(), wave.fmt.size),
                                   wave.fmt.size, fmtReadText)) {
        return *error;
    }
    wave.format = *DecodeWaveFormat(wave.formatBytes);
    if (wave.format.wFormatTag != kWaveFormatPcm) return TitleBox("Error this is not PCM format");

    // Leaving fmt only seeks; if even that fails the data chunk cannot be reached.
    const char* noDataText = "Error: can not find data sub chunk";
    if (auto error = CheckChunkStep(reporting, file.Ascend(wave.fmt), noDataText)) return *error;
    if (auto error =
            CheckChunkStep(reporting, file.FindChunk(wave.data, kDataId, form), noDataText)) {
        return *error;
    }

    const std::int64_t present = std::max<std::int64_t>(fileSize - wave.data.dataOffset, 0);
    wave.dataSize = wave.data.size;
    if (options.lenient && (wave.dataSize == 0 || wave.data.End() > fileSize)) {
        const std::int64_t frame = std::max<std::int64_t>(wave.format.nBlockAlign, 1);
        wave.dataSize =
            static_cast<std::uint32_t>(std::min(present - present % frame, kMaxChunkSize));
    }
    if (wave.dataSize == 0) return TitleBox("Error: data chunk contains no data");
    if (wave.dataSize > present) {
        return ShortTransfer(reporting, "Error: failed to read data chunk");
    }

    if (options.readData) {
        if (auto error = ReadWaveData(wave)) return *error;
    }
    return wave;
}

WaveError ReadWaveData(ParsedWave& wave) {
    const char* readText = "Error: failed to read data chunk";
    if (!wave.file || wave.file->Seek(wave.data.dataOffset, SEEK_SET) < 0) {
        return ShortTransfer(wave.reporting, readText);
    }
    try {
        wave.dataBytes = std::make_unique_for_overwrite<std::uint8_t[]>(wave.dataSize);
    } catch (const std::bad_alloc&) {
        return TitleBox("Not enough memory to read the data chunk");
    }
    // One read for the whole chunk: the C library hands large requests straight to the kernel.
    const std::int64_t got = wave.file->Read(wave.dataBytes.get(), wave.dataSize);
    if (auto error = CheckTransfer(wave.reporting, got, wave.dataSize, readText)) {
        wave.dataBytes.reset();
        return error;
    }
    return std::nullopt;
}

std::uint32_t WaveRiffSizeFor(std::uint32_t fmtSize, std::uint32_t dataSize) {
    const std::uint64_t size = 4ULL + 8 + fmtSize + (fmtSize & 1) + 8 + dataSize;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, kMaxChunkSize));
}

WaveError CreateWaveFile(const std::string& path, std::span<const std::uint8_t> fmtBytes,
                         std::span<const std::uint8_t> data, std::uint32_t riffSize) {
    std::unique_ptr<RiffFile> file = RiffFile::Open(path, RiffOpenMode::CreateWrite);
    if (!file) return ErrorBox("Cannot create temporary file!");

    ChunkInfo riff;
    riff.size = riffSize;
    riff.formType = kWaveId;
    if (file->CreateChunk(riff, true) != 0) return ErrorBox("Cannot create RIFF chunk!");

    ChunkInfo fmt;
    fmt.id = kFmtId;
    fmt.size = static_cast<std::uint32_t>(fmtBytes.size());
    if (fmtBytes.size() > kMaxChunkSize || file->CreateChunk(fmt, false) != 0) {
        return ErrorBox("Cannot create FMT chunk");
    }
    const auto fmtLength = static_cast<std::int64_t>(fmtBytes.size());
    if (file->Write(fmtBytes.data(), fmtLength) != fmtLength) {
        return ErrorBox("Cannot write wave structure");
    }
    if (file->Ascend(fmt) != 0) return ErrorBox("Cannot ascend out of FMT chunk");

    ChunkInfo dataChunk;
    dataChunk.id = kDataId;
    dataChunk.size = static_cast<std::uint32_t>(data.size());
    if (data.size() > kMaxChunkSize || file->CreateChunk(dataChunk, false) != 0) {
        return ErrorBox("Cannot create data chunk");
    }
    // The data and RIFF chunks are not left: the sizes written with their headers stand.
    const auto dataLength = static_cast<std::int64_t>(data.size());
    if (file->Write(data.data(), dataLength) != dataLength || file->Close() != 0) {
        return ErrorBox("Cannot write waveaudio data");
    }
    return std::nullopt;
}

WaveError WriteDataSizeField(ParsedWave& wave, std::uint32_t newDataSize) {
    const std::int64_t written = FlushedResult(
        *wave.file, WriteSizeField(*wave.file, wave.data.dataOffset - 4, newDataSize));
    if (auto error =
            CheckTransfer(wave.reporting, written, 4, "Error: failed to write data chunk")) {
        return error;
    }
    wave.data.size = newDataSize;
    return std::nullopt;
}

WaveError WriteWaveData(ParsedWave& wave, std::span<const std::uint8_t> content) {
    const auto length = static_cast<std::int64_t>(content.size());
    std::int64_t written = kRiffIoError;
    if (content.size() <= kMaxChunkSize && wave.file->Seek(wave.data.dataOffset, SEEK_SET) >= 0) {
        written = FlushedResult(*wave.file, wave.file->Write(content.data(), length));
    }
    return CheckTransfer(wave.reporting, written, length, "Error: failed to write data chunk");
}

WaveError WriteRiffSizeField(ParsedWave& wave, std::uint32_t newRiffSize) {
    if (wave.reporting == ParseReporting::MmioStyle) {
        if (auto error = ReportMmioError(wave.file->Ascend(wave.data))) return error;
    } else {
        wave.file->Ascend(wave.data);
    }
    const std::int64_t written =
        FlushedResult(*wave.file, WriteSizeField(*wave.file, 4, newRiffSize));
    if (written != 4) return TitleBox("Error: cannot write new RIFF size");
    wave.riff.size = newRiffSize;
    wave.riffSize = newRiffSize;
    return std::nullopt;
}

WaveError PatchWaveInPlace(ParsedWave& wave, std::span<const std::uint8_t> content) {
    if (content.size() > kMaxChunkSize) {
        return ShortTransfer(wave.reporting, "Error: failed to write data chunk");
    }
    const auto newSize = static_cast<std::uint32_t>(content.size());
    const std::int64_t oldSize = wave.dataSize;
    const std::int64_t added = std::int64_t{newSize} - oldSize;
    const std::int64_t oldEnd = std::int64_t{wave.data.dataOffset} + oldSize;

    if (auto error = WriteDataSizeField(wave, newSize)) return error;
    if (!wave.dataBytes) {
        if (auto error = ReadWaveData(wave)) return error;
    }
    // An odd-sized chunk is followed by its pad byte, and the RIFF size counts it.
    const bool lastChunk = wave.file->Size() <= oldEnd + (oldSize & 1);
    std::vector<std::uint8_t> padded;
    std::span<const std::uint8_t> written = content;
    if (lastChunk && (newSize & 1) != 0) {
        padded.reserve(content.size() + 1);
        padded.assign(content.begin(), content.end());
        padded.push_back(0);
        written = padded;
    }
    if (auto error = WriteWaveData(wave, written)) return error;
    const std::int64_t padChange = lastChunk ? std::int64_t{newSize & 1} - (oldSize & 1) : 0;
    const std::int64_t riffSize =
        std::clamp<std::int64_t>(wave.riffSize + added + padChange, 0, kMaxChunkSize);
    if (auto error = WriteRiffSizeField(wave, static_cast<std::uint32_t>(riffSize))) return error;

    // A shorter sound would leave stale samples of the old one behind the new end; drop them
    // when the data chunk was the last thing in the file.
    const std::int64_t newEnd = std::int64_t{wave.data.dataOffset} + newSize + (newSize & 1);
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
        return ShortTransfer(wave.reporting, "Error: failed to write data chunk");
    }
    return WriteWaveData(wave, content);
}

}  // namespace quorbel
