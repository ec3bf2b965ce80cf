#include "wavefile/peak_summary.h"

#include <algorithm>

namespace quorbel {

namespace {

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return a / b + (a % b != 0);
}

// One loop per layout, so that the sample width and channel count are constants the
// compiler can unroll and vectorize: this loop is the summary's whole cost. Lows and highs
// stay in locals until the end, since a store through `out` might change the bytes read.
template <int Width, int Channels>
void AccumulateFixed(const std::uint8_t* p, std::uint64_t frames, PeakPair* out) {
    int lo[Channels], hi[Channels];
    for (int c = 0; c < Channels; ++c) lo[c] = out[c].lo, hi[c] = out[c].hi;
    for (std::uint64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < Channels; ++c) {
            const int v = PeakValue(p + (f * Channels + c) * Width, Width);
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
        }
    }
    for (int c = 0; c < Channels; ++c) {
        out[c].lo = static_cast<std::int16_t>(lo[c]);
        out[c].hi = static_cast<std::int16_t>(hi[c]);
    }
}

// The same for 4-byte floats: a float's value cannot be compared by its bytes.
template <int Channels>
void AccumulateFloat(const std::uint8_t* p, std::uint64_t frames, PeakPair* out) {
    int lo[Channels], hi[Channels];
    for (int c = 0; c < Channels; ++c) lo[c] = out[c].lo, hi[c] = out[c].hi;
    for (std::uint64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < Channels; ++c) {
            const int v = PeakFloatValue(p + (f * Channels + c) * 4);
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
        }
    }
    for (int c = 0; c < Channels; ++c) {
        out[c].lo = static_cast<std::int16_t>(lo[c]);
        out[c].hi = static_cast<std::int16_t>(hi[c]);
    }
}

template <int Width>
void AccumulateWidth(const std::uint8_t* p, std::uint64_t frames, int channels, PeakPair* out) {
    if (channels == 1) return AccumulateFixed<Width, 1>(p, frames, out);
    if (channels == 2) return AccumulateFixed<Width, 2>(p, frames, out);
    for (std::uint64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c, p += Width) out[c].add(PeakValue(p, Width));
    }
}

}  // namespace

std::optional<PeakFormat> PeakFormatOf(int bitsPerSample, int channels, bool floating) {
    if (channels <= 0 || bitsPerSample <= 0) return std::nullopt;
    if (floating) {
        if (bitsPerSample != 32) return std::nullopt;
        return PeakFormat{4, channels, true};
    }
    if (bitsPerSample <= 8) return PeakFormat{1, channels};
    if (bitsPerSample < 16 || bitsPerSample > 32) return std::nullopt;
    return PeakFormat{bitsPerSample / 8, channels};
}

void AccumulatePeaks(std::span<const std::uint8_t> bytes, const PeakFormat& format,
                     std::span<PeakPair> perChannel) {
    const std::uint64_t frameBytes = format.frameBytes();
    if (frameBytes == 0 || perChannel.size() < static_cast<std::size_t>(format.channels)) return;
    const std::uint64_t frames = bytes.size() / frameBytes;
    const std::uint8_t* p = bytes.data();
    if (format.floating) {
        if (format.channels == 1) return AccumulateFloat<1>(p, frames, perChannel.data());
        if (format.channels == 2) return AccumulateFloat<2>(p, frames, perChannel.data());
        for (std::uint64_t f = 0; f < frames; ++f) {
            for (int c = 0; c < format.channels; ++c, p += 4) perChannel[c].add(PeakFloatValue(p));
        }
        return;
    }
    switch (format.sampleBytes) {
        case 1:
            return AccumulateWidth<1>(p, frames, format.channels, perChannel.data());
        case 2:
            return AccumulateWidth<2>(p, frames, format.channels, perChannel.data());
        case 3:
            return AccumulateWidth<3>(p, frames, format.channels, perChannel.data());
        case 4:
            return AccumulateWidth<4>(p, frames, format.channels, perChannel.data());
        default:
            return;
    }
}

