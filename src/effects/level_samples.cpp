// Amplify, Normalize and the fades as plain loops over sample bytes, with the sample width and
// the channels fixed at compile time so the loops stay tight. Gains are doubles rounded
// exactly; the fades are exact integer ratios, so a half rounds the same way whatever the
// length.

#include "effects/level_samples.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/sample_value_codec.h"
#include "audio/sample_values.h"
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

bool IsNarrow(SampleType type) {
    return type == SampleType::U8 || type == SampleType::S16;
}

// Calls `visit` with the whole samples of `list`, read a MiB at a time into one buffer (a
// piece's edge may fall inside a sample).
template <class Visit>
void ForEachSampleRun(const PieceList& list, SampleType type, Visit visit) {
    const std::size_t width = static_cast<std::size_t>(SampleBits(type) / 8);
    const std::size_t part = (std::size_t{1} << 20) / width * width;
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(part, list.size())));
    const std::uint64_t whole = list.size() / width * width;
    for (std::uint64_t from = 0; from < whole; from += part) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(part, whole - from));
        list.Read(from, std::span<std::uint8_t>(buffer).first(n));
        visit(std::span<const std::uint8_t>(buffer).first(n));
    }
}

// Each sample of a wide layout through `value`, written back with the layout's rounding.
template <class Value>
void MapWide(std::span<const std::uint8_t> in, SampleType type, int channels,
             std::span<std::uint8_t> out, Value value) {
    WithSampleType(type, [&](auto codec) {
        constexpr std::size_t width = decltype(codec)::kWidth;
        const auto c = static_cast<std::size_t>(std::max(channels, 1));
        const std::size_t frames = in.size() / (width * c);
        for (std::size_t f = 0; f < frames; ++f) {
            for (std::size_t ch = 0; ch < c; ++ch) {
                const std::size_t at = (f * c + ch) * width;
                codec.Put(out.data() + at, value(codec.Get(in.data() + at), f, ch));
            }
        }
    });
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

SampleCensus::SampleCensus(int bits) : SampleCensus(SampleTypeFor(bits, false)) {}

SampleCensus::SampleCensus(SampleType type) : m_type(type) {
    if (IsNarrow(type)) m_counts.resize(std::size_t{1} << SampleBits(type));
}

void SampleCensus::Add(std::span<const std::uint8_t> bytes) {
    const int bits = SampleBits(m_type);
    const int offset = FullScale(bits) + 1;
    // Counted per sample: the channels do not matter.
    WithShape(bits, 1, bytes.size(), [&]<std::size_t W, std::size_t>(std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            ++m_counts[static_cast<std::size_t>(GetSample<W>(bytes.data() + i * W) + offset)];
        }
    });
}

void SampleCensus::Add(const PieceList& stretch) {
    if (IsNarrow(m_type)) {
        ForEachSampleRun(stretch, m_type,
                         [this](std::span<const std::uint8_t> bytes) { Add(bytes); });
        return;
    }
    m_stretches.push_back(stretch);
    std::array<double, 2> peaks{m_peak, 0.0};
    ForEachSampleRun(stretch, m_type, [&](std::span<const std::uint8_t> bytes) {
        AddChannelPeaks(bytes, m_type, 1, peaks);
    });
    m_peak = peaks[0];
}

std::uint64_t SampleCensus::Clipped(double factor) const {
    const double level = ClipLevel();
    if (!IsNarrow(m_type)) {
        // An integer clips once rounded past its range, which is one larger below; float
        // beyond +-1.0.
        const bool isFloat = m_type == SampleType::F32;
        const auto clips = [&](double x) {
            return isFloat ? std::fabs(x) > level : (x >= level || x <= -level - 1.0);
        };
        std::uint64_t clipped = 0;
        const std::size_t width = static_cast<std::size_t>(SampleBits(m_type) / 8);
        WithSampleType(m_type, [&](auto codec) {
            for (const PieceList& stretch : m_stretches) {
                ForEachSampleRun(stretch, m_type, [&](std::span<const std::uint8_t> bytes) {
                    for (std::size_t i = 0; i + width <= bytes.size(); i += width) {
                        const double v = codec.Get(bytes.data() + i);
                        if (std::isfinite(v) && clips(v * factor)) ++clipped;
                    }
                });
            }
        });
        return clipped;
    }
    const int full = FullScale(SampleBits(m_type)), offset = full + 1;
    std::uint64_t clipped = 0;
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        if (m_counts[i] == 0) continue;
        const double x = (static_cast<int>(i) - offset) * factor;
        if (x >= full + 0.5 || x <= -full - 1.5) clipped += m_counts[i];
    }
    return clipped;
}

double SampleCensus::Peak() const {
    if (!IsNarrow(m_type)) return m_peak;
    const int offset = FullScale(SampleBits(m_type)) + 1;
    int peak = 0;
    for (std::size_t i = 0; i < m_counts.size(); ++i) {
        if (m_counts[i] != 0) peak = std::max(peak, std::abs(static_cast<int>(i) - offset));
    }
    return peak;
}

double SampleCensus::ClipLevel() const {
    if (m_type == SampleType::F32) return 1.0;
    return FullScaleValue(m_type) + 0.5;
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

namespace quorbel {

void AddChannelPeaks(std::span<const std::uint8_t> bytes, SampleType type, int channels,
                     std::array<double, 2>& peaks) {
    if (IsNarrow(type)) {
        std::array<int, 2> whole{0, 0};
        AddChannelPeaks(bytes, SampleBits(type), channels, whole);
        for (int c = 0; c < 2; ++c) peaks[c] = std::max(peaks[c], static_cast<double>(whole[c]));
        return;
    }
    const std::size_t width = static_cast<std::size_t>(SampleBits(type) / 8);
    const std::size_t c = channels == 2 ? 2 : 1;
    const std::size_t samples = bytes.size() / (width * c) * c;
    WithSampleType(type, [&](auto codec) {
        for (std::size_t i = 0; i < samples; ++i) {
            const double v = std::fabs(codec.Get(bytes.data() + i * width));
            if (std::isfinite(v)) peaks[i % c] = std::max(peaks[i % c], v);
        }
    });
}

void ScaleSamples(std::span<const std::uint8_t> in, SampleType type, int channels,
                  std::array<double, 2> factors, std::span<std::uint8_t> out) {
    if (IsNarrow(type)) return ScaleSamples(in, SampleBits(type), channels, factors, out);
    MapWide(in, type, channels, out,
            [&](double v, std::size_t, std::size_t ch) { return v * factors[ch % 2]; });
}

void FadeSamples(std::span<const std::uint8_t> in, SampleType type, int channels,
                 std::uint64_t first, std::uint64_t frames, bool fadeIn,
                 std::span<std::uint8_t> out) {
    if (IsNarrow(type) || frames < 2) {
        return FadeSamples(in, SampleBits(type), channels, first, frames, fadeIn, out);
    }
    const auto d = static_cast<double>(frames - 1);
    MapWide(in, type, channels, out, [&](double v, std::size_t f, std::size_t) {
        const auto frame = static_cast<double>(first + f);
        return v * (fadeIn ? frame : d - frame) / d;
    });
}

}  // namespace quorbel
