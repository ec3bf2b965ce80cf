#pragma once

// The sample work of the effects, over the bytes of a data chunk: reverse, the two-tap low-
// and high-pass filters, and the octave shifts. Each takes whole frames and returns the new
// bytes; none looks at a file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/audio_backend.h"

namespace quorbel {

// The frames in reverse order, each frame's bytes kept as they are; a trailing partial frame
// stays at the end. Reversing twice gives back the input.
std::vector<std::uint8_t> ReverseFrames(std::span<const std::uint8_t> data, int frameBytes);

// y[i] = (x[i] + x[i+C]) / 2 (low pass) or (x[i+C] - x[i]) / 2 (high pass), truncated toward
// zero, 8-bit samples taken around 128; x[i+C] is the next frame's sample of the same
// channel, and the last frame is its own partner. A 16-bit chunk's odd last byte is kept.
std::vector<std::uint8_t> LowPass(std::span<const std::uint8_t> data, int bits, int channels);
std::vector<std::uint8_t> HighPass(std::span<const std::uint8_t> data, int bits, int channels);

// Octave up: the even-numbered frames 0, 2, 4, ... (with an odd count the last one too).
std::vector<std::uint8_t> OctaveUp(std::span<const std::uint8_t> data, int bits, int channels);
// Octave down: each pair of frames A, B becomes A, the average of A and B, B; a last unpaired
// frame is copied once.
std::vector<std::uint8_t> OctaveDown(std::span<const std::uint8_t> data, int bits, int channels);

// Part of the same work: the bytes [from, from + out.size()) of what the effect makes of the
// whole of `data`. `from` is a multiple of the frame, and so is the end unless it is the end
// of what the effect makes; the parts of any such split, side by side, are the whole result.
void ReverseFramesPart(std::span<const std::uint8_t> data, int frameBytes, std::uint64_t from,
                       std::span<std::uint8_t> out);
void LowPassPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                 std::span<std::uint8_t> out);
void HighPassPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                  std::span<std::uint8_t> out);
void OctaveUpPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                  std::span<std::uint8_t> out);
void OctaveDownPart(std::span<const std::uint8_t> data, int bits, int channels, std::uint64_t from,
                    std::span<std::uint8_t> out);

// The same in any layout the editor opens. 8 and 16 bits run the integer arithmetic above;
// 24 and 32 bits compute in double and round half away from zero, clamped to their range;
// float computes in double and stays float, unclamped.
void LowPassPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                 std::uint64_t from, std::span<std::uint8_t> out);
void HighPassPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                  std::uint64_t from, std::span<std::uint8_t> out);
void OctaveUpPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                  std::uint64_t from, std::span<std::uint8_t> out);
void OctaveDownPart(std::span<const std::uint8_t> data, SampleType type, int channels,
                    std::uint64_t from, std::span<std::uint8_t> out);
std::size_t FrameBytesOf(SampleType type, int channels);
std::uint64_t OctaveUpBytes(std::uint64_t dataBytes, SampleType type, int channels);
std::uint64_t OctaveDownBytes(std::uint64_t dataBytes, SampleType type, int channels);

// The bytes of one frame of the filters and octave shifts.
std::size_t FrameBytesOf(int bits, int channels);

// The sizes in bytes the octave shifts make of `dataBytes` bytes of sound.
std::uint64_t OctaveUpBytes(std::uint64_t dataBytes, int bits, int channels);
std::uint64_t OctaveDownBytes(std::uint64_t dataBytes, int bits, int channels);

}  // namespace quorbel