PeakSummary::PeakSummary(const PeakFormat& format, std::uint64_t frames)
    : m_format(format), m_frames(frames) {}

void PeakSummary::MakeSome(std::span<const std::uint8_t> block, std::uint64_t maxFrames) {
    const auto channels = static_cast<std::size_t>(m_format.channels);
    const std::uint64_t frameBytes = m_format.frameBytes();
    std::uint64_t done = m_done.load(std::memory_order_relaxed);
    if (done == 0 && m_fine.empty() && m_frames > 0) {
        m_fine.resize(CeilDiv(m_frames, kPeakFineFrames) * channels);
        m_coarse.resize(CeilDiv(m_frames, kPeakCoarseFrames) * channels);
    }
    const std::uint64_t stop = std::min(m_frames, done + std::max(maxFrames, kPeakCoarseFrames));
    while (done < stop) {
        // One coarse bucket: its fine buckets, then their sum, then it is published.
        const std::uint64_t coarse = done / kPeakCoarseFrames;
        const std::uint64_t end = std::min(m_frames, done + kPeakCoarseFrames);
        PeakPair* total = &m_coarse[coarse * channels];
        for (std::uint64_t f = done; f < end; f += kPeakFineFrames) {
            const std::uint64_t n = std::min(kPeakFineFrames, end - f);
            PeakPair* fine = &m_fine[f / kPeakFineFrames * channels];
            AccumulatePeaks(block.subspan(f * frameBytes, n * frameBytes), m_format,
                            std::span<PeakPair>(fine, channels));
            for (std::size_t c = 0; c < channels; ++c) total[c].add(fine[c]);
        }
        done = end;
        m_done.store(done, std::memory_order_release);
    }
}

void PeakSummary::combineFine(std::uint64_t from, std::uint64_t to, std::span<PeakPair> out) const {
    const auto channels = static_cast<std::size_t>(m_format.channels);
    for (std::uint64_t i = from; i < to; ++i) {
        for (std::size_t c = 0; c < channels; ++c) out[c].add(m_fine[i * channels + c]);
    }
}

bool PeakSummary::Combine(std::uint64_t first, std::uint64_t last,
                          std::span<PeakPair> perChannel) const {
    if (first >= last) return true;
    if (last > summarizedFrames()) return false;
    const auto channels = static_cast<std::size_t>(m_format.channels);
    const std::uint64_t fineCount = CeilDiv(m_frames, kPeakFineFrames);
    const std::uint64_t i0 = first / kPeakFineFrames;
    const std::uint64_t i1 = CeilDiv(last, kPeakFineFrames);
    // Whole coarse buckets inside [i0, i1): the last one may end short at the block's end.
    constexpr std::uint64_t kPerCoarse = kPeakCoarseFrames / kPeakFineFrames;
    const std::uint64_t j0 = CeilDiv(i0, kPerCoarse);
    const std::uint64_t j1 = i1 == fineCount ? CeilDiv(i1, kPerCoarse) : i1 / kPerCoarse;
    if (j0 >= j1) {
        combineFine(i0, i1, perChannel);
        return true;
    }
    combineFine(i0, j0 * kPerCoarse, perChannel);
    for (std::uint64_t j = j0; j < j1; ++j) {
        for (std::size_t c = 0; c < channels; ++c) perChannel[c].add(m_coarse[j * channels + c]);
    }
    combineFine(std::min(j1 * kPerCoarse, i1), i1, perChannel);
    return true;
}

std::shared_ptr<PeakSummary> BlockPeaks::For(const PeakFormat& format, std::uint64_t frames,
                                             bool& made) {
    const std::lock_guard lock(m_mutex);
    made = !m_summary || m_summary->format() != format;
    if (made) m_summary = std::make_shared<PeakSummary>(format, frames);
    return m_summary;
}

bool BlockPeaks::Keeps(const PeakSummary* summary) const {
    const std::lock_guard lock(m_mutex);
    return m_summary.get() == summary;
}

}  // namespace quorbel
