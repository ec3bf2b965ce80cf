#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace quorbel {

// An allocator that leaves new elements uninitialised on resize(), so a buffer that is about to
// be filled by one big read (a 1 GiB sound) is not first zeroed byte by byte.
template <typename T>
struct DefaultInitAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() = default;
    template <typename U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}

    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        std::allocator_traits<std::allocator<T>>::construct(static_cast<std::allocator<T>&>(*this),
                                                            p, std::forward<Args>(args)...);
    }
};

// Sample bytes of a sound.
using ByteBuffer = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// A fixed number of bytes made without touching them, even in a build without optimisation
// (where resize() above still steps through every byte): for a whole sound about to be read.
class FreshBytes {
  public:
    // Throws std::bad_alloc when there is no memory for them.
    explicit FreshBytes(std::size_t size)
        : m_bytes(std::make_unique_for_overwrite<std::uint8_t[]>(size)), m_size(size) {}
    std::uint8_t* data() { return m_bytes.get(); }
    const std::uint8_t* data() const { return m_bytes.get(); }
    std::size_t size() const { return m_size; }

  private:
    std::unique_ptr<std::uint8_t[]> m_bytes;
    std::size_t m_size;
};

}  // namespace quorbel
