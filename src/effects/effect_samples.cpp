// Reverse, filters and octave shifts as plain loops over sample bytes: 8 and 16 bits in 32-bit
// integer arithmetic with halving truncated toward zero and 8-bit samples centred on 128, the
// wider layouts in double. Each effect
// makes any part of its result, so an edit makes it a few MiB at a time and sees a cancel
// between parts; the sample width is fixed at compile time so the loops stay tight.

#include "effects/effect_samples.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "audio/sample_value_codec.h"
#include "audio/sample_values.h"
#include "edit/sample_codec.h"
#include "effects/groups_of_24_bit.h"

namespace quorbel {
namespace {

std::size_t FrameBytes(int bits, int channels) {
    return SampleCodec::ForBits(bits).width * static_cast<std::size_t>(std::max(channels, 1));
}

// The output bytes [from, end) of a part, with the whole frames among them.
struct PartRange {
    std::size_t from, end;
};

// The two-tap filters over the frames of [from, end), then the bytes after the last whole
// frame, which keep their values.
template <std::size_t W, class Formula>
void TwoTapPart(std::span<const std::uint8_t> data, std::size_t stride, PartRange r,
                std::span<std::uint8_t> out, Formula formula) {
    const std::size_t frames = data.size() / stride, whole = frames * stride;
    const std::uint8_t* in = data.data();
    std::uint8_t* o = out.data();
    const std::size_t framesEnd = std::min(r.end, whole);
    if (r.from < framesEnd) {
        // The last frame is its own partner: the frames before it run plainly.
        const std::size_t plainEnd = std::min(framesEnd, whole - stride);
        for (std::size_t i = r.from; i < plainEnd; i += W) {
            PutSample<W>(o + (i - r.from),
                         formula(GetSample<W>(in + i), GetSample<W>(in + i + stride)));
        }
        if (framesEnd == whole) {
            const std::size_t last = whole - stride;
            for (std::size_t s = 0; s < stride; s += W) {
                const int x = GetSample<W>(in + last + s);
                PutSample<W>(o + (last + s - r.from), formula(x, x));
            }
        }
    }
    if (r.end > whole) {
        const std::size_t at = std::max(r.from, whole);
        std::memcpy(o + (at - r.from), in + at, r.end - at);
    }
}

template <class Formula>
void TwoTap(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
            std::span<std::uint8_t> out, Formula formula) {
    const std::size_t stride = FrameBytes(bits, channels);
    const PartRange r{static_cast<std::size_t>(from), static_cast<std::size_t>(from) + out.size()};
    if (SampleCodec::ForBits(bits).width == 2) {
        TwoTapPart<2>(data, stride, r, out, formula);
    } else {
        TwoTapPart<1>(data, stride, r, out, formula);
    }
}

// Pairs [from, to) of octave down, written from `out` on (the first of pair `from`), with
// frames of F bytes (0: `frame`, known only at run time).
template <std::size_t W, std::size_t F = 0>
void OctaveDownPairs(const std::uint8_t* in, std::uint8_t* out, std::size_t frame, std::size_t from,
                     std::size_t to) {
    const std::size_t size = F != 0 ? F : frame;
    for (std::size_t k = from; k < to; ++k) {
        const std::uint8_t* a = in + 2 * k * size;
        const std::uint8_t* b = a + size;
        std::uint8_t* o = out + 3 * (k - from) * size;
        std::memcpy(o, a, size);
        for (std::size_t s = 0; s < size; s += W) {
            PutSample<W>(o + size + s, (GetSample<W>(a + s) + GetSample<W>(b + s)) / 2);
        }
        std::memcpy(o + 2 * size, b, size);
    }
}

// The same for 8- and 16-bit mono and stereo, with the frame's size fixed at compile time.
void OctaveDownPairsOf(std::size_t width, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t frame, std::size_t from, std::size_t to) {
    if (width == 2) {
        if (frame == 2) return OctaveDownPairs<2, 2>(in, out, frame, from, to);
        if (frame == 4) return OctaveDownPairs<2, 4>(in, out, frame, from, to);
        return OctaveDownPairs<2>(in, out, frame, from, to);
    }
    if (frame == 1) return OctaveDownPairs<1, 1>(in, out, frame, from, to);
    if (frame == 2) return OctaveDownPairs<1, 2>(in, out, frame, from, to);
    return OctaveDownPairs<1>(in, out, frame, from, to);
}

// Calls `f` with the frame size as a constant of the type std::integral_constant for every
// frame of mono or stereo sound (1, 2, 3, 4, 6 or 8 bytes), and with 0 (known only at run
// time) for any other: a copy of a frame of known size is a move or two, while one of a size
// known only at run time is a call into the library for every frame.
template <class F>
void WithFrameSize(std::size_t frame, F&& f) {
    switch (frame) {
        case 1:
            return f(std::integral_constant<std::size_t, 1>{});
        case 2:
            return f(std::integral_constant<std::size_t, 2>{});
        case 3:
            return f(std::integral_constant<std::size_t, 3>{});
        case 4:
            return f(std::integral_constant<std::size_t, 4>{});
        case 6:
            return f(std::integral_constant<std::size_t, 6>{});
        case 8:
            return f(std::integral_constant<std::size_t, 8>{});
        default:
            return f(std::integral_constant<std::size_t, 0>{});
    }
}

// `count` frames of F bytes (0: `frame`), every other one from `in` on.
template <std::size_t F = 0>
void EveryOtherFrame(const std::uint8_t* in, std::size_t count, std::size_t frame,
                     std::uint8_t* out) {
    const std::size_t size = F != 0 ? F : frame;
    for (std::size_t k = 0; k < count; ++k) std::memcpy(out + k * size, in + 2 * k * size, size);
}

// Frames [start, end) of the reversed sound, of F bytes (0: `frame`, known only at run time).
template <std::size_t F = 0>
void ReversedFrames(const std::uint8_t* in, std::size_t whole, std::size_t frame, std::size_t start,
                    std::size_t end, std::uint8_t* out) {
    const std::size_t size = F != 0 ? F : frame;
    for (std::size_t at = start; at < end; at += size) {
        std::memcpy(out + (at - start), in + (whole - size - at), size);
    }
}

// Output frame `j` of octave down on its own: the start or end of a part inside a pair.
void OctaveDownFrame(const std::uint8_t* in, std::size_t frames, std::size_t frame,
                     SampleCodec codec, std::size_t j, std::uint8_t* o) {
    const std::size_t pair = j / 3, pairs = frames / 2;
    const std::uint8_t* a = in + 2 * pair * frame;
    if (pair >= pairs) {
        std::memcpy(o, in + (frames - 1) * frame, frame);  // the last, unpaired frame
    } else if (j % 3 == 1) {
        for (std::size_t s = 0; s < frame; s += codec.width) {
            codec.put(o + s, (codec.get(a + s) + codec.get(a + frame + s)) / 2);
        }
    } else {
        std::memcpy(o, j % 3 == 0 ? a : a + frame, frame);
    }
}

template <class Into>
std::vector<std::uint8_t> Made(std::uint64_t bytes, Into into) {
    std::vector<std::uint8_t> out(bytes);
    into(std::span<std::uint8_t>(out));
    return out;
}

void NarrowLowPassPart(std::span<const std::uint8_t> data, int bits, int channels,
                       std::uint64_t from, std::span<std::uint8_t> out) {
    TwoTap(data, bits, channels, from, out, [](int x, int next) { return (x + next) / 2; });
}

void NarrowHighPassPart(std::span<const std::uint8_t> data, int bits, int channels,
                        std::uint64_t from, std::span<std::uint8_t> out) {
    TwoTap(data, bits, channels, from, out, [](int x, int next) { return (next - x) / 2; });
}

void EveryOtherFramePart(std::span<const std::uint8_t> data, std::size_t frame, std::uint64_t from,
                         std::span<std::uint8_t> out) {
    const std::size_t first = static_cast<std::size_t>(from) / frame;
    const std::size_t count = out.size() / frame;
    const std::uint8_t* in = data.data() + 2 * first * frame;
    WithFrameSize(frame, [&](auto size) {
        EveryOtherFrame<decltype(size)::value>(in, count, frame, out.data());
    });
}

void NarrowOctaveDownPart(std::span<const std::uint8_t> data, int bits, int channels,
                          std::uint64_t from, std::span<std::uint8_t> out) {
    const SampleCodec codec = SampleCodec::ForBits(bits);
    const std::size_t frame = FrameBytes(bits, channels);
    const std::size_t frames = data.size() / frame, pairs = frames / 2;
    const std::size_t first = static_cast<std::size_t>(from) / frame;
    const std::size_t end = first + out.size() / frame;
    std::size_t j = first;
    auto at = [&](std::size_t k) { return out.data() + (k - first) * frame; };
    // Up to the start of a pair one frame at a time, then whole pairs, then the rest.
    for (; j < end && j % 3 != 0; ++j) OctaveDownFrame(data.data(), frames, frame, codec, j, at(j));
    const std::size_t pairEnd = std::min(end / 3, pairs);
    if (j / 3 < pairEnd) {
        OctaveDownPairsOf(codec.width, data.data(), at(j), frame, j / 3, pairEnd);
        j = pairEnd * 3;
    }
    for (; j < end; ++j) OctaveDownFrame(data.data(), frames, frame, codec, j, at(j));
}

// (x + next) / 2, or with kDifference (next - x) / 2, of the samples at `x` and `next` stored
// at `o`. Float in double, unclamped; integer layouts in whole numbers, which give exactly what
// the double would (the sum or difference of two 32-bit samples and its half are exact there)
// at a fraction of the cost: no conversions and no rounding of fractions. With kReadFour the
// caller knows four bytes from each sample are within the data (see GetWholeReadingFour).
template <class Codec, bool kDifference, bool kReadFour = false>
void HalfOfPair(const std::uint8_t* x, const std::uint8_t* next, std::uint8_t* o) {
    if constexpr (Codec::kIsFloat) {
        const double a = Codec::Get(x), b = Codec::Get(next);
        Codec::Put(o, kDifference ? (b - a) / 2 : (a + b) / 2);
    } else {
        const auto get = [](const std::uint8_t* p) {
            return kReadFour ? Codec::GetWholeReadingFour(p) : Codec::GetWhole(p);
        };
        const std::int64_t a = get(x), b = get(next);
        Codec::PutWhole(o, HalfAwayFromZero(kDifference ? b - a : a + b));
    }
}

// The filters and octave down in the wide layouts: the result stored with the layout's
// rounding and clamping (none for float). Each loop is compiled for each layout
// (sample_value_codec.h).
template <class Codec, bool kDifference>
void WideTwoTap(std::span<const std::uint8_t> data, int channels, std::uint64_t from,
                std::span<std::uint8_t> out) {
    constexpr std::size_t width = Codec::kWidth;
    const std::size_t stride = width * static_cast<std::size_t>(std::max(channels, 1));
    const std::size_t whole = data.size() / stride * stride;
    const std::size_t start = static_cast<std::size_t>(from), end = start + out.size();
    const std::uint8_t* in = data.data();
    const std::size_t last = std::min(end, whole);
    // Every sample but those of the last frame has its partner a frame on.
    const std::size_t paired = std::min(last, whole >= stride ? whole - stride : 0);
    // While four bytes from a sample's partner are within the data, a 24-bit sample is read
    // with one load of four bytes instead of three of one.
    const std::size_t roomy =
        data.size() >= stride + 4 ? std::min(paired, data.size() - stride - 3) : 0;
    std::size_t i = start;
    if constexpr (width == 3 && !Codec::kIsFloat)
        i = TwoTap24Groups(in, data.size(), stride, i, paired, start, end, out.data(), kDifference);
    for (; i < roomy; i += width) {
        HalfOfPair<Codec, kDifference, true>(in + i, in + i + stride, out.data() + (i - start));
    }
    for (; i < paired; i += width) {
        HalfOfPair<Codec, kDifference>(in + i, in + i + stride, out.data() + (i - start));
    }
    // The last frame is its own partner.
    for (; i < last; i += width) {
        HalfOfPair<Codec, kDifference>(in + i, in + i, out.data() + (i - start));
    }
    if (end > whole) {
        const std::size_t at = std::max(start, whole);
        std::memcpy(out.data() + (at - start), in + at, end - at);
    }
}

// Output frames [first, end) of octave down, of F bytes (0: `frameBytes`), into `out`.
template <class Codec, std::size_t F>
void WideOctaveDownFrames(const std::uint8_t* in, std::size_t frames, std::size_t frameBytes,
                          std::size_t first, std::size_t end, std::uint8_t* out) {
    const std::size_t frame = F != 0 ? F : frameBytes;
    const std::size_t pairs = frames / 2;
    const auto at = [&](std::size_t j) { return out + (j - first) * frame; };
    // Frame j of a pair's three: its first frame, their average, its second frame.
    const auto middle = [&](const std::uint8_t* a, std::uint8_t* o) {
        for (std::size_t s = 0; s < frame; s += Codec::kWidth) {
            HalfOfPair<Codec, false>(a + s, a + frame + s, o + s);
        }
    };
    const auto one = [&](std::size_t j) {
        const std::uint8_t* a = in + 2 * (j / 3) * frame;
        if (j / 3 >= pairs) {
            std::memcpy(at(j), in + (frames - 1) * frame, frame);  // the last, unpaired frame
        } else if (j % 3 == 1) {
            middle(a, at(j));
        } else {
            std::memcpy(at(j), j % 3 == 0 ? a : a + frame, frame);
        }
    };
    // Up to the start of a pair one frame at a time, then whole pairs, then the rest.
    std::size_t j = first;
    for (; j < end && j % 3 != 0; ++j) one(j);
    const std::size_t pairEnd = std::min(end / 3, pairs);
    if constexpr (Codec::kWidth == 3 && !Codec::kIsFloat) {
        if (j / 3 < pairEnd) {
            const int channels = static_cast<int>(frame / 3);
            j = 3 * OctaveDown24Groups(in, frames * frame, channels, j / 3, pairEnd, at(j));
        }
    }
    for (; j / 3 < pairEnd; j += 3) {
        const std::uint8_t* a = in + 2 * (j / 3) * frame;
        std::uint8_t* o = at(j);
        std::memcpy(o, a, frame);
        middle(a, o + frame);
        std::memcpy(o + 2 * frame, a + frame, frame);
    }
    for (; j < end; ++j) one(j);
}

template <class Codec>
void WideOctaveDown(std::span<const std::uint8_t> data, Codec, int channels, std::uint64_t from,
                    std::span<std::uint8_t> out) {
    const std::size_t frame = Codec::kWidth * static_cast<std::size_t>(std::max(channels, 1));
    const std::size_t first = static_cast<std::size_t>(from) / frame;
    const std::size_t end = first + out.size() / frame;
    WithFrameSize(frame, [&](auto size) {
        WideOctaveDownFrames<Codec, decltype(size)::value>(data.data(), data.size() / frame, frame,
                                                           first, end, out.data());
    });
}

bool IsNarrow(SampleType type) {
    return type == SampleType::U8 || type == SampleType::S16;
}

}  // namespace

void ReverseFramesPart(std::span<const std::uint8_t> data, int frameBytes, std::uint64_t from,
                       std::span<std::uint8_t> out) {
    const std::size_t frame = static_cast<std::size_t>(std::max(frameBytes, 1));
    const std::size_t whole = data.size() / frame * frame;
    const std::size_t start = static_cast<std::size_t>(from), end = start + out.size();
    const std::size_t framesEnd = std::min(end, whole);
    if (start < framesEnd) {
        const std::uint8_t* in = data.data();
        WithFrameSize(frame, [&](auto size) {
            ReversedFrames<decltype(size)::value>(in, whole, frame, start, framesEnd, out.data());
        });
    }
    // A trailing partial frame stays at the end.
    if (end > whole) {
        const std::size_t at = std::max(start, whole);
        std::memcpy(&out[at - start], &data[at], end - at);
    }
}

void LowPassPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                 std::uint64_t from, std::span<std::uint8_t> out) {
    if (IsNarrow(type)) return NarrowLowPassPart(data, SampleBits(type), channels, from, out);
    WithSampleType(
        type, [&](auto codec) { WideTwoTap<decltype(codec), false>(data, channels, from, out); });
}

void HighPassPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                  std::uint64_t from, std::span<std::uint8_t> out) {
    if (IsNarrow(type)) return NarrowHighPassPart(data, SampleBits(type), channels, from, out);
    WithSampleType(
        type, [&](auto codec) { WideTwoTap<decltype(codec), true>(data, channels, from, out); });
}

void OctaveUpPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                  std::uint64_t from, std::span<std::uint8_t> out) {
    EveryOtherFramePart(data, FrameBytesOf(type, channels), from, out);
}

void OctaveDownPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                    std::uint64_t from, std::span<std::uint8_t> out) {
    if (IsNarrow(type)) return NarrowOctaveDownPart(data, SampleBits(type), channels, from, out);
    WithSampleType(type, [&](auto codec) { WideOctaveDown(data, codec, channels, from, out); });
}

std::size_t FrameBytesOf(SampleType type, int channels) {
    return static_cast<std::size_t>(SampleBits(type) / 8) *
           static_cast<std::size_t>(std::max(channels, 1));
}

std::uint64_t OctaveUpBytes(std::uint64_t dataBytes, SampleType type, int channels) {
    const std::uint64_t frame = FrameBytesOf(type, channels);
    return (dataBytes / frame + 1) / 2 * frame;
}

std::uint64_t OctaveDownBytes(std::uint64_t dataBytes, SampleType type, int channels) {
    const std::uint64_t frame = FrameBytesOf(type, channels);
    const std::uint64_t frames = dataBytes / frame;
    return (frames / 2 * 3 + frames % 2) * frame;
}

void LowPassPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                 std::span<std::uint8_t> out) {
    LowPassPart(data, SampleTypeFor(bits, false), channels, from, out);
}

void HighPassPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                  std::span<std::uint8_t> out) {
    HighPassPart(data, SampleTypeFor(bits, false), channels, from, out);
}

void OctaveUpPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                  std::span<std::uint8_t> out) {
    OctaveUpPart(data, SampleTypeFor(bits, false), channels, from, out);
}

void OctaveDownPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                    std::span<std::uint8_t> out) {
    OctaveDownPart(data, SampleTypeFor(bits, false), channels, from, out);
}

std::vector<std::uint8_t> ReverseFrames(std::span<const std::uint8_t> data, int frameBytes) {
    return Made(data.size(),
                [&](std::span<std::uint8_t> out) { ReverseFramesPart(data, frameBytes, 0, out); });
}

std::vector<std::uint8_t> LowPass(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(data.size(),
                [&](std::span<std::uint8_t> out) { LowPassPart(data, bits, channels, 0, out); });
}

std::vector<std::uint8_t> HighPass(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(data.size(),
                [&](std::span<std::uint8_t> out) { HighPassPart(data, bits, channels, 0, out); });
}

std::size_t FrameBytesOf(int bits, int channels) {
    return FrameBytesOf(SampleTypeFor(bits, false), channels);
}

std::uint64_t OctaveUpBytes(std::uint64_t dataBytes, int bits, int channels) {
    return OctaveUpBytes(dataBytes, SampleTypeFor(bits, false), channels);
}

std::uint64_t OctaveDownBytes(std::uint64_t dataBytes, int bits, int channels) {
    return OctaveDownBytes(dataBytes, SampleTypeFor(bits, false), channels);
}

std::vector<std::uint8_t> OctaveUp(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(OctaveUpBytes(data.size(), bits, channels),
                [&](std::span<std::uint8_t> out) { OctaveUpPart(data, bits, channels, 0, out); });
}

std::vector<std::uint8_t> OctaveDown(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(OctaveDownBytes(data.size(), bits, channels),
                [&](std::span<std::uint8_t> out) { OctaveDownPart(data, bits, channels, 0, out); });
}

}  // namespace quorbel
