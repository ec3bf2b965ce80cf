// Bit-depth and channel conversions of sample blocks for Paste: 8 and 16 bits in 32-bit
// integer arithmetic, the wider layouts through sample values in double.

#include "edit/clip_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "audio/sample_values.h"
#include "edit/sample_codec.h"
#include "wavefile/byte_order.h"

namespace quorbel {

std::vector<std::uint8_t> WidenTo16Bits(std::span<const std::uint8_t> bytes8) {
    std::vector<std::uint8_t> out(bytes8.size() * 2);
    const SampleCodec wide{2}, narrow{1};
    for (std::size_t i = 0; i < bytes8.size(); ++i) {
        wide.put(&out[2 * i], narrow.get(&bytes8[i]) * 256);
    }
    return out;
}

std::vector<std::uint8_t> NarrowTo8Bits(std::span<const std::uint8_t> bytes16) {
    std::vector<std::uint8_t> out(bytes16.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>((SampleCodec{2}.get(&bytes16[2 * i]) + 32768) / 256);
    }
    return out;
}

std::vector<std::uint8_t> StereoToMono(std::span<const std::uint8_t> stereo, int bits) {
    const SampleCodec codec = SampleCodec::ForBits(bits);
    const std::size_t width = codec.width;
    const std::size_t frames = stereo.size() / (2 * width);
    std::vector<std::uint8_t> out(frames * width);
    auto sample = [&](std::size_t frame, std::size_t channel) {
        return codec.get(&stereo[(2 * frame + channel) * width]);
    };
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t next = i + 1 < frames ? i + 1 : i;
        const int sum = sample(i, 0) + sample(i, 1) + sample(next, 0) + sample(next, 1);
        codec.put(&out[i * width], sum / 4);
    }
    return out;
}

std::vector<std::uint8_t> MonoToStereo(std::span<const std::uint8_t> mono, int bits) {
    return MonoToStereo(mono, SampleTypeFor(bits, false));
}

namespace {

std::size_t WidthOf(SampleType type) {
    return static_cast<std::size_t>(SampleBits(type) / 8);
}

bool IsNarrow(SampleType type) {
    return type == SampleType::U8 || type == SampleType::S16;
}

}  // namespace

bool CanPasteBetween(SampleType from, int fromChannels, SampleType to, int toChannels) {
    if (from == to && fromChannels == toChannels) return true;
    return IsEditableLayout(from, fromChannels) && IsEditableLayout(to, toChannels);
}

std::vector<std::uint8_t> ConvertSamples(std::span<const std::uint8_t> bytes, SampleType from,
                                         SampleType to) {
    // 8 <-> 16 bits keep the conversions Paste always made.
    if (from == SampleType::U8 && to == SampleType::S16) return WidenTo16Bits(bytes);
    if (from == SampleType::S16 && to == SampleType::U8) return NarrowTo8Bits(bytes);
    std::vector<std::uint8_t> out(bytes.size() / WidthOf(from) * WidthOf(to));
    ConvertSampleRun(bytes, from, out, to);
    return out;
}

std::vector<std::uint8_t> StereoToMono(std::span<const std::uint8_t> stereo, SampleType type) {
    if (IsNarrow(type)) return StereoToMono(stereo, SampleBits(type));
    const std::size_t width = WidthOf(type);
    const std::size_t frames = stereo.size() / (2 * width);
    std::vector<std::uint8_t> out(frames * width);
    auto sample = [&](std::size_t frame, std::size_t channel) {
        return ReadSampleValue(type, &stereo[(2 * frame + channel) * width]);
    };
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t next = i + 1 < frames ? i + 1 : i;
        const double sum = sample(i, 0) + sample(i, 1) + sample(next, 0) + sample(next, 1);
        WriteSampleValue(type, &out[i * width], sum / 4);
    }
    return out;
}

std::vector<std::uint8_t> MonoToStereo(std::span<const std::uint8_t> mono, SampleType type) {
    const std::size_t width = WidthOf(type);
    const std::size_t samples = mono.size() / width;
    std::vector<std::uint8_t> out(samples * 2 * width);
    for (std::size_t i = 0; i < samples; ++i) {
        for (std::size_t b = 0; b < width; ++b) {
            out[2 * i * width + b] = mono[i * width + b];
            out[(2 * i + 1) * width + b] = mono[i * width + b];
        }
    }
    return out;
}

std::vector<std::uint8_t> ConvertClip(std::span<const std::uint8_t> bytes, SampleType from,
                                      int fromChannels, SampleType to, int toChannels) {
    const std::size_t frame = WidthOf(from) * static_cast<std::size_t>(std::max(fromChannels, 1));
    const std::span<const std::uint8_t> whole = bytes.first(bytes.size() - bytes.size() % frame);
    std::vector<std::uint8_t> block = ConvertSamples(whole, from, to);
    if (fromChannels == 2 && toChannels == 1) return StereoToMono(block, to);
    if (fromChannels == 1 && toChannels == 2) return MonoToStereo(block, to);
    return block;
}

}  // namespace quorbel
