#pragma once

#include <cstddef>
#include <cstdint>

namespace quorbel {

// The two-tap filters on 24-bit samples, four samples at a time where the processor has the
// instructions for it: out[k] = (x + partner) / 2, or with `difference` (partner - x) / 2,
// rounded half away from zero and clamped to 24 bits, for the samples at input bytes i, i + 3,
// ... whose partner is `stride` bytes on. It runs from byte `i` while a whole group of four
// fits before `paired` (the end of the samples that have a partner), its loads of 16 bytes fit
// in `size` and its store of 16 bytes fits before `end`; byte i goes to out[i - start].
// Returns the byte where it stopped, for the plain loop to go on from; `i` where it cannot run.
std::size_t TwoTap24Groups(const std::uint8_t* in, std::size_t size, std::size_t stride,
                           std::size_t i, std::size_t paired, std::size_t start, std::size_t end,
                           std::uint8_t* out, bool difference);

}  // namespace quorbel
