// Amplify, Normalize and the fades as plain loops over sample bytes. Gains are doubles; the
// fades are exact integer ratios, so a half rounds the same way whatever the length.

#include "effects/level_samples.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "edit/sample_codec.h"

namespace quorbel {
namespace {

std::size_t SampleCount(std::span<const std::uint8_t> bytes, SampleCodec codec) {
    return bytes.size() / codec.width;
}

}  // namespace

int FullScale(int bits) {
    return bits >= 16 ? 32767 : 127;
}

int ScaledSample(int v, double factor, int full) {
    const double scaled = std::round(static_cast<double>(v) * factor);
    // Compared as doubles first: a huge product does not fit an int.
    if (scaled > full) return full;
    if (scaled < -full - 1) return -full - 1;
    return static_cast<int>(scaled);
}

SampleCensus::SampleCensus(int bits)
    : m_bits(bits), m_counts(std::size_t{1} << (bits >= 16 ? 16 : 8)) {}

void SampleCensus::Add(std::span<const std::uint8_t> bytes) {
    const SampleCodec codec = SampleCodec::ForBits(m_bits);
    const int offset = FullScale(m_bits) + 1;
    const std::size_t n = SampleCount(bytes, codec);
    for (std::size_t i = 0; i < n; ++i) {
        ++m_counts[static_cast<std::size_t>(codec.get(bytes.data() + i * codec.width) + offset)];
    }
}

std::uint64_t SampleCensus::Clipped(double factor) const {
    const int full = FullScale(m_bits), offset = full + 1;
    std::uint64_t clipped = 0;
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        if (m_counts[i] == 0) continue;
        const double scaled = std::round((static_cast<int>(i) - offset) * factor);
        if (scaled > full || scaled < -full - 1) clipped += m_counts[i];
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
    const SampleCodec codec = SampleCodec::ForBits(bits);
    const std::size_t n = SampleCount(bytes, codec);
    const std::size_t stride = channels == 2 ? 2 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        int& peak = peaks[i % stride];
        peak = std::max(peak, std::abs(codec.get(bytes.data() + i * codec.width)));
    }
}

void ScaleSamples(std::span<const std::uint8_t> in, int bits, int channels,
                  std::array<double, 2> factors, std::span<std::uint8_t> out) {
    const SampleCodec codec = SampleCodec::ForBits(bits);
    const int full = FullScale(bits);
    const std::size_t n = SampleCount(in, codec);
    const std::size_t stride = channels == 2 ? 2 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = i * codec.width;
        codec.put(out.data() + at,
                  ScaledSample(codec.get(in.data() + at), factors[i % stride], full));
    }
}

void FadeSamples(std::span<const std::uint8_t> in, int bits, int channels, std::uint64_t first,
                 std::uint64_t frames, bool fadeIn, std::span<std::uint8_t> out) {
    const SampleCodec codec = SampleCodec::ForBits(bits);
    const std::size_t n = SampleCount(in, codec);
    const std::size_t perFrame = channels == 2 ? 2 : 1;
    if (frames < 2) {
        std::copy(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(n * codec.width),
                  out.begin());
        return;
    }
    // v x k / d, rounded half away from zero: (2|v|k + d) / 2d with the sign put back. The
    // product fits 64 bits for any sound a WAVE file holds.
    const auto d = static_cast<std::int64_t>(frames - 1);
    for (std::size_t i = 0; i < n; ++i) {
        const auto frame = static_cast<std::int64_t>(first + i / perFrame);
        const std::int64_t k = fadeIn ? frame : d - frame;
        const std::size_t at = i * codec.width;
        const int v = codec.get(in.data() + at);
        const std::int64_t magnitude = (2 * std::int64_t{std::abs(v)} * k + d) / (2 * d);
        codec.put(out.data() + at, static_cast<int>(v < 0 ? -magnitude : magnitude));
    }
}

}  // namespace quorbel
