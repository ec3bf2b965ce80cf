#pragma once

// Bytes of their own cut from a sound's bytes without a copy.

#include <cstddef>

#include "wavefile/shared_bytes.h"

namespace quorbel {

// The bytes [start, end) of `bytes` as bytes of their own that keep the whole buffer alive:
// the clipboard and a snapshot share one allocation instead of copying.
SharedBytes SliceOf(const SharedBytes& bytes, std::size_t start, std::size_t end);

}  // namespace quorbel
