#pragma once

// A new buffer for an edit's result, left unfilled: the edit writes every byte, so clearing
// it first would only cost a pass over a possibly large sound.

#include <cstddef>
#include <cstdint>
#include <span>

#include "wavefile/shared_bytes.h"

namespace quorbel {

struct FreshBytes {
    SharedBytes shared;             // what the new sound holds once filled
    std::span<std::uint8_t> bytes;  // the same bytes, to fill
};

// Throws std::bad_alloc when there is no room. A large buffer may be one a sound let go.
FreshBytes MakeFreshBytes(std::size_t size);
// Frees the large buffer kept for the next edit (a window closed: no edit may follow).
void DropSpareBytes();

// The bytes [start, end) of `bytes` as bytes of their own that keep the whole buffer alive:
// the clipboard and a snapshot share one allocation instead of copying.
SharedBytes SliceOf(const SharedBytes& bytes, std::size_t start, std::size_t end);

}  // namespace quorbel
