#pragma once

// The byte work of Cut, Copy and Paste on a data chunk: take a stretch out, copy it, or put a
// block in, at offsets the caller has already rounded to whole frames.

#include <cstdint>
#include <span>
#include <vector>

namespace quorbel {

// The bytes [start, end) of `data`, with both ends limited to the data.
std::span<const std::uint8_t> Stretch(std::span<const std::uint8_t> data, std::uint32_t start,
                                      std::uint32_t end);

// `data` without the stretch [start, end): what is left of the sound after a cut.
std::vector<std::uint8_t> WithoutStretch(std::span<const std::uint8_t> data, std::uint32_t start,
                                         std::uint32_t end);

// `data` with `block` inserted at `offset` (limited to the data's size).
std::vector<std::uint8_t> WithBlockAt(std::span<const std::uint8_t> data, std::uint32_t offset,
                                      std::span<const std::uint8_t> block);

}  // namespace quorbel
