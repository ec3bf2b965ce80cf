// Handle pixels to milliseconds to byte offsets, with the precisions the selection has always
// used, and the whole-frame rounding that keeps samples and channels in place.

#include "view/selection_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorbel {
namespace {

// The nearest single-precision number to 1/367, widened.
constexpr double kPixelFraction = static_cast<double>(0.0027247956f);

std::uint32_t TruncatedU32(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<std::uint32_t>::max())) {
        return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(v);
}

// Bytes past 4 GiB too (a sound saved as RF64).
std::uint64_t TruncatedU64(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 0x1p64) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(v);
}

}  // namespace

double MsPerScopePixel(std::uint32_t lengthMs) {
    const double f = static_cast<double>(lengthMs) * kPixelFraction;
    return f == 0.0 ? 1.0 : f;
}

std::uint32_t HandleMs(int pixels, std::uint32_t lengthMs) {
    return TruncatedU32(static_cast<double>(pixels) * MsPerScopePixel(lengthMs));
}

std::uint32_t ZoomedHandleMs(int pixels, std::uint32_t fromMs, std::uint32_t spanMs) {
    const std::uint64_t ms = std::uint64_t{fromMs} + HandleMs(pixels, spanMs);
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, UINT32_MAX));
}

int PixelOfMs(std::uint32_t ms, std::uint32_t fromMs, std::uint32_t spanMs) {
    if (ms < fromMs) return 0;
    const double pixels = static_cast<double>(ms - fromMs) / MsPerScopePixel(spanMs);
    int p = static_cast<int>(std::min(pixels, 367.0));
    // The truncations of the forward rule: step until the pixel's milliseconds reach `ms`.
    while (p < 367 && ZoomedHandleMs(p + 1, fromMs, spanMs) <= ms) ++p;
    while (p > 0 && ZoomedHandleMs(p, fromMs, spanMs) > ms) --p;
    return p;
}

ZoomStretch ZoomStretchFor(std::uint32_t startMs, std::uint32_t endMs, std::uint32_t lengthMs) {
    ZoomStretch z{std::min(startMs, lengthMs), std::min(endMs, lengthMs)};
    if (z.toMs - z.fromMs >= kMinZoomSpanMs || lengthMs <= kMinZoomSpanMs) {
        if (lengthMs <= kMinZoomSpanMs) z = {0, lengthMs};
        return z;
    }
    // Widen around the selection's middle, staying within the sound.
    const std::uint32_t middle = z.fromMs + (z.toMs - z.fromMs) / 2;
    const std::uint32_t from = middle > kMinZoomSpanMs / 2 ? middle - kMinZoomSpanMs / 2 : 0;
    z.fromMs = std::min(from, lengthMs - kMinZoomSpanMs);
    z.toMs = z.fromMs + kMinZoomSpanMs;
    return z;
}

std::uint64_t StartByteOf(std::uint32_t startMs, std::uint32_t avgBytesPerSec) {
    return TruncatedU64(static_cast<double>(startMs) * 0.001 * static_cast<double>(avgBytesPerSec));
}

std::uint64_t EndByteOf(std::uint32_t endMs, std::uint32_t avgBytesPerSec) {
    const auto a = static_cast<float>(avgBytesPerSec);
    const auto e = static_cast<float>(static_cast<double>(endMs) * 0.001);
    return TruncatedU64(static_cast<double>(a) * static_cast<double>(e));
}

std::uint64_t WholeFrames(std::uint64_t offset, int blockAlign) {
    const auto frame = static_cast<std::uint64_t>(blockAlign > 0 ? blockAlign : 1);
    return offset - offset % frame;
}

SelectedBytes SelectedWholeFrames(std::uint32_t startMs, std::uint32_t endMs,
                                  std::uint32_t avgBytesPerSec, int blockAlign,
                                  std::uint64_t dataBytes) {
    const std::uint64_t last = WholeFrames(dataBytes, blockAlign);
    SelectedBytes r;
    r.start = std::min(WholeFrames(StartByteOf(startMs, avgBytesPerSec), blockAlign), last);
    r.end = std::clamp(WholeFrames(EndByteOf(endMs, avgBytesPerSec), blockAlign), r.start, last);
    return r;
}

}  // namespace quorbel
