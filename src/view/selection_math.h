#pragma once

// The arithmetic behind the selection: handle pixels to milliseconds, milliseconds to byte
// offsets in the data chunk, and the rounding of offsets down to whole frames.

#include <cstdint>

namespace quorbel {

// Milliseconds one vectorscope pixel stands for: the length times the single-precision
// number nearest to 1/367, in double precision; 1.0 for a sound of length 0.
double MsPerScopePixel(std::uint32_t lengthMs);

// Milliseconds of a handle whose edge lies `pixels` right of the vectorscope's left edge.
std::uint32_t HandleMs(int pixels, std::uint32_t lengthMs);

// The same while the vectorscope's 367 pixels stand for the stretch that starts at `fromMs`
// and lasts `spanMs` (zoomed); unzoomed, fromMs is 0 and spanMs the length.
std::uint32_t ZoomedHandleMs(int pixels, std::uint32_t fromMs, std::uint32_t spanMs);

// The pixel (0 to 367) whose milliseconds in that stretch come nearest to `ms` from below.
int PixelOfMs(std::uint32_t ms, std::uint32_t fromMs, std::uint32_t spanMs);

// The shortest stretch a zoom shows: one millisecond a pixel.
inline constexpr std::uint32_t kMinZoomSpanMs = 367;

// The stretch Zoom to Selection shows for the selection [startMs, endMs] of a sound of
// `lengthMs`: the selection within the sound, widened to kMinZoomSpanMs where it is shorter.
struct ZoomStretch {
    std::uint32_t fromMs = 0;
    std::uint32_t toMs = 0;
    friend bool operator==(const ZoomStretch&, const ZoomStretch&) = default;
};
ZoomStretch ZoomStretchFor(std::uint32_t startMs, std::uint32_t endMs, std::uint32_t lengthMs);

// The selection's start byte: startMs x 0.001 x avgBytesPerSec, truncated, all in double.
std::uint64_t StartByteOf(std::uint32_t startMs, std::uint32_t avgBytesPerSec);

// The selection's end byte: avgBytesPerSec and endMs x 0.001 each rounded to single
// precision, their product in double, truncated.
std::uint64_t EndByteOf(std::uint32_t endMs, std::uint32_t avgBytesPerSec);

// `offset` rounded down to a multiple of `blockAlign` (a block align of 0 counts as 1), so
// that no edit ever starts or ends inside a frame.
std::uint64_t WholeFrames(std::uint64_t offset, int blockAlign);

// The bytes [start, end) a selection of [startMs, endMs] covers in data of `dataBytes`: whole
// frames, both ends within the data, the end never before the start.
struct SelectedBytes {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};
SelectedBytes SelectedWholeFrames(std::uint32_t startMs, std::uint32_t endMs,
                                  std::uint32_t avgBytesPerSec, int blockAlign,
                                  std::uint64_t dataBytes);

}  // namespace quorbel
