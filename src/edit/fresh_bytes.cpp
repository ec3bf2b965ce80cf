#include "edit/fresh_bytes.h"

#include <sys/mman.h>

#include <algorithm>
#include <memory>

namespace quorbel {

FreshBytes MakeFreshBytes(std::size_t size) {
    if (size == 0) return {};
    std::shared_ptr<std::uint8_t[]> owner(new std::uint8_t[size]);
    // A sound of many MiB is filled once from start to end: large pages spare most of the
    // page faults of touching it for the first time. Only advice; refused, nothing changes.
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    if (size >= 4 * kHuge) {
        const auto first = reinterpret_cast<std::uintptr_t>(owner.get());
        const std::uintptr_t from = (first + kHuge - 1) & ~(kHuge - 1);
        const std::uintptr_t to = (first + size) & ~(kHuge - 1);
        if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
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
