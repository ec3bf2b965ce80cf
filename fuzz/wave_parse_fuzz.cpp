// Feeds arbitrary bytes as a file to the exact parse in both reporting styles, with and
// without reading the data. Any crash, sanitizer report or broken invariant is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "res/wave_messages.h"
#include "wavefile/wave_ops.h"

namespace {

using quorbel::ParseReporting;
using quorbel::WaveFault;
using quorbel::fuzz::Check;

// The faults a parse may give in each style: the MMIO style passes chunk steps, reads and
// writes on as its two boxes, but keeps its own texts for these.
bool FitsStyle(WaveFault code, ParseReporting style) {
    switch (code) {
        case WaveFault::OpenFailed:
        case WaveFault::NotPcm:
        case WaveFault::DataEmpty:
        case WaveFault::DataOutOfMemory:
            return true;
        case WaveFault::ChunkNotFound:
        case WaveFault::IoError:
            return style == ParseReporting::MmioStyle;
        case WaveFault::NoWaveForm:
        case WaveFault::NoFmtChunk:
        case WaveFault::FmtReadShort:
        case WaveFault::NoDataChunk:
        case WaveFault::DataReadShort:
            return style == ParseReporting::Direct;
        default:
            return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string path = quorbel::fuzz::ScratchPath("parse.wav");
    if (!quorbel::fuzz::WriteFile(path, {bytes, size})) return 0;

    bool parsedDirect = false;
    for (ParseReporting style : {ParseReporting::Direct, ParseReporting::MmioStyle}) {
        for (bool readData : {true, false}) {
            quorbel::ParseOptions options;
            options.reporting = style;
            options.readData = readData;
            auto parsed = quorbel::ParseWave(path, options);
            if (style == ParseReporting::Direct && readData) parsedDirect = parsed.ok();
            Check(parsed.ok() == parsedDirect, "the styles disagree on whether the file parses");
            if (!parsed) {
                Check(FitsStyle(parsed.error().code, style), "a fault outside the style");
                Check(!quorbel::MessageFor(parsed.error()).text.empty(), "a fault without a text");
                continue;
            }
            quorbel::ParsedWave& wave = *parsed;
            Check(wave.dataSize > 0, "empty data accepted");
            Check(wave.format.wFormatTag == quorbel::kWaveFormatPcm, "a format other than PCM");
            Check(wave.formatBytes.size() >= quorbel::kWaveFormatRecordSize &&
                      wave.formatBytes.size() == wave.fmt.size,
                  "the fmt chunk not read whole");
            Check(static_cast<std::uint64_t>(wave.data.dataOffset) + wave.dataSize <= size,
                  "data past the end of the input");
            if (!readData) {
                Check(wave.dataBytes == nullptr, "data read when not asked for");
                Check(!quorbel::ReadWaveData(wave), "the data cannot be read after the parse");
            }
            Check(wave.Data().size() == wave.dataSize, "data buffer size");
            Check(std::equal(wave.Data().begin(), wave.Data().end(), bytes + wave.data.dataOffset),
                  "data differ from the file");
        }
    }
    return 0;
}
