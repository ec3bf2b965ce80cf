#include "audio/sample_values.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "audio/sample_value_codec.h"
#include "wavefile/byte_order.h"

namespace quorbel {

SampleType SampleTypeFor(int bits, bool isFloat) {
    if (isFloat) return SampleType::F32;
    if (bits >= 32) return SampleType::S32;
    if (bits >= 24) return SampleType::S24;
    if (bits >= 16) return SampleType::S16;
    return SampleType::U8;
}

int SampleBits(SampleType type) {
    switch (type) {
        case SampleType::U8:
            return 8;
        case SampleType::S16:
            return 16;
        case SampleType::S24:
            return 24;
        default:
            return 32;
    }
}

bool IsEditableLayout(SampleType, int channels) {
    return channels == 1 || channels == 2;
}

std::string SampleFormatName(SampleType type, int channels) {
    const std::string layout = channels == 1   ? "mono"
                               : channels == 2 ? "stereo"
                                               : std::to_string(channels) + "-channel";
    const std::string kind = type == SampleType::F32 ? "-bit float " : "-bit ";
    return std::to_string(SampleBits(type)) + kind + layout;
}

double ReadSampleValue(SampleType type, const std::uint8_t* p) {
    return WithSampleType(type, [p](auto codec) { return codec.Get(p); });
}

void WriteSampleValue(SampleType type, std::uint8_t* p, double v) {
    WithSampleType(type, [p, v](auto codec) { codec.Put(p, v); });
}

double FullScaleValue(SampleType type) {
    if (type == SampleType::F32) return 1.0;
    return std::ldexp(1.0, SampleBits(type) - 1) - 1;
}

std::uint64_t CountNonFiniteSamples(std::span<const std::uint8_t> bytes, SampleType type) {
    if (type != SampleType::F32) return 0;
    std::uint64_t count = 0;
    const std::size_t samples = bytes.size() / 4;
    const std::uint8_t* p = bytes.data();
    for (std::size_t i = 0; i < samples; ++i) {
        // All exponent bits set: an infinity or a NaN. Counted without a branch, and on a
        // little-endian machine with one load, so that the loop runs at memory speed over a
        // sound being opened.
        std::uint32_t word = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&word, p + 4 * i, 4);
        } else {
            word = LoadLe32(p + 4 * i);
        }
        count += (word & 0x7F800000u) == 0x7F800000u;
    }
    return count;
}

std::size_t ConvertSampleRun(std::span<const std::uint8_t> in, SampleType from,
                             std::span<std::uint8_t> out, SampleType to) {
    const auto inWidth = static_cast<std::size_t>(SampleBits(from) / 8);
    const auto outWidth = static_cast<std::size_t>(SampleBits(to) / 8);
    const std::size_t count = std::min(in.size() / inWidth, out.size() / outWidth);
    if (from == to) {
        std::memcpy(out.data(), in.data(), count * inWidth);
        return count;
    }
    const int fromBits = SampleBits(from), toBits = SampleBits(to);
    for (std::size_t i = 0; i < count; ++i) {
        const double v = ReadSampleValue(from, in.data() + i * inWidth);
        std::uint8_t* o = out.data() + i * outWidth;
        if (from == SampleType::F32) {
            WriteSampleValue(to, o, v * std::ldexp(1.0, toBits - 1));
        } else if (to == SampleType::F32) {
            WriteSampleValue(to, o, v / std::ldexp(1.0, fromBits - 1));
        } else {
            // A power of two: the scaled value is exact, and its halves round away from zero.
            WriteSampleValue(to, o, v * std::ldexp(1.0, toBits - fromBits));
        }
    }
    return count;
}

void SilenceNonFinite(std::span<std::uint8_t> bytes) {
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        if ((LoadLe32(bytes.data() + i) & 0x7F800000u) == 0x7F800000u)
            StoreLe32(bytes.data() + i, 0);
    }
}

}  // namespace quorbel
