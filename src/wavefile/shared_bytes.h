#pragma once

// Sample bytes that several owners read and none changes: a device's sound, the view's
// display copy, a parsed data chunk. One allocation serves them all, so a large sound is
// held once however many parts of the program look at it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

namespace quorbel {

struct SharedBytes {
    std::shared_ptr<const std::uint8_t[]> data;  // null only when empty
    std::size_t size = 0;

    std::span<const std::uint8_t> span() const {
        return data ? std::span<const std::uint8_t>(data.get(), size)
                    : std::span<const std::uint8_t>();
    }
    bool empty() const { return size == 0; }
    // Whether `other` is the very same bytes (not merely equal ones): one snapshot of a sound.
    bool SameAs(const SharedBytes& other) const { return data == other.data && size == other.size; }
};

// Takes over a contiguous container of bytes (a vector, a ByteBuffer) without copying it.
template <class Container>
SharedBytes ShareBytes(Container&& bytes) {
    auto owner = std::make_shared<std::decay_t<Container>>(std::forward<Container>(bytes));
    const std::size_t size = owner->size();
    const std::uint8_t* first = owner->data();
    return SharedBytes{std::shared_ptr<const std::uint8_t[]>(std::move(owner), first), size};
}

// Bytes that someone else keeps alive for as long as the result is used: nothing is owned.
inline SharedBytes BorrowBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return {};
    return SharedBytes{std::shared_ptr<const std::uint8_t[]>(std::shared_ptr<void>(), bytes.data()),
                       bytes.size()};
}

}  // namespace quorbel
