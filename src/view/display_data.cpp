#include "view/display_data.h"

#include "wavefile/wave_ops.h"

namespace quorbel {

namespace {

WaveFailure Unreadable(const std::string& path, const WaveFailure& why) {
    WaveFailure failure = why;
    failure.code = WaveFault::CaptureUnreadable;
    failure.path = path;
    failure.cause = why.code;
    return failure;
}

}  // namespace

Expected<DisplayData> ReadDisplayData(const std::string& path) {
    ParseOptions options;
    options.lenient = true;
    Expected<ParsedWave> opened = OpenWave(path, options);
    if (!opened) {
        if (opened.error().code == WaveFault::NotPcm) return opened.error();
        return Unreadable(path, opened.error());
    }
    ParsedWave& wave = *opened;
    if (wave.format.nChannels == 0) return WaveFailure{WaveFault::NotPcm, path};
    DisplayData data;
    data.format = wave.format;
    // A recording stopped at once is an empty sound, not a broken file.
    if (wave.dataSize > 0) {
        if (WaveError error = ReadWaveData(wave)) return Unreadable(path, *error);
        data.bytes = std::move(wave.dataBytes);
        data.size = wave.dataSize;
    } else {
        data.bytes = std::make_unique<std::uint8_t[]>(0);
    }
    return data;
}

std::uint32_t SampleCountOf(std::uint32_t dataBytes, int bitsPerSample) {
    return bitsPerSample >= 16 ? dataBytes >> 1 : dataBytes;
}

std::uint32_t SliderPageOf(std::uint32_t dataBytes) {
    return dataBytes / 10;
}

}  // namespace quorbel
