// Reverse, filters and octave shifts as plain loops over sample bytes, in 32-bit integer
// arithmetic with halving truncated toward zero and 8-bit samples centred on 128. The loops
// run in stretches of a few MiB so a cancel is seen quickly, and with the sample width fixed
// at compile time so the compiler can keep them tight.

#include "effects/effect_samples.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "edit/sample_codec.h"

namespace quorbel {
namespace {

constexpr std::size_t kStretchBytes = std::size_t{4} << 20;

std::size_t FrameBytes(int bits, int channels) {
    return SampleCodec::ForBits(bits).width * static_cast<std::size_t>(std::max(channels, 1));
}

std::size_t FramesPerStretch(std::size_t frameBytes) {
    return std::max<std::size_t>(1, kStretchBytes / frameBytes);
}

template <std::size_t W>
int Get(const std::uint8_t* p) {
    return SampleCodec{W}.get(p);
}
template <std::size_t W>
void Put(std::uint8_t* p, int v) {
    SampleCodec{W}.put(p, v);
}

template <std::size_t W, class Formula>
void TwoTapInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> out, std::size_t stride,
                WorkProgress* progress, Formula formula) {
    const std::size_t frames = data.size() / stride;
    // Bytes after the last whole frame keep their values.
    std::copy(data.begin() + static_cast<std::ptrdiff_t>(frames * stride), data.end(),
              out.begin() + static_cast<std::ptrdiff_t>(frames * stride));
    const std::uint8_t* in = data.data();
    std::uint8_t* o = out.data();
    InChunks(frames, FramesPerStretch(stride), stride, progress,
             [&](std::uint64_t from, std::uint64_t to) {
                 // The last frame is its own partner: the stretch before it runs plainly.
                 const std::size_t plainEnd = std::min<std::size_t>(to, frames - 1);
                 for (std::size_t i = from * stride; i < plainEnd * stride; i += W) {
                     Put<W>(o + i, formula(Get<W>(in + i), Get<W>(in + i + stride)));
                 }
                 if (to == frames) {
                     const std::size_t last = (frames - 1) * stride;
                     for (std::size_t s = 0; s < stride; s += W) {
                         const int x = Get<W>(in + last + s);
                         Put<W>(o + last + s, formula(x, x));
                     }
                 }
             });
}

template <class Formula>
void TwoTap(std::span<const std::uint8_t> data, std::span<std::uint8_t> out, int bits, int channels,
            WorkProgress* progress, Formula formula) {
    const std::size_t stride = FrameBytes(bits, channels);
    if (SampleCodec::ForBits(bits).width == 2) {
        TwoTapInto<2>(data, out, stride, progress, formula);
    } else {
        TwoTapInto<1>(data, out, stride, progress, formula);
    }
}

template <std::size_t W>
void OctaveDownPairs(const std::uint8_t* in, std::uint8_t* out, std::size_t frame, std::size_t from,
                     std::size_t to) {
    for (std::size_t k = from; k < to; ++k) {
        const std::uint8_t* a = in + 2 * k * frame;
        const std::uint8_t* b = a + frame;
        std::uint8_t* o = out + 3 * k * frame;
        std::memcpy(o, a, frame);
        for (std::size_t s = 0; s < frame; s += W) {
            Put<W>(o + frame + s, (Get<W>(a + s) + Get<W>(b + s)) / 2);
        }
        std::memcpy(o + 2 * frame, b, frame);
    }
}

template <class Into>
std::vector<std::uint8_t> Made(std::uint64_t bytes, Into into) {
    std::vector<std::uint8_t> out(bytes);
    into(std::span<std::uint8_t>(out));
    return out;
}

}  // namespace

void ReverseFramesInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> out,
                       int frameBytes, WorkProgress* progress) {
    const std::size_t frame = static_cast<std::size_t>(std::max(frameBytes, 1));
    const std::size_t frames = data.size() / frame;
    // A trailing partial frame stays at the end.
    std::copy(data.begin() + static_cast<std::ptrdiff_t>(frames * frame), data.end(),
              out.begin() + static_cast<std::ptrdiff_t>(frames * frame));
    InChunks(frames, FramesPerStretch(frame), frame, progress,
             [&](std::uint64_t from, std::uint64_t to) {
                 for (std::size_t k = from; k < to; ++k) {
                     std::memcpy(&out[k * frame], &data[(frames - 1 - k) * frame], frame);
                 }
             });
}

void LowPassInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> out, int bits,
                 int channels, WorkProgress* progress) {
    TwoTap(data, out, bits, channels, progress, [](int x, int next) { return (x + next) / 2; });
}

void HighPassInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> out, int bits,
                  int channels, WorkProgress* progress) {
    TwoTap(data, out, bits, channels, progress, [](int x, int next) { return (next - x) / 2; });
}

void OctaveUpInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> out, int bits,
                  int channels, WorkProgress* progress) {
    const std::size_t frame = FrameBytes(bits, channels);
    const std::size_t kept = out.size() / frame;
    InChunks(kept, FramesPerStretch(frame), 2 * frame, progress,
             [&](std::uint64_t from, std::uint64_t to) {
                 for (std::size_t k = from; k < to; ++k) {
                     std::memcpy(&out[k * frame], &data[2 * k * frame], frame);
                 }
             });
}

void OctaveDownInto(std::span<const std::uint8_t> data, std::span<std::uint8_t> out, int bits,
                    int channels, WorkProgress* progress) {
    const std::size_t frame = FrameBytes(bits, channels);
    const std::size_t frames = data.size() / frame;
    const std::size_t pairs = frames / 2;
    InChunks(pairs, FramesPerStretch(2 * frame), 2 * frame, progress,
             [&](std::uint64_t from, std::uint64_t to) {
                 if (SampleCodec::ForBits(bits).width == 2) {
                     OctaveDownPairs<2>(data.data(), out.data(), frame, from, to);
                 } else {
                     OctaveDownPairs<1>(data.data(), out.data(), frame, from, to);
                 }
             });
    if (frames % 2 == 1) {
        std::memcpy(&out[pairs * 3 * frame], &data[(frames - 1) * frame], frame);
    }
}

std::vector<std::uint8_t> ReverseFrames(std::span<const std::uint8_t> data, int frameBytes) {
    return Made(data.size(), [&](std::span<std::uint8_t> out) {
        ReverseFramesInto(data, out, frameBytes, nullptr);
    });
}

std::vector<std::uint8_t> LowPass(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(data.size(), [&](std::span<std::uint8_t> out) {
        LowPassInto(data, out, bits, channels, nullptr);
    });
}

std::vector<std::uint8_t> HighPass(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(data.size(), [&](std::span<std::uint8_t> out) {
        HighPassInto(data, out, bits, channels, nullptr);
    });
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
    return Made(OctaveUpBytes(data.size(), bits, channels), [&](std::span<std::uint8_t> out) {
        OctaveUpInto(data, out, bits, channels, nullptr);
    });
}

std::vector<std::uint8_t> OctaveDown(std::span<const std::uint8_t> data, int bits, int channels) {
    return Made(OctaveDownBytes(data.size(), bits, channels), [&](std::span<std::uint8_t> out) {
        OctaveDownInto(data, out, bits, channels, nullptr);
    });
}

}  // namespace quorbel
