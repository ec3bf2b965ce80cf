#include "edit/fresh_bytes.h"

#include <sys/mman.h>

#include <algorithm>
#include <memory>
#include <new>

namespace quorbel {

FreshBytes MakeFreshBytes(std::size_t size) {
    if (size == 0) return {};
    constexpr std::size_t kMapped = std::size_t{32} << 20;
    if (size >= kMapped) {
        // A sound of many MiB is mapped with its pages made at once: the kernel makes them in
        // one pass, far quicker than a fault per page as the edit first touches each.
        void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (pages == MAP_FAILED) throw std::bad_alloc();
        auto* first = static_cast<std::uint8_t*>(pages);
        std::shared_ptr<std::uint8_t[]> owner(first,
                                              [size](std::uint8_t* p) { ::munmap(p, size); });
        return {SharedBytes{owner, size}, std::span<std::uint8_t>(first, size)};
    }
    std::shared_ptr<std::uint8_t[]> owner(new std::uint8_t[size]);
    std::span<std::uint8_t> bytes(owner.get(), size);
    return {SharedBytes{std::move(owner), size}, bytes};
}

SharedBytes SliceOf(const SharedBytes& bytes, std::size_t start, std::size_t end) {
    end = std::min(end, bytes.size);
    start = std::min(start, end);
    if (start == end) return {};
    return SharedBytes{std::shared_ptr<const std::uint8_t[]>(bytes.data, bytes.data.get() + start),
                       end - start};
}

}  // namespace quorbel
