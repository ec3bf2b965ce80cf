#include "view/display_data.h"

#include <algorithm>
#include <array>

#include "wavefile/riff_file.h"
#include "wavefile/wave_ops.h"

namespace quorbel {

namespace {

// The parser's own texts for the two cases the view treats apart from other failures.
constexpr const char* kNotPcmText = "Error this is not PCM format";
constexpr const char* kEmptyDataText = "Error: data chunk contains no data";

// The format of a file whose data chunk holds nothing, which the parser refuses as a
// source of samples.
DisplayReadResult ReadEmptySound(const std::string& path) {
    DisplayReadResult result;
    result.message = "Cannot read " + path + ":\nthe format chunk cannot be read";
    std::unique_ptr<RiffFile> file = RiffFile::Open(path, RiffOpenMode::Read);
    ChunkInfo riff, fmt;
    if (!file || file->FindRiff(riff, kWaveId) != 0) return result;
    const std::int64_t fileSize = file->Size();
    riff.size = static_cast<std::uint32_t>(std::max<std::int64_t>(fileSize - riff.dataOffset, 0));
    if (file->FindChunk(fmt, kFmtId, riff) != 0) return result;
    std::array<std::uint8_t, kWaveFormatRecordSize> record{};
    if (file->Read(record.data(), std::ssize(record)) != std::ssize(record)) return result;
    result.data.format = *DecodeWaveFormat(record);
    result.status =
        result.data.format.wFormatTag == kWaveFormatPcm && result.data.format.nChannels != 0
            ? DisplayReadStatus::Ok
            : DisplayReadStatus::NotPcm;
    result.data.bytes = std::make_unique<std::uint8_t[]>(0);
    result.message.clear();
    return result;
}

}  // namespace

DisplayReadResult ReadDisplayData(const std::string& path) {
    DisplayReadResult result;
    ParseOptions options;
    options.lenient = true;
    Expected<ParsedWave> parsed = ParseWave(path, options);
    if (!parsed) {
        const std::string& why = parsed.error().text;
        if (why == kNotPcmText) {
            result.status = DisplayReadStatus::NotPcm;
        } else if (why == kEmptyDataText) {
            // A recording stopped at once is an empty sound, not a broken file.
            return ReadEmptySound(path);
        } else {
            result.message = "Cannot read " + path + ":\n" + why;
        }
        return result;
    }
    ParsedWave& wave = *parsed;
    if (wave.format.nChannels == 0) {
        result.status = DisplayReadStatus::NotPcm;
        return result;
    }
    result.status = DisplayReadStatus::Ok;
    result.data.format = wave.format;
    result.data.size = wave.dataSize;
    result.data.bytes = std::move(wave.dataBytes);
    return result;
}

std::uint32_t SampleCountOf(std::uint32_t dataBytes, int bitsPerSample) {
    return bitsPerSample >= 16 ? dataBytes >> 1 : dataBytes;
}

std::uint32_t SliderPageOf(std::uint32_t dataBytes) {
    return dataBytes / 10;
}

}  // namespace quorbel
