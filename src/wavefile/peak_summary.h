#pragma once

// Min/max summaries of one immutable block of samples, so that a whole sound can be drawn as
// its peaks without reading its samples again: one low/high pair per channel for every 256
// frames, and one for every 65,536. A summary is made once, front to back, by a background
// worker (peak_worker.h) while the window's thread reads the part already made.
//
// Values are kept as the vectorscope draws them, in 16 bits: an 8-bit sample less 128, the
// top 16 bits of a wider one, a float sample times 32767, clamped (NaN and infinities as
// silence). Lows and highs survive that mapping unchanged because it keeps order, and it
// halves the memory of keeping raw 32-bit values.

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace quorbel {

// The layout of a block's frames: bytes of one stored sample and samples in a frame.
struct PeakFormat {
    int sampleBytes = 0;  // 1: unsigned 8-bit; 2, 3, 4: signed little-endian integers
    int channels = 0;
    bool floating = false;  // 4-byte IEEE floats instead of integers

    std::uint64_t frameBytes() const {
        return static_cast<std::uint64_t>(sampleBytes) * static_cast<std::uint64_t>(channels);
    }
    friend bool operator==(const PeakFormat&, const PeakFormat&) = default;
};

// The layout of PCM samples of `bitsPerSample` (32-bit floats when `floating`), or none for
// the 9 to 15 bits that have no samples, for more than 32 bits and for no channels.
std::optional<PeakFormat> PeakFormatOf(int bitsPerSample, int channels, bool floating = false);

// Lowest and highest value of a stretch of one channel.
struct PeakPair {
    std::int16_t lo = INT16_MAX;
    std::int16_t hi = INT16_MIN;

    void add(int v) {
        if (v < lo) lo = static_cast<std::int16_t>(v);
        if (v > hi) hi = static_cast<std::int16_t>(v);
    }
    void add(const PeakPair& o) {
        if (o.lo < lo) lo = o.lo;
        if (o.hi > hi) hi = o.hi;
    }
    bool empty() const { return lo > hi; }
    friend bool operator==(const PeakPair&, const PeakPair&) = default;
};

inline constexpr std::uint64_t kPeakFineFrames = 256;
inline constexpr std::uint64_t kPeakCoarseFrames = 65536;

// The drawn value of the sample whose bytes start at `sample`.
inline int PeakValue(const std::uint8_t* sample, int sampleBytes) {
    if (sampleBytes == 1) return int{sample[0]} - 128;
    // Little-endian: the two most significant bytes are stored last.
    const std::uint8_t* top = sample + sampleBytes - 2;
    return static_cast<std::int16_t>(top[0] | (top[1] << 8));
}

// The drawn value of the little-endian float whose bytes start at `sample`.
inline int PeakFloatValue(const std::uint8_t* sample) {
    const std::uint32_t bits = std::uint32_t{sample[0]} | std::uint32_t{sample[1]} << 8 |
                               std::uint32_t{sample[2]} << 16 | std::uint32_t{sample[3]} << 24;
    const float v = std::bit_cast<float>(bits);
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(static_cast<double>(v) * 32767.0, -32768.0, 32767.0));
}

// The drawn value of a sample of `format`.
inline int PeakValueOf(const std::uint8_t* sample, const PeakFormat& format) {
    return format.floating ? PeakFloatValue(sample) : PeakValue(sample, format.sampleBytes);
}

// Folds the whole frames of `bytes` into `perChannel` (one pair per channel).
void AccumulatePeaks(std::span<const std::uint8_t> bytes, const PeakFormat& format,
                     std::span<PeakPair> perChannel);

class PeakSummary {
  public:
    PeakSummary(const PeakFormat& format, std::uint64_t frames);

    const PeakFormat& format() const { return m_format; }
    std::uint64_t frames() const { return m_frames; }
    // Frames from the block's start whose pairs are final. Grows while the summary is made.
    std::uint64_t summarizedFrames() const { return m_done.load(std::memory_order_acquire); }
    bool complete() const { return summarizedFrames() == m_frames; }

    // Folds frames [first, last) into `perChannel`: `first` a multiple of 256, `last` one too
    // or the block's end. False, and nothing folded, while they are not all summarized.
    bool Combine(std::uint64_t first, std::uint64_t last, std::span<PeakPair> perChannel) const;

    // Summarizes up to `maxFrames` more frames of `block` (the block's bytes, the same at every
    // call), whole 65,536-frame stretches but the last. Only one thread makes a summary.
    void MakeSome(std::span<const std::uint8_t> block, std::uint64_t maxFrames);

  private:
    void combineFine(std::uint64_t from, std::uint64_t to, std::span<PeakPair> out) const;

    const PeakFormat m_format;
    const std::uint64_t m_frames;
    // Pair of channel c of bucket i at [i * channels + c]. Sized by the maker before it first
    // publishes m_done, read by others only below m_done.
    std::vector<PeakPair> m_fine, m_coarse;
    std::atomic<std::uint64_t> m_done{0};
};

// A block's summary for the layout it is drawn in; the window's thread asks for it, the
// worker fills it (see peak_worker.h).
class BlockPeaks {
  public:
    // The summary of `format`; a new, empty one when there is none or one of another layout,
    // in which case `made` is set.
    std::shared_ptr<PeakSummary> For(const PeakFormat& format, std::uint64_t frames, bool& made);
    // Whether `summary` is still the one kept: a summary no block keeps is not worth making.
    bool Keeps(const PeakSummary* summary) const;

  private:
    mutable std::mutex m_mutex;
    std::shared_ptr<PeakSummary> m_summary;
};

}  // namespace quorbel
