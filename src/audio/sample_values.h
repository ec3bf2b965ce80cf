#pragma once

// A stored sample as a number, for every layout the editor opens: 8-bit unsigned bytes around
// 128, 16-, 24- and 32-bit signed little-endian integers, and 32-bit IEEE float. The edits,
// effects, Paste's conversions and the drawing all read and write samples through these, so
// that each format is handled the same way everywhere.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "audio/audio_backend.h"

namespace quorbel {

// The layout of samples `bits` wide, float or integer. Widths other than 8, 16, 24 and 32
// give the nearest narrower integer layout.
SampleType SampleTypeFor(int bits, bool isFloat);

// The width in bits of a layout's samples.
int SampleBits(SampleType type);

// Whether Paste, the filters, the octave shifts and the level effects work on the layout:
// every one the device opens, mono or stereo.
bool IsEditableLayout(SampleType type, int channels);

// "16-bit stereo", "32-bit float mono", "8-bit 6-channel": for messages about formats.
std::string SampleFormatName(SampleType type, int channels);

// The value of one sample: an integer's signed value (an 8-bit byte less 128), a float's own.
double ReadSampleValue(SampleType type, const std::uint8_t* p);

// Stores `v`: an integer layout rounds it half away from zero and clamps it to its range (a
// NaN stores 0); float keeps it as it is, beyond +-1.0 too.
void WriteSampleValue(SampleType type, std::uint8_t* p, double v);

// The largest positive value of a layout, the level Normalize measures against: 2^(bits-1)-1
// for integers, 1.0 for float.
double FullScaleValue(SampleType type);

// Converts min(in, out) samples from one layout to another: integers widen by a left shift
// and narrow divided by 2^(bits lost), rounded half away from zero and clamped; integers
// become float as v / 2^(bits-1), float becomes an integer as v x 2^(bits-1), rounded and
// clamped (NaN 0). The same layout is copied. Returns the samples converted.
std::size_t ConvertSampleRun(std::span<const std::uint8_t> in, SampleType from,
                             std::span<std::uint8_t> out, SampleType to);

// Puts 0 in place of every NaN or infinite sample of a float block, for an output that
// cannot be trusted with them.
void SilenceNonFinite(std::span<std::uint8_t> bytes);

// How many samples of a float block are NaN or infinite (0 for the integer layouts).
std::uint64_t CountNonFiniteSamples(std::span<const std::uint8_t> bytes, SampleType type);

}  // namespace quorbel
