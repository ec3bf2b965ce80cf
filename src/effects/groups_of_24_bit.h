#pragma once

#include <cstddef>
#include <cstdint>

namespace quorbel {

// The filters and octave down on 24-bit sound, four samples at a time where the processor has
// the instructions for it. Each rounds half away from zero and clamps to 24 bits, as the plain
// loops do, and returns where it stopped for them to go on from: where it started when it
// cannot run.

// out[k] = (x + partner) / 2, or with `difference` (partner - x) / 2, for the samples at input
// bytes i, i + 3, ... whose partner is `stride` bytes on. It runs from byte `i` while a whole
// group of four fits before `paired` (the end of the samples that have a partner), its loads
// of 16 bytes fit in `size` and its store of 16 bytes fits before `end`; byte i goes to
// out[i - start].
std::size_t TwoTap24Groups(const std::uint8_t* in, std::size_t size, std::size_t stride,
                           std::size_t i, std::size_t paired, std::size_t start, std::size_t end,
                           std::uint8_t* out, bool difference);

// Octave down's frames for the pairs of frames from `pair` (two a group for one channel, one
// for two channels): each pair's first frame, their average, its second frame, written from
// `out` on. It runs while a whole group fits before `pairEnd` and 16 bytes from the group's
// first byte are within `size`. Returns the pair where it stopped.
std::size_t OctaveDown24Groups(const std::uint8_t* in, std::size_t size, int channels,
                               std::size_t pair, std::size_t pairEnd, std::uint8_t* out);

}  // namespace quorbel
