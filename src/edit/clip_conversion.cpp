// Bit-depth and channel conversions of sample blocks for Paste, in 32-bit integer arithmetic.

#include "edit/clip_conversion.h"

#include <cstddef>

namespace quorbel {
namespace {

bool IsPasteFormat(int bits, int channels) {
    return (bits == 8 || bits == 16) && (channels == 1 || channels == 2);
}

int Sample16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

void Put16(std::uint8_t* p, int v) {
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<std::uint8_t>(u & 0xFF);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}

}  // namespace

bool CanPasteBetween(int fromBits, int fromChannels, int toBits, int toChannels) {
    if (fromBits == toBits && fromChannels == toChannels) return true;
    return IsPasteFormat(fromBits, fromChannels) && IsPasteFormat(toBits, toChannels);
}

std::vector<std::uint8_t> WidenTo16Bits(std::span<const std::uint8_t> bytes8) {
    std::vector<std::uint8_t> out(bytes8.size() * 2);
    for (std::size_t i = 0; i < bytes8.size(); ++i) Put16(&out[2 * i], (bytes8[i] - 128) * 256);
    return out;
}

std::vector<std::uint8_t> NarrowTo8Bits(std::span<const std::uint8_t> bytes16) {
    std::vector<std::uint8_t> out(bytes16.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>((Sample16(&bytes16[2 * i]) + 32768) / 256);
    }
    return out;
}

std::vector<std::uint8_t> StereoToMono(std::span<const std::uint8_t> stereo, int bits) {
    const std::size_t width = bits >= 16 ? 2 : 1;
    const std::size_t frames = stereo.size() / (2 * width);
    std::vector<std::uint8_t> out(frames * width);
    auto sample = [&](std::size_t frame, std::size_t channel) {
        const std::uint8_t* p = &stereo[(2 * frame + channel) * width];
        return width == 2 ? Sample16(p) : *p - 128;
    };
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t next = i + 1 < frames ? i + 1 : i;
        const int sum = sample(i, 0) + sample(i, 1) + sample(next, 0) + sample(next, 1);
        if (width == 2) {
            Put16(&out[2 * i], sum / 4);
        } else {
            out[i] = static_cast<std::uint8_t>(128 + sum / 4);
        }
    }
    return out;
}

std::vector<std::uint8_t> MonoToStereo(std::span<const std::uint8_t> mono, int bits) {
    const std::size_t width = bits >= 16 ? 2 : 1;
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

}  // namespace quorbel
