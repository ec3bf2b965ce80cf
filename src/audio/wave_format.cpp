#include "audio/wave_format.h"

#include "wavefile/wave_format.h"

namespace quorbel {
namespace {

WaveFailure FormatFault(WaveFault code, const FormatChunk& chunk, std::uint16_t tag) {
    WaveFailure failure;
    failure.code = code;
    failure.chunk = kFmtId;
    failure.bytes = chunk.size;
    failure.format = {tag, chunk.format.nChannels, chunk.format.nBlockAlign, chunk.bitsField};
    return failure;
}

}  // namespace

WaveError parseWaveFormat(std::span<const std::uint8_t> fmt, StreamFormat& out) {
    const std::optional<FormatChunk> decoded = DecodeFormatChunk(fmt);
    if (fmt.size() < kPcmFormatSize) {
        WaveFailure failure{WaveFault::FmtTooShort};
        failure.chunk = kFmtId;
        failure.bytes = fmt.size();
        return failure;
    }
    const FormatChunk& chunk = *decoded;
    std::uint16_t tag = chunk.format.wFormatTag;
    auto fault = [&](WaveFault code) { return FormatFault(code, chunk, tag); };

    if (tag == kWaveFormatExtensible) {
        if (chunk.size < kExtensibleFormatSize || chunk.cbSize < kExtensionSize) {
            return fault(WaveFault::ExtensionIncomplete);
        }
        if (!chunk.standardSubFormat) return fault(WaveFault::UnknownSubFormat);
        tag = chunk.subFormatTag;
    }
    if (tag != kWaveFormatPcm && tag != kWaveFormatFloat) {
        return fault(WaveFault::CompressedFormat);
    }
    const unsigned channels = chunk.format.nChannels;
    const unsigned blockAlign = chunk.format.nBlockAlign;
    if (channels == 0) return fault(WaveFault::NoChannels);
    if (channels > 2) return fault(WaveFault::TooManyChannels);
    if (chunk.format.nSamplesPerSec == 0) return fault(WaveFault::ZeroSampleRate);

    const unsigned container = blockAlign / channels;
    if (blockAlign % channels != 0 || container == 0 || container > 8) {
        return fault(WaveFault::BlockAlignMismatch);
    }
    // The bits field may be a valid-bit count smaller than the container (20 bits in 3 bytes);
    // 0 means "see the block align".
    const unsigned bits = chunk.bitsField;
    const unsigned bitsContainer = bits == 0 ? container : (bits + 7u) / 8u;
    if (bitsContainer != container) return fault(WaveFault::BitsMismatch);

    StreamFormat f;
    f.sampleRate = chunk.format.nSamplesPerSec;
    f.channels = static_cast<std::uint16_t>(channels);
    if (tag == kWaveFormatFloat) {
        if (container != 4) return fault(WaveFault::FloatDepthUnsupported);
        f.type = SampleType::F32;
    } else {
        switch (container) {
            case 1:
                f.type = SampleType::U8;
                break;
            case 2:
                f.type = SampleType::S16;
                break;
            case 3:
                f.type = SampleType::S24;
                break;
            case 4:
                f.type = SampleType::S32;
                break;
            default:
                return fault(WaveFault::PcmDepthUnsupported);
        }
    }
    out = f;
    return std::nullopt;
}

std::vector<std::uint8_t> makePcmFormatRecord(const StreamFormat& format) {
    std::vector<std::uint8_t> record(kPcmFormatSize);
    const auto align = static_cast<std::uint16_t>(format.bytesPerFrame());
    WaveFormat fields;
    fields.wFormatTag = format.type == SampleType::F32 ? kWaveFormatFloat : kWaveFormatPcm;
    fields.nChannels = format.channels;
    fields.nSamplesPerSec = format.sampleRate;
    fields.nAvgBytesPerSec = format.sampleRate * align;
    fields.nBlockAlign = align;
    EncodePcmFormat(fields, static_cast<std::uint16_t>(format.bytesPerSample() * 8),
                    std::span<std::uint8_t, kPcmFormatSize>(record.data(), kPcmFormatSize));
    return record;
}

}  // namespace quorbel
