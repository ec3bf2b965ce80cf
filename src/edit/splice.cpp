// Cutting a stretch out of sample bytes and inserting a block into them.

#include "edit/splice.h"

#include <algorithm>

namespace quorbel {

std::span<const std::uint8_t> Stretch(std::span<const std::uint8_t> data, std::uint32_t start,
                                      std::uint32_t end) {
    const std::size_t from = std::min<std::size_t>(start, data.size());
    const std::size_t to = std::clamp<std::size_t>(end, from, data.size());
    return data.subspan(from, to - from);
}

std::vector<std::uint8_t> WithoutStretch(std::span<const std::uint8_t> data, std::uint32_t start,
                                         std::uint32_t end) {
    const std::span<const std::uint8_t> cut = Stretch(data, start, end);
    const auto from = static_cast<std::size_t>(cut.data() - data.data());
    std::vector<std::uint8_t> out;
    out.reserve(data.size() - cut.size());
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(from));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(from + cut.size()),
               data.end());
    return out;
}

std::vector<std::uint8_t> WithBlockAt(std::span<const std::uint8_t> data, std::uint32_t offset,
                                      std::span<const std::uint8_t> block) {
    const auto at = static_cast<std::ptrdiff_t>(std::min<std::size_t>(offset, data.size()));
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + block.size());
    out.insert(out.end(), data.begin(), data.begin() + at);
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), data.begin() + at, data.end());
    return out;
}

}  // namespace quorbel
