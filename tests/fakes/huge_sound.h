#pragma once

// Address space for more sound than a WAVE file holds, taking no memory until read: a writer
// can be handed 4 GiB of silence and refuse it (or begin writing it) without the test having
// it.

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorbel::testing {

class HugeSound {
  public:
    explicit HugeSound(std::size_t size) : size_(size) {
        base_ =
            ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    }
    ~HugeSound() {
        if (base_ != MAP_FAILED) ::munmap(base_, size_);
    }
    HugeSound(const HugeSound&) = delete;
    HugeSound& operator=(const HugeSound&) = delete;

    bool ok() const { return base_ != MAP_FAILED; }
    // The first `count` bytes (at most the size asked for).
    std::span<const std::uint8_t> first(std::size_t count) const {
        return {static_cast<const std::uint8_t*>(base_), count};
    }

  private:
    void* base_ = MAP_FAILED;
    std::size_t size_;
};

}  // namespace quorbel::testing
