#include "view/display_data.h"

#include "audio/sound_file_reader.h"

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
    LoadedSound sound;
    if (WaveError error = readSoundFile(path, sound, SoundReading::AnyLayout)) {
        return Unreadable(path, *error);
    }
    const auto chunk = DecodeFormatChunk(sound.fmt);
    if (!chunk || !IsSampleFormatTag(chunk->format.wFormatTag) || chunk->format.nChannels == 0) {
        return WaveFailure{WaveFault::NotPcm, path};
    }
    DisplayData data;
    data.format = chunk->format;
    const SharedBytes bytes = sound.data.Contiguous();  // one block as read: no copy
    data.bytes = bytes.data ? bytes.data : std::make_shared<std::uint8_t[]>(0);
    data.size = static_cast<std::uint32_t>(bytes.size);
    return data;
}

std::uint64_t SampleCountOf(std::uint64_t dataBytes, int bitsPerSample) {
    // One unit per stored sample of 16 bits and more (bits / 8 bytes each); narrower sound
    // counts bytes.
    return bitsPerSample >= 16 ? dataBytes / static_cast<std::uint64_t>(bitsPerSample / 8)
                               : dataBytes;
}

std::uint64_t SliderPageOf(std::uint64_t dataBytes) {
    return dataBytes / 10;
}

}  // namespace quorbel
