// Reverse, filters and octave shifts as plain loops over sample bytes, in 32-bit integer
// arithmetic with halving truncated toward zero and 8-bit samples centred on 128.

#include "effects/effect_samples.h"

#include <algorithm>
#include <cstddef>

#include "edit/sample_codec.h"

namespace quorbel {
namespace {

SampleCodec CodecFor(int bits) {
    return SampleCodec::ForBits(bits);
}

std::size_t FrameBytes(int bits, int channels) {
    return CodecFor(bits).width * static_cast<std::size_t>(std::max(channels, 1));
}

template <class Formula>
std::vector<std::uint8_t> TwoTap(std::span<const std::uint8_t> data, int bits, int channels,
                                 Formula formula) {
    const SampleCodec codec = CodecFor(bits);
    const std::size_t stride = FrameBytes(bits, channels);
    const std::size_t frames = data.size() / stride;
    // The output starts as a copy, so bytes after the last whole frame keep their values.
    std::vector<std::uint8_t> out(data.begin(), data.end());
    for (std::size_t f = 0; f < frames; ++f) {
        const std::size_t next = f + 1 < frames ? f + 1 : f;
        for (std::size_t s = 0; s < stride; s += codec.width) {
            const int x = codec.get(&data[f * stride + s]);
            const int partner = codec.get(&data[next * stride + s]);
            codec.put(&out[f * stride + s], formula(x, partner));
        }
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> ReverseFrames(std::span<const std::uint8_t> data, int frameBytes) {
    const std::size_t frame = static_cast<std::size_t>(std::max(frameBytes, 1));
    const std::size_t frames = data.size() / frame;
    std::vector<std::uint8_t> out(data.begin(), data.end());
    for (std::size_t k = 0; k < frames; ++k) {
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>((frames - 1 - k) * frame), frame,
                    out.begin() + static_cast<std::ptrdiff_t>(k * frame));
    }
    return out;
}

std::vector<std::uint8_t> LowPass(std::span<const std::uint8_t> data, int bits, int channels) {
    return TwoTap(data, bits, channels, [](int x, int next) { return (x + next) / 2; });
}

std::vector<std::uint8_t> HighPass(std::span<const std::uint8_t> data, int bits, int channels) {
    return TwoTap(data, bits, channels, [](int x, int next) { return (next - x) / 2; });
}

std::uint64_t OctaveUpBytes(std::uint64_t dataBytes, int bits, int channels) {
    const std::uint64_t frame = FrameBytes(bits, channels);
    return (dataBytes / frame + 1) / 2 * frame;
}

std::uint64_t OctaveDownBytes(std::uint64_t dataBytes, int bits, int channels) {
    const std::uint64_t frame = FrameBytes(bits, channels);
    const std::uint64_t frames = dataBytes / frame;
    return (frames / 2 * 3 + frames % 2) * frame;
}

std::vector<std::uint8_t> OctaveUp(std::span<const std::uint8_t> data, int bits, int channels) {
    const std::size_t frame = FrameBytes(bits, channels);
    const std::size_t frames = data.size() / frame;
    std::vector<std::uint8_t> out(OctaveUpBytes(data.size(), bits, channels));
    for (std::size_t k = 0; 2 * k < frames; ++k) {
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(2 * k * frame), frame,
                    out.begin() + static_cast<std::ptrdiff_t>(k * frame));
    }
    return out;
}

std::vector<std::uint8_t> OctaveDown(std::span<const std::uint8_t> data, int bits, int channels) {
    const SampleCodec codec = CodecFor(bits);
    const std::size_t frame = FrameBytes(bits, channels);
    const std::size_t frames = data.size() / frame;
    const std::size_t pairs = frames / 2;
    std::vector<std::uint8_t> out(OctaveDownBytes(data.size(), bits, channels));
    for (std::size_t k = 0; k < pairs; ++k) {
        const std::uint8_t* a = &data[2 * k * frame];
        const std::uint8_t* b = a + frame;
        std::uint8_t* o = &out[3 * k * frame];
        std::copy_n(a, frame, o);
        for (std::size_t s = 0; s < frame; s += codec.width) {
            codec.put(o + frame + s, (codec.get(a + s) + codec.get(b + s)) / 2);
        }
        std::copy_n(b, frame, o + 2 * frame);
    }
    if (frames % 2 == 1) {
        std::copy_n(&data[(frames - 1) * frame], frame, &out[pairs * 3 * frame]);
    }
    return out;
}

}  // namespace quorbel
