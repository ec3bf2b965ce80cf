#pragma once

// The little-endian field access of every RIFF WAVE reader and writer and of the sample
// conversions, over the one byte type of the wave-file layer (std::uint8_t).

#include <cstddef>
#include <cstdint>

namespace quorbel {

// The unsigned value of `width` (1 to 4) little-endian bytes.
constexpr std::uint32_t LoadLe(const std::uint8_t* p, std::size_t width) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < width; ++i) v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

// Stores the low `width` (1 to 4) bytes of `v`, least significant first.
constexpr void StoreLe(std::uint8_t* p, std::uint32_t v, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

constexpr std::uint16_t LoadLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(LoadLe(p, 2));
}
constexpr std::uint32_t LoadLe32(const std::uint8_t* p) {
    return LoadLe(p, 4);
}
constexpr std::uint64_t LoadLe64(const std::uint8_t* p) {
    return LoadLe32(p) | std::uint64_t{LoadLe32(p + 4)} << 32;
}
constexpr void StoreLe16(std::uint8_t* p, std::uint16_t v) {
    StoreLe(p, v, 2);
}
constexpr void StoreLe32(std::uint8_t* p, std::uint32_t v) {
    StoreLe(p, v, 4);
}

}  // namespace quorbel
