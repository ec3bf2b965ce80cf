#include "audio/sample_values.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "wavefile/byte_order.h"

namespace quorbel {
namespace {

float LoadFloat(const std::uint8_t* p) {
    return std::bit_cast<float>(LoadLe32(p));
}

// The signed value of a `width`-byte little-endian integer.
std::int32_t LoadSigned(const std::uint8_t* p, std::size_t width) {
    const unsigned shift = static_cast<unsigned>(32 - 8 * width);
    return static_cast<std::int32_t>(LoadLe(p, width) << shift) >> shift;
}

// `v` rounded half away from zero and clamped to [lo, hi]; NaN gives 0.
double RoundClamped(double v, double lo, double hi) {
    if (std::isnan(v)) return 0.0;
    const double r = std::round(v);  // std::round rounds halves away from zero
    return r < lo ? lo : (r > hi ? hi : r);
}

}  // namespace

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
    switch (type) {
        case SampleType::U8:
            return *p - 128;
        case SampleType::S16:
            return LoadSigned(p, 2);
        case SampleType::S24:
            return LoadSigned(p, 3);
        case SampleType::S32:
            return LoadSigned(p, 4);
        case SampleType::F32:
            return LoadFloat(p);
    }
    return 0.0;
}

void WriteSampleValue(SampleType type, std::uint8_t* p, double v) {
    if (type == SampleType::F32) {
        // Beyond float's range the value overflows to an infinity, as float arithmetic would
        // (a plain conversion would be undefined there).
        if (std::fabs(v) > std::numeric_limits<float>::max()) v = std::copysign(HUGE_VAL, v);
        StoreLe32(p, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
        return;
    }
    const int bits = SampleBits(type);
    const double half = std::ldexp(1.0, bits - 1);
    const auto value = static_cast<std::int64_t>(RoundClamped(v, -half, half - 1));
    if (type == SampleType::U8) {
        *p = static_cast<std::uint8_t>(value + 128);
        return;
    }
    StoreLe(p, static_cast<std::uint32_t>(value), static_cast<std::size_t>(bits / 8));
}

double FullScaleValue(SampleType type) {
    if (type == SampleType::F32) return 1.0;
    return std::ldexp(1.0, SampleBits(type) - 1) - 1;
}

std::uint64_t CountNonFiniteSamples(std::span<const std::uint8_t> bytes, SampleType type) {
    if (type != SampleType::F32) return 0;
    std::uint64_t count = 0;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        // All exponent bits set: an infinity or a NaN.
        if ((LoadLe32(bytes.data() + i) & 0x7F800000u) == 0x7F800000u) ++count;
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
