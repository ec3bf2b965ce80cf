#include "audio/portaudio/sample_conversion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "wavefile/byte_order.h"

namespace quorbel {

namespace {

// The stream's raw sample memory holds the sound's bytes, read as the wave-file layer does.
std::int32_t readLittle(const std::byte* p, std::size_t bytes) {
    const std::uint32_t v = LoadLe(reinterpret_cast<const std::uint8_t*>(p), bytes);
    // Sign-extend from the top byte read.
    const unsigned shift = static_cast<unsigned>(32 - 8 * bytes);
    return static_cast<std::int32_t>(v << shift) >> shift;
}

void writeLittle(std::int32_t v, std::byte* p, std::size_t bytes) {
    StoreLe(reinterpret_cast<std::uint8_t*>(p), static_cast<std::uint32_t>(v), bytes);
}

// Samples go through double in [-1, 1): exact for every integer type here, so a conversion
// to a wider type and back gives the original samples.
double toUnit(const std::byte* p, SampleType type) {
    switch (type) {
        case SampleType::U8:
            return (std::to_integer<int>(*p) - 128) / 128.0;
        case SampleType::S16:
            return readLittle(p, 2) / 32768.0;
        case SampleType::S24:
            return readLittle(p, 3) / 8388608.0;
        case SampleType::S32:
            return readLittle(p, 4) / 2147483648.0;
        case SampleType::F32: {
            float f;
            std::memcpy(&f, p, sizeof f);
            return f;
        }
    }
    return 0.0;
}

std::int32_t scaleClamped(double v, double fullScale) {
    const double scaled = std::floor(v * fullScale + 0.5);
    return static_cast<std::int32_t>(std::clamp(scaled, -fullScale, fullScale - 1));
}

void fromUnit(double v, std::byte* p, SampleType type) {
    switch (type) {
        case SampleType::U8:
            *p = static_cast<std::byte>(scaleClamped(v, 128.0) + 128);
            return;
        case SampleType::S16:
            writeLittle(scaleClamped(v, 32768.0), p, 2);
            return;
        case SampleType::S24:
            writeLittle(scaleClamped(v, 8388608.0), p, 3);
            return;
        case SampleType::S32:
            writeLittle(scaleClamped(v, 2147483648.0), p, 4);
            return;
        case SampleType::F32: {
            const float f = static_cast<float>(v);
            std::memcpy(p, &f, sizeof f);
            return;
        }
    }
}

}  // namespace

std::size_t bytesPerSample(SampleType type) {
    StreamFormat f;
    f.type = type;
    return f.bytesPerSample();
}

std::size_t convertSamples(std::span<const std::byte> in, SampleType from, std::span<std::byte> out,
                           SampleType to) {
    const std::size_t inSize = bytesPerSample(from);
    const std::size_t outSize = bytesPerSample(to);
    const std::size_t count = std::min(in.size() / inSize, out.size() / outSize);
    for (std::size_t i = 0; i < count; ++i) {
        fromUnit(toUnit(in.data() + i * inSize, from), out.data() + i * outSize, to);
    }
    return count;
}

}  // namespace quorbel
