// The recording store the device's worker drains the capture into: what goes in comes out in
// order, and what is stored never moves while more is appended (so a drain never copies the
// recording so far, however long it is).

#include "audio/capture_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorbel {
namespace {

// A capture that has `left` bytes of a counting pattern ready, handed out in whole 4-byte
// frames.
struct FakeCapture {
    std::size_t next = 0;
    std::size_t left = 0;
    const std::byte* first = nullptr;  // where the first byte went
    std::size_t read(std::span<std::byte> out) {
        if (first == nullptr && left > 0) first = out.data();
        const std::size_t n = std::min(out.size() / 4 * 4, left);
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::byte>((next + i) * 7);
        next += n;
        left -= n;
        return n;
    }
};

TEST(CaptureBlocks, KeepsEverythingInOrderWithoutMovingWhatIsStored) {
    CaptureBlocks store;
    FakeCapture capture;
    const auto read = [&capture](std::span<std::byte> out) { return capture.read(out); };
    // Drains of many sizes, ten times the size of one block in all.
    std::size_t total = 0;
    for (std::size_t round = 0; total < (std::size_t{40} << 20); ++round) {
        capture.left = 4 * (1 + round * 977 % 300000);
        total += capture.left;
        store.drain(read, 64 * 1024);
        ASSERT_EQ(capture.left, 0u);
        ASSERT_EQ(store.size(), total);
    }
    // The first byte is still where it was written (a moved block would be freed memory, which
    // the sanitizer build reports).
    EXPECT_EQ(*capture.first, std::byte{0});
    // A range across block boundaries comes in order, clipped to what is stored.
    const std::size_t from = total / 3 + 1;
    std::size_t at = from;
    std::size_t wrong = 0;
    store.visit(from, total, [&](std::span<const std::uint8_t> piece) {
        for (std::uint8_t b : piece) wrong += b != static_cast<std::uint8_t>(at++ * 7);
    });
    EXPECT_EQ(at, total);
    EXPECT_EQ(wrong, 0u);
    store.visit(total, 10, [](std::span<const std::uint8_t>) { FAIL() << "nothing is there"; });

    ByteBuffer all(total - 3);  // fewer than stored, as a recording stopped at the size limit
    store.moveOut(all);
    for (std::size_t i = 0; i < all.size(); i += 4093)
        ASSERT_EQ(all[i], static_cast<std::uint8_t>(i * 7)) << i;
    EXPECT_EQ(all.back(), static_cast<std::uint8_t>((total - 4) * 7));
    EXPECT_EQ(store.size(), 0u);
}

}  // namespace
}  // namespace quorbel
