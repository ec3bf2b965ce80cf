#pragma once

// Conversions of clipboard sample blocks between the formats Paste joins: 8-, 16-, 24- and
// 32-bit integers and 32-bit float, mono and stereo. Each takes whole frames of its input; a
// trailing partial frame is dropped.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_backend.h"

namespace quorbel {

// True when a block of `from` samples in `fromChannels` can be pasted into a sound of `to`
// samples in `toChannels`: the same format, or any pair of layouts in mono or stereo.
bool CanPasteBetween(SampleType from, int fromChannels, SampleType to, int toChannels);

// 8-bit unsigned u -> 16-bit (u - 128) x 256.
std::vector<std::uint8_t> WidenTo16Bits(std::span<const std::uint8_t> bytes8);
// 16-bit signed s -> 8-bit (s + 32768) / 256.
std::vector<std::uint8_t> NarrowTo8Bits(std::span<const std::uint8_t> bytes16);

// Stereo to mono: each frame averaged with the next one (the last with itself), truncated
// toward zero; 8-bit samples around their silence of 128.
std::vector<std::uint8_t> StereoToMono(std::span<const std::uint8_t> stereo, int bits);
// Mono to stereo: each sample written twice, left and right.
std::vector<std::uint8_t> MonoToStereo(std::span<const std::uint8_t> mono, int bits);

// Every sample of `bytes` from one layout to another, channels kept:
// - 8 <-> 16 bits as WidenTo16Bits and NarrowTo8Bits;
// - other integer widenings shift left, exactly; narrowings divide by 2^(bits lost), rounded
//   half away from zero and clamped (no dither, so the result is reproducible);
// - integer to float v / 2^(bits-1); float to integer v x 2^(bits-1), rounded half away from
//   zero and clamped (a NaN gives 0).
std::vector<std::uint8_t> ConvertSamples(std::span<const std::uint8_t> bytes, SampleType from,
                                         SampleType to);

// Stereo to mono and back in any layout: 8 and 16 bits as above; the wider layouts average
// in double and store with their own rounding (float unrounded).
std::vector<std::uint8_t> StereoToMono(std::span<const std::uint8_t> stereo, SampleType type);
std::vector<std::uint8_t> MonoToStereo(std::span<const std::uint8_t> mono, SampleType type);

// A clipboard block of `from`/`fromChannels` in the layout and channels of the sound it is
// pasted into: samples converted first, then channels.
std::vector<std::uint8_t> ConvertClip(std::span<const std::uint8_t> bytes, SampleType from,
                                      int fromChannels, SampleType to, int toChannels);

}  // namespace quorbel
