#pragma once

// The bytes of a sound's pieces as one vector, for comparing with what a test expects.

#include <cstdint>
#include <optional>
#include <vector>

#include "wavefile/piece_list.h"

namespace quorbel {

inline std::vector<std::uint8_t> BytesOf(const PieceList& pieces) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(pieces.size()));
    pieces.Read(0, bytes);
    return bytes;
}

inline std::vector<std::uint8_t> BytesOf(const std::optional<PieceList>& pieces) {
    return pieces ? BytesOf(*pieces) : std::vector<std::uint8_t>{};
}

}  // namespace quorbel
