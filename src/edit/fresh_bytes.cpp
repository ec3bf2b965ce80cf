#include "edit/fresh_bytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace quorbel {
namespace {

constexpr std::size_t kLarge = std::size_t{32} << 20;

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

// Gives every page of new memory its frame at once, a stretch at a time: far cheaper than a
// fault on the first touch of each page (large-page advice made that touch slower still).
// A system that refuses (an older kernel) leaves the pages to be faulted in as they are filled.
void Populate(std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kStretch = std::size_t{64} << 20;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(bytes) + page - 1) & ~(page - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(bytes) + size) & ~(page - 1);
    for (std::uintptr_t at = from; at < to; at += kStretch) {
        const std::size_t n = std::min<std::uintptr_t>(kStretch, to - at);
        if (::madvise(reinterpret_cast<void*>(at), n, MADV_POPULATE_WRITE) != 0) return;
    }
}

// One large buffer kept when its last snapshot went (the sound an Undo or an edit let go):
// the next edit of about that size fills it instead of new memory, whose first touch of every
// page costs more than the edit itself. At most one is kept, and only while it is not much
// larger than what it is asked for.
struct Spare {
    std::mutex mutex;
    std::uint8_t* bytes = nullptr;
    std::size_t capacity = 0;
};
Spare& TheSpare() {
    static Spare spare;
    return spare;
}

void Return(std::uint8_t* bytes, std::size_t capacity) {
    Spare& spare = TheSpare();
    std::uint8_t* dropped = bytes;
    {
        std::lock_guard lock(spare.mutex);
        if (capacity >= spare.capacity) {
            std::swap(dropped, spare.bytes);
            spare.capacity = capacity;
        }
    }
    delete[] dropped;
}

std::uint8_t* TakeSpare(std::size_t size, std::size_t& capacity) {
    Spare& spare = TheSpare();
    std::lock_guard lock(spare.mutex);
    if (spare.bytes == nullptr || spare.capacity < size || spare.capacity / 5 * 4 > size) {
        return nullptr;
    }
    capacity = spare.capacity;
    spare.capacity = 0;
    return std::exchange(spare.bytes, nullptr);
}

}  // namespace

FreshBytes MakeFreshBytes(std::size_t size) {
    if (size == 0) return {};
    if (size < kLarge) {
        std::shared_ptr<std::uint8_t[]> owner(new std::uint8_t[size]);
        std::span<std::uint8_t> bytes(owner.get(), size);
        return {SharedBytes{std::move(owner), size}, bytes};
    }
    std::size_t capacity = size;
    std::uint8_t* first = TakeSpare(size, capacity);
    if (first == nullptr) {
        // A spare that does not fit goes first: it never adds to the memory an edit holds.
        DropSpareBytes();
        first = new std::uint8_t[size];
        Populate(first, size);
    }
    std::shared_ptr<std::uint8_t[]> owner(first,
                                          [capacity](std::uint8_t* p) { Return(p, capacity); });
    return {SharedBytes{std::move(owner), size}, std::span<std::uint8_t>(first, size)};
}

void DropSpareBytes() {
    Spare& spare = TheSpare();
    std::uint8_t* dropped = nullptr;
    {
        std::lock_guard lock(spare.mutex);
        dropped = std::exchange(spare.bytes, nullptr);
        spare.capacity = 0;
    }
    delete[] dropped;
}

SharedBytes SliceOf(const SharedBytes& bytes, std::size_t start, std::size_t end) {
    end = std::min(end, bytes.size);
    start = std::min(start, end);
    if (start == end) return {};
    return SharedBytes{std::shared_ptr<const std::uint8_t[]>(bytes.data, bytes.data.get() + start),
                       end - start};
}

}  // namespace quorbel
