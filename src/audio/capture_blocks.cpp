#include "audio/capture_blocks.h"

#include <algorithm>
#include <cstring>

namespace quorbel {

void CaptureBlocks::drain(const std::function<std::size_t(std::span<std::byte>)>& read,
                          std::size_t step) {
    for (;;) {
        if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < step) {
            ByteBuffer block;
            block.reserve(std::max(kBlockBytes, step));
            blocks_.push_back(std::move(block));
        }
        ByteBuffer& block = blocks_.back();
        const std::size_t old = block.size();
        block.resize(old + step);  // within the capacity: nothing moves
        const std::size_t got = read(std::as_writable_bytes(std::span(block.data() + old, step)));
        block.resize(old + got);
        bytes_ += got;
        if (got < step) return;
    }
}

ByteBuffer CaptureBlocks::join(std::size_t bytes) const {
    bytes = std::min(bytes, bytes_);
    ByteBuffer all;
    all.resize(bytes);
    std::size_t at = 0;
    for (const ByteBuffer& block : blocks_) {
        const std::size_t n = std::min(block.size(), bytes - at);
        if (n > 0) std::memcpy(all.data() + at, block.data(), n);
        at += n;
    }
    return all;
}

void CaptureBlocks::clear() {
    blocks_.clear();
    bytes_ = 0;
}

}  // namespace quorbel
