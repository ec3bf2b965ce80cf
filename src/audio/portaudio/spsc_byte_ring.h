#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorbel {

// A fixed-size byte ring for one producer thread and one consumer thread, without locks.
// The buffer is allocated once by the constructor; write() and read() only copy bytes and
// publish a counter, so the producer may be a real-time audio callback.
class SpscByteRing {
  public:
    explicit SpscByteRing(std::size_t capacity) : buffer_(capacity) {}
    SpscByteRing(const SpscByteRing&) = delete;
    SpscByteRing& operator=(const SpscByteRing&) = delete;

    std::size_t capacity() const { return buffer_.size(); }

    // Producer side: bytes that write() can take now.
    std::size_t writable() const {
        return capacity() -
               (written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire));
    }
    // Consumer side: bytes that read() can give now.
    std::size_t readable() const {
        return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_relaxed);
    }

    // Producer: copies in as much of `data` as fits; returns the byte count taken.
    std::size_t write(std::span<const std::byte> data);
    // Consumer: copies out up to out.size() bytes; returns the byte count given.
    std::size_t read(std::span<std::byte> out);

  private:
    std::vector<std::byte> buffer_;
    // Running totals; their difference is the fill level. 64 bits never wrap in practice.
    std::atomic<std::uint64_t> written_{0};
    std::atomic<std::uint64_t> read_{0};
};

}  // namespace quorbel
