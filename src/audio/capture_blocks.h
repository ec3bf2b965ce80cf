#pragma once

// Captured audio of a running recording, kept in fixed blocks that never move. The device's
// worker drains the capture ring into it while holding the device lock; appending therefore
// never copies what is already there, so a drain stays short however long the recording runs
// (one growing buffer copied itself whole now and then, long enough for the ring to overflow).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "wavefile/byte_buffer.h"

namespace quorbel {

class CaptureBlocks {
  public:
    // Appends what `read` puts into the space it is given (at most `step` bytes a call) until
    // it gives less than asked. Throws std::bad_alloc when no new block can be had.
    void drain(const std::function<std::size_t(std::span<std::byte>)>& read, std::size_t step);

    std::size_t size() const { return bytes_; }

    // Hands the `bytes` bytes from offset `from` (clipped to what is stored) to `piece`, in
    // order, one stored piece at a time, without copying them.
    void visit(std::size_t from, std::size_t bytes,
               const std::function<void(std::span<const std::uint8_t>)>& piece) const;

    // Copies the first out.size() bytes (at most size()) into `out` and empties the store,
    // freeing each block as soon as it is copied: a long recording moved into its sound is
    // never held twice.
    void moveOut(std::span<std::uint8_t> out);

    void clear();

  private:
    static constexpr std::size_t kBlockBytes = std::size_t{4} << 20;
    std::vector<ByteBuffer> blocks_;
    std::size_t bytes_ = 0;
};

}  // namespace quorbel
