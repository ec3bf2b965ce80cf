#pragma once

// ReadSampleValue and WriteSampleValue for a layout known when compiling: the loops that run
// over a whole sound pick the layout once (WithSampleType) instead of at every sample, and the
// compiler sees through the reads and stores.

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "audio/audio_backend.h"
#include "wavefile/byte_order.h"

namespace quorbel {

// `v` rounded half away from zero and clamped to [lo, hi] (whole numbers within 2^52); NaN
// gives 0. Truncation and the fraction left over, rather than std::round: without SSE4.1 that
// is a call into the maths library for every sample.
inline double RoundClamped(double v, double lo, double hi) {
    if (!(v > lo)) return std::isnan(v) ? 0.0 : lo;
    if (!(v < hi)) return hi;
    const auto whole = static_cast<std::int64_t>(v);  // toward zero
    const double fraction = v - static_cast<double>(whole);
    // Without branches: a half is as likely as not in a filter's output, and a mispredicted
    // branch per sample costs more than the sum.
    return static_cast<double>(whole + static_cast<std::int64_t>(fraction >= 0.5) -
                               static_cast<std::int64_t>(fraction <= -0.5));
}

// `s` / 2 rounded half away from zero, in whole numbers: what RoundClamped makes of the
// double s / 2, which is exact for every sum or difference of two 32-bit samples.
constexpr std::int64_t HalfAwayFromZero(std::int64_t s) {
    return (s + (s > 0) - (s < 0)) / 2;  // division truncates toward zero
}

template <SampleType T>
struct SampleCodecOf {
    static constexpr int kBits = T == SampleType::U8    ? 8
                                 : T == SampleType::S16 ? 16
                                 : T == SampleType::S24 ? 24
                                                        : 32;
    static constexpr std::size_t kWidth = kBits / 8;

    static double Get(const std::uint8_t* p) {
        if constexpr (T == SampleType::U8) {
            return *p - 128;
        } else if constexpr (T == SampleType::F32) {
            return std::bit_cast<float>(LoadLe32(p));
        } else {
            constexpr unsigned shift = 32 - kBits;
            return static_cast<std::int32_t>(LoadLe(p, kWidth) << shift) >> shift;
        }
    }

    static constexpr bool kIsFloat = T == SampleType::F32;

    // An integer layout's sample as a whole number, and a whole number stored clamped to the
    // layout's range: Get and Put without the trip through double, for arithmetic that stays
    // exact in whole numbers.
    static std::int64_t GetWhole(const std::uint8_t* p) requires(!kIsFloat) {
        if constexpr (T == SampleType::U8) {
            return std::int64_t{*p} - 128;
        } else {
            constexpr unsigned shift = 32 - kBits;
            return static_cast<std::int32_t>(LoadLe(p, kWidth) << shift) >> shift;
        }
    }
    // GetWhole for a caller that knows four bytes from `p` are readable: a 24-bit sample is
    // then one load of four bytes, the fourth ignored, instead of three loads of one.
    static std::int64_t GetWholeReadingFour(const std::uint8_t* p) requires(!kIsFloat) {
        if constexpr (kWidth == 3) {
            return static_cast<std::int32_t>(LoadLe32(p) << 8) >> 8;
        } else {
            return GetWhole(p);
        }
    }
    static void PutWhole(std::uint8_t* p, std::int64_t v) requires(!kIsFloat) {
        constexpr std::int64_t half = std::int64_t{1} << (kBits - 1);
        v = v < -half ? -half : (v > half - 1 ? half - 1 : v);
        if constexpr (T == SampleType::U8) {
            *p = static_cast<std::uint8_t>(v + 128);
        } else {
            StoreLe(p, static_cast<std::uint32_t>(v), kWidth);
        }
    }

    static void Put(std::uint8_t* p, double v) {
        if constexpr (T == SampleType::F32) {
            // Beyond float's range the value overflows to an infinity, as float arithmetic
            // would (a plain conversion would be undefined there).
            if (std::fabs(v) > std::numeric_limits<float>::max()) v = std::copysign(HUGE_VAL, v);
            StoreLe32(p, std::bit_cast<std::uint32_t>(static_cast<float>(v)));
        } else {
            constexpr double half = static_cast<double>(std::int64_t{1} << (kBits - 1));
            const auto value = static_cast<std::int64_t>(RoundClamped(v, -half, half - 1));
            if constexpr (T == SampleType::U8) {
                *p = static_cast<std::uint8_t>(value + 128);
            } else {
                StoreLe(p, static_cast<std::uint32_t>(value), kWidth);
            }
        }
    }
};

// Calls `f` with a SampleCodecOf<type> (a value of it, empty): f's body is compiled once per
// layout.
template <class F>
decltype(auto) WithSampleType(SampleType type, F&& f) {
    switch (type) {
        case SampleType::U8:
            return f(SampleCodecOf<SampleType::U8>{});
        case SampleType::S16:
            return f(SampleCodecOf<SampleType::S16>{});
        case SampleType::S24:
            return f(SampleCodecOf<SampleType::S24>{});
        case SampleType::S32:
            return f(SampleCodecOf<SampleType::S32>{});
        case SampleType::F32:
            break;
    }
    return f(SampleCodecOf<SampleType::F32>{});
}

}  // namespace quorbel
