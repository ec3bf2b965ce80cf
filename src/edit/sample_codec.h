#pragma once

// One sample of 8 or 16 bits as a signed value around zero: 8-bit samples are unsigned bytes
// centred on 128, 16-bit samples signed little-endian words. Shared by the edit conversions
// and the effects so that both read and write samples the same way.

#include <cstddef>
#include <cstdint>

namespace quorbel {

struct SampleCodec {
    std::size_t width;  // bytes per sample: 1 or 2

    static SampleCodec ForBits(int bits) { return SampleCodec{bits >= 16 ? 2u : 1u}; }

    int get(const std::uint8_t* p) const {
        if (width == 1) return *p - 128;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
    }
    void put(std::uint8_t* p, int v) const {
        if (width == 1) {
            *p = static_cast<std::uint8_t>(v + 128);
            return;
        }
        const auto u = static_cast<std::uint16_t>(v);
        p[0] = static_cast<std::uint8_t>(u & 0xFF);
        p[1] = static_cast<std::uint8_t>(u >> 8);
    }
};

// A sample of W bytes, with W known when compiled so the codec's width tests fold away in
// the inner loops of the kernels.
template <std::size_t W>
int GetSample(const std::uint8_t* p) {
    return SampleCodec{W}.get(p);
}
template <std::size_t W>
void PutSample(std::uint8_t* p, int v) {
    SampleCodec{W}.put(p, v);
}

}  // namespace quorbel
