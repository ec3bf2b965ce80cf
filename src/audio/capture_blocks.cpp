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

void CaptureBlocks::visit(std::size_t from, std::size_t bytes,
                          const std::function<void(std::span<const std::uint8_t>)>& piece) const {
    from = std::min(from, bytes_);
    const std::size_t end = from + std::min(bytes, bytes_ - from);
    std::size_t blockStart = 0;
    for (const ByteBuffer& block : blocks_) {
        const std::size_t blockEnd = blockStart + block.size();
        if (blockEnd > from && blockStart < end) {
            const std::size_t first = std::max(from, blockStart) - blockStart;
            const std::size_t last = std::min(end, blockEnd) - blockStart;
            piece(std::span<const std::uint8_t>(block.data() + first, last - first));
        }
        if (blockEnd >= end) return;
        blockStart = blockEnd;
    }
}

void CaptureBlocks::moveOut(std::span<std::uint8_t> out) {
    std::size_t at = 0;
    for (ByteBuffer& block : blocks_) {
        const std::size_t n = std::min(block.size(), out.size() - at);
        if (n > 0) std::memcpy(out.data() + at, block.data(), n);
        at += n;
        ByteBuffer().swap(block);  // gives the block's memory back now, not after the rest
    }
    clear();
}

void CaptureBlocks::clear() {
    blocks_.clear();
    bytes_ = 0;
}

}  // namespace quorbel
