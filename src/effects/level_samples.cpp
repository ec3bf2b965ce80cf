// Amplify, Normalize and the fades as plain loops over sample bytes, with the sample width and
// the channels fixed at compile time so the loops stay tight. Gains are doubles rounded
// exactly; the fades are exact integer ratios, so a half rounds the same way whatever the
// length.

#include "effects/level_samples.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "edit/sample_codec.h"

namespace quorbel {
namespace {

// Calls `work.template operator()<W, C>(frames)` with the width and channels as constants;
// 1 or 2 channels, any other count taken as mono samples.
template <class Work>
void WithShape(int bits, int channels, std::size_t bytes, Work work) {
    const std::size_t width = SampleCodec::ForBits(bits).width;
    if (width == 2) {
        if (channels == 2) return work.template operator()<2, 2>(bytes / 4);
        return work.template operator()<2, 1>(bytes / 2);
    }
    if (channels == 2) return work.template operator()<1, 2>(bytes / 2);
    return work.template operator()<1, 1>(bytes);
}

}  // namespace

int FullScale(int bits) {
    return bits >= 16 ? 32767 : 127;
}

int ScaledSample(int v, double factor, int full) {
    const double x = static_cast<double>(v) * factor;
    // Whatever rounds past the range is clamped: round(x) > F exactly when x >= F + 0.5.
    if (x >= full + 0.5) return full;
    if (x <= -full - 1.5) return -full - 1;
    // Within the range the fraction x - trunc(x) is exact, so the half is seen exactly (and
    // without a call to round, which is slow).
    const int whole = static_cast<int>(x);
    const double fraction = x - whole;
    if (fraction >= 0.5) return whole + 1;
    if (fraction <= -0.5) return whole - 1;
    return whole;
}

SampleCensus::SampleCensus(int bits)
    : m_bits(bits), m_counts(std::size_t{1} << (bits >= 16 ? 16 : 8)) {}

void SampleCensus::Add(std::span<const std::uint8_t> bytes) {
    const int offset = FullScale(m_bits) + 1;
    // Counted per sample: the channels do not matter.
    WithShape(m_bits, 1, bytes.size(), [&]<std::size_t W, std::size_t>(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            ++m_counts[static_cast<std::size_t>(GetSample<W>(bytes.data() + i * W) + offset)];
        }
    });
}

std::uint64_t SampleCensus::Clipped(double factor) const {
    const int full = FullScale(m_bits), offset = full + 1;
    std::uint64_t clipped = 0;
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        if (m_counts[i] == 0) continue;
        const double x = (static_cast<int>(i) - offset) * factor;
        if (x >= full + 0.5 || x <= -full - 1.5) clipped += m_counts[i];
    }
    return clipped;
}

int SampleCensus::Peak() const {
    const int offset = FullScale(m_bits) + 1;
    int peak = 0;
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        if (m_counts[i] != 0) peak = std::max(peak, std::abs(static_cast<int>(i) - offset));
    }
    return peak;
}

void AddChannelPeaks(std::span<const std::uint8_t> bytes, int bits, int channels,
                     std::array<int, 2>& peaks) {
    WithShape(bits, channels, bytes.size(), [&]<std::size_t W, std::size_t C>(std::size_t n) {
        for (std::size_t f = 0; f < n; ++f) {
            for (std::size_t c = 0; c < C; ++c) {
                peaks[c] =
                    std::max(peaks[c], std::abs(GetSample<W>(bytes.data() + (f * C + c) * W)));
            }
        }
    });
}

void ScaleSamples(std::span<const std::uint8_t> in, int bits, int channels,
                  std::array<double, 2> factors, std::span<std::uint8_t> out) {
    const int full = FullScale(bits);
    WithShape(bits, channels, in.size(), [&]<std::size_t W, std::size_t C>(std::size_t n) {
        for (std::size_t f = 0; f < n; ++f) {
            for (std::size_t c = 0; c < C; ++c) {
                const std::size_t at = (f * C + c) * W;
                PutSample<W>(out.data() + at,
                             ScaledSample(GetSample<W>(in.data() + at), factors[c], full));
            }
        }
    });
}

void FadeSamples(std::span<const std::uint8_t> in, int bits, int channels, std::uint64_t first,
                 std::uint64_t frames, bool fadeIn, std::span<std::uint8_t> out) {
    if (frames < 2) {
        std::memcpy(out.data(), in.data(), in.size());
        return;
    }
    // v x k / d, rounded half away from zero: (2|v|k + d) / 2d with the sign put back. The
    // product fits 64 bits for any sound a WAVE file holds.
    const auto d = static_cast<std::int64_t>(frames - 1);
    WithShape(bits, channels, in.size(), [&]<std::size_t W, std::size_t C>(std::size_t n) {
        for (std::size_t f = 0; f < n; ++f) {
            const auto frame = static_cast<std::int64_t>(first + f);
            const std::int64_t k = fadeIn ? frame : d - frame;
            for (std::size_t c = 0; c < C; ++c) {
                const std::size_t at = (f * C + c) * W;
                const int v = GetSample<W>(in.data() + at);
                const std::int64_t magnitude = (2 * std::int64_t{std::abs(v)} * k + d) / (2 * d);
                PutSample<W>(out.data() + at, static_cast<int>(v < 0 ? -magnitude : magnitude));
            }
        }
    });
}

}  // namespace quorbel
