#include "audio/portaudio/spsc_byte_ring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace quorbel {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (int v : values) out.push_back(static_cast<std::byte>(v));
    return out;
}

TEST(SpscByteRing, KeepsOrderAcrossTheWrapAndRefusesWhatDoesNotFit) {
    SpscByteRing ring(5);
    EXPECT_EQ(ring.write(bytes({1, 2, 3, 4})), 4u);
    std::vector<std::byte> out(3);
    EXPECT_EQ(ring.read(out), 3u);
    EXPECT_EQ(out, bytes({1, 2, 3}));
    // 4 is still in; 6 more bytes offered, only 4 fit and they wrap around the end.
    EXPECT_EQ(ring.write(bytes({5, 6, 7, 8, 9, 10})), 4u);
    EXPECT_EQ(ring.writable(), 0u);
    EXPECT_EQ(ring.write(bytes({11})), 0u);
    out.assign(10, std::byte{0});
    EXPECT_EQ(ring.read(out), 5u);
    out.resize(5);
    EXPECT_EQ(out, bytes({4, 5, 6, 7, 8}));
    EXPECT_EQ(ring.readable(), 0u);
    EXPECT_EQ(ring.read(out), 0u);
}

TEST(SpscByteRing, PassesAStreamBetweenTwoThreadsIntact) {
    // Odd ring and chunk sizes make the producer and the consumer meet at every offset.
    SpscByteRing ring(1021);
    constexpr std::size_t kTotal = 1'000'000;
    std::thread producer([&] {
        std::vector<std::byte> chunk(97);
        std::size_t sent = 0;
        while (sent < kTotal) {
            const std::size_t n = std::min(chunk.size(), kTotal - sent);
            for (std::size_t i = 0; i < n; ++i) chunk[i] = static_cast<std::byte>((sent + i) * 7);
            std::size_t done = 0;
            while (done < n) done += ring.write(std::span(chunk).subspan(done, n - done));
            sent += n;
        }
    });
    std::vector<std::byte> chunk(131);
    std::size_t received = 0, wrong = 0;
    while (received < kTotal) {
        const std::size_t n = ring.read(chunk);
        for (std::size_t i = 0; i < n; ++i)
            wrong += chunk[i] != static_cast<std::byte>((received + i) * 7);
        received += n;
    }
    producer.join();
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(ring.readable(), 0u);
}

}  // namespace
}  // namespace quorbel
