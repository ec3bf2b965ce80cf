#pragma once

// Memory for a whole sound about to be read in: made without touching its bytes (even in a
// build without optimisation), and in huge pages where the system gives them, so that filling
// a GiB costs a few hundred page faults rather than a quarter of a million.

#include <cstddef>
#include <cstdint>

namespace quorbel {

class FreshBytes {
  public:
    // Throws std::bad_alloc when there is no memory for `size` bytes.
    explicit FreshBytes(std::size_t size);
    ~FreshBytes();
    FreshBytes(FreshBytes&& other) noexcept;
    FreshBytes& operator=(FreshBytes&&) = delete;
    FreshBytes(const FreshBytes&) = delete;
    FreshBytes& operator=(const FreshBytes&) = delete;

    std::uint8_t* data() { return m_bytes; }
    const std::uint8_t* data() const { return m_bytes; }
    std::size_t size() const { return m_size; }

  private:
    std::uint8_t* m_bytes = nullptr;
    std::size_t m_size = 0;
};

}  // namespace quorbel
