#include "wavefile/fresh_bytes.h"

#include <sys/mman.h>

#include <new>
#include <utility>

namespace quorbel {

FreshBytes::FreshBytes(std::size_t size) : m_size(size) {
    if (size == 0) return;
    void* memory =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    // Only advice: where huge pages are off, small ones serve the same.
    ::madvise(memory, size, MADV_HUGEPAGE);
    m_bytes = static_cast<std::uint8_t*>(memory);
}

FreshBytes::~FreshBytes() {
    if (m_bytes != nullptr) ::munmap(m_bytes, m_size);
}

FreshBytes::FreshBytes(FreshBytes&& other) noexcept
    : m_bytes(std::exchange(other.m_bytes, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

}  // namespace quorbel
