// The vectorscope's Peaks summaries on a 1 GiB sound: the time to summarize a GiB (best of
// three), the time to gather all 367 columns once summarized, and a check of every column
// against a plain scan of the samples, for 8-bit mono and 16-bit stereo, whole and edited.
//
//   cmake --preset release && cmake --build build/release --target peaks_bench
//   build/release/bench/peaks_bench [MiB]   (default 1024)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "view/scope_peaks.h"
#include "view/view_layout.h"
#include "wavefile/peak_worker.h"

namespace {

using namespace quorbel;
using WallClock = std::chrono::steady_clock;

double MsSince(WallClock::time_point t0) {
    return std::chrono::duration<double, std::milli>(WallClock::now() - t0).count();
}

// Samples that wander, with a click every so often: every column has its own extremes.
SharedBytes MakeSound(std::size_t bytes) {
    std::vector<std::uint8_t> data(bytes);
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < bytes; ++i) {
        seed = seed * 1664525u + 1013904223u;
        data[i] = static_cast<std::uint8_t>(0x50 + (seed >> 26));
    }
    for (std::size_t i = 977; i < bytes; i += 3'000'017) data[i] = (i & 2) ? 0xFF : 0x00;
    return ShareBytes(std::move(data));
}

// The lows and highs of one column and channel by a plain scan, independent of the summary.
PeakPair Scan(const std::vector<std::uint8_t>& bytes, const PeakFormat& f, std::uint64_t first,
              std::uint64_t last, int channel) {
    PeakPair out;
    for (std::uint64_t k = first; k < last; ++k) {
        const std::uint8_t* s =
            &bytes[k * f.frameBytes() +
                   static_cast<std::uint64_t>(channel) * static_cast<std::uint64_t>(f.sampleBytes)];
        out.add(f.sampleBytes == 1 ? s[0] - 128 : static_cast<std::int16_t>(s[0] | s[1] << 8));
    }
    return out;
}

bool Check(const PieceList& list, const PeakFormat& f) {
    std::vector<std::uint8_t> bytes(list.size());
    list.Read(0, bytes);
    const std::uint64_t frames = bytes.size() / f.frameBytes();
    const std::vector<ColumnPeaks> columns = ScopeColumnPeaks(list, f, 0, frames);
    for (int x = kScopeFirstX; x < kScopeFirstX + kScopeColumns; ++x) {
        const auto [first, last] = ScopeColumnFrames(x, frames);
        const ColumnPeaks& column = columns[static_cast<std::size_t>(x - kScopeFirstX)];
        for (int c = 0; c < f.channels; ++c) {
            const PeakPair want = Scan(bytes, f, first, last, c);
            if (!column.summarized || !(column.channel[c] == want)) {
                std::printf("  column %d channel %d: %d..%d, a scan gives %d..%d  MISMATCH\n", x, c,
                            column.channel[c].lo, column.channel[c].hi, want.lo, want.hi);
                return false;
            }
        }
    }
    return true;
}

bool Run(const PeakFormat& f, std::size_t bytes, const char* name) {
    const SharedBytes sound = MakeSound(bytes / f.frameBytes() * f.frameBytes());
    const double gib = static_cast<double>(sound.size) / (1u << 30);
    double best = 1e300;
    PieceList list;
    for (int run = 0; run < 3; ++run) {
        // A new block each time: a block is summarized once.
        list = PieceList::Whole(std::make_shared<SoundBlock>(sound));
        const auto t0 = WallClock::now();
        StartPeakSummaries(list, f);
        WaitForPeakSummaries();
        best = std::min(best, MsSince(t0));
    }
    const std::uint64_t frames = sound.size / f.frameBytes();
    double draw = 1e300;
    for (int run = 0; run < 3; ++run) {
        const auto t0 = WallClock::now();
        const std::vector<ColumnPeaks> columns = ScopeColumnPeaks(list, f, 0, frames);
        draw = std::min(draw, MsSince(t0));
        if (columns.size() != static_cast<std::size_t>(kScopeColumns)) return false;
    }
    std::printf("%s, %.2f GiB: summary %.0f ms per GiB; all columns once summarized %.3f ms%s\n",
                name, gib, best / gib, draw, draw > 1.0 ? "  MISSED (target 1 ms)" : "");

    // Edited: pieces that start and end inside buckets, and a stretch of silence.
    const std::uint64_t fb = f.frameBytes();
    const PieceList edited = list.Slice(0, (frames / 3 + 101) * fb)
                                 .Then(PieceList::Silence(777 * fb, f.sampleBytes == 1 ? 128 : 0))
                                 .Then(list.Slice((frames / 2 + 3) * fb, (frames - 55) * fb));
    const bool whole = Check(list, f), cut = Check(edited, f);
    std::printf("  every column against a plain scan: whole %s, edited %s\n",
                whole ? "match" : "DIFFER", cut ? "match" : "DIFFER");
    return whole && cut;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mib =
        argc > 1 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) : 1024;
    bool ok = Run({1, 1}, mib << 20, "8-bit mono");
    ok = Run({2, 2}, mib << 20, "16-bit stereo") && ok;
    return ok ? 0 : 1;
}
