#include "audio/portaudio/spsc_byte_ring.h"

#include <algorithm>
#include <cstring>

namespace quorbel {

std::size_t SpscByteRing::write(std::span<const std::byte> data) {
    if (buffer_.empty()) return 0;
    const std::uint64_t w = written_.load(std::memory_order_relaxed);
    const std::uint64_t r = read_.load(std::memory_order_acquire);
    const std::size_t n = std::min<std::size_t>(data.size(), capacity() - (w - r));
    if (n == 0) return 0;
    const std::size_t at = w % capacity();
    const std::size_t first = std::min(n, capacity() - at);
    std::memcpy(buffer_.data() + at, data.data(), first);
    std::memcpy(buffer_.data(), data.data() + first, n - first);
    written_.store(w + n, std::memory_order_release);
    return n;
}

std::size_t SpscByteRing::read(std::span<std::byte> out) {
    if (buffer_.empty()) return 0;
    const std::uint64_t r = read_.load(std::memory_order_relaxed);
    const std::uint64_t w = written_.load(std::memory_order_acquire);
    const std::size_t n = std::min<std::size_t>(out.size(), w - r);
    if (n == 0) return 0;
    const std::size_t at = r % capacity();
    const std::size_t first = std::min(n, capacity() - at);
    std::memcpy(out.data(), buffer_.data() + at, first);
    std::memcpy(out.data() + first, buffer_.data(), n - first);
    read_.store(r + n, std::memory_order_release);
    return n;
}

}  // namespace quorbel
