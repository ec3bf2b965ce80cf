#pragma once

// The arithmetic of the view's two waveform traces, over the raw bytes of a data chunk:
// which background and pen a skin uses, how far from its baseline a sample is drawn in the
// slider strip and in the vectorscope, and which samples the vectorscope steps through.
// Samples of 8 bits and less are unsigned bytes; from 16 bits on each sample is drawn from
// its top 16 bits, signed.

#include <cstdint>
#include <optional>
#include <span>

#include "framework/canvas.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// Background picture of a skin: two-channel and other variants; 0 for an unknown skin.
int BackgroundBitmapId(int skin, int channels);

// Trace pen: yellow on the Grey skin (2), green on every other.
Color TracePenColor(int skin);

// Strip magnification divisor for m_nMagnify MAGNIFY_100, MAGNIFY_200, MAGNIFY_300.
int StripMagnifyDivisor(int magnify);

// Offset from the strip's baseline of sample k, or none when the column has no sample (k
// at or past the buffer's last sample). `halfHeight` is half the view's client height; a
// value below 1 leaves that step out. 8-bit: ((s - 128) rem H) rem M; 16 bits and more:
// (s rem M) rem H of the top 16 bits, or of a float sample times 32767 (clamped, NaN and
// infinities 0) when `floatSamples`. Bits 9 to 15 have no samples.
std::optional<int> StripOffset(const PieceList& data, int bitsPerSample, std::int64_t k,
                               int halfHeight, int divisor, bool floatSamples = false);
// StripOffset of samples first, first + 1, ... for each element of `out`, read from the
// sound in blocks: what a paint of the strip needs, at a fraction of the cost of one sample
// at a time.
void StripOffsets(const PieceList& data, int bitsPerSample, std::int64_t first,
                  std::span<std::optional<int>> out, int halfHeight, int divisor,
                  bool floatSamples = false);

// Vectorscope step: samples per column, N / 367 rounded down to whole frames of `channels`
// samples, at least one frame.
std::uint64_t ScopeStep(std::uint64_t sampleCount, int channels);

// True for the formats the vectorscope draws: 8-bit or 16 bits and more, one or two channels.
bool ScopeDrawsFormat(int bitsPerSample, int channels);

// Offset from its baseline of sample k in the vectorscope, or none past the buffer's end.
// One channel: 8-bit s - 128, wider s / 250. Two channels: 8-bit (s - 128) / 2, wider
// s / 500 (s the top 16 bits, or a float sample on that scale as StripOffset takes it).
std::optional<int> ScopeOffset(const PieceList& data, int bitsPerSample, int channels,
                               std::uint64_t k, bool floatSamples = false);

// The areas the two traces can reach whatever the samples, magnification and mode: the strip
// stays within 74 +- 27 from x 58 to 322, the vectorscope within 131 pixels of its baselines
// and 734 columns from x 10 (its last columns may run past the picture's edge).
Rect StripTraceBounds();
Rect ScopeTraceBounds();

// Number of whole samples in the buffer for a sample width; 0 for bits 9 to 15.
std::uint64_t ElementCount(const PieceList& data, int bitsPerSample);

}  // namespace quorbel
