// A sound's list of pieces against a plain byte vector: random cuts, copies, pastes and
// silence, then every way of reading the bytes back.

#include "wavefile/piece_list.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "fakes/piece_bytes.h"

namespace quorbel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PieceList, RandomSplicesReadBackAsTheirModelInEveryWay) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto below = [&](std::uint64_t n) {
            return n == 0 ? 0 : std::uniform_int_distribution<std::uint64_t>(0, n - 1)(random);
        };
        Bytes source(5000);
        for (std::size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<std::uint8_t>(i * 37 + i / 256);
        PieceList list{ShareBytes(Bytes(source))};
        Bytes model = source;
        PieceList clip;
        Bytes clipModel;
        for (int step = 0; step < 60; ++step) {
            const std::uint64_t a = below(model.size() + 1), b = a + below(model.size() - a + 1);
            switch (below(4)) {
                case 0:  // Cut
                    clip = list.Slice(a, b);
                    clipModel.assign(model.begin() + a, model.begin() + b);
                    list = list.Slice(0, a).Then(list.Slice(b, list.size()));
                    model.erase(model.begin() + a, model.begin() + b);
                    break;
                case 1:  // Copy, ends past the list limited to it
                    clip = list.Slice(a, b + 10);
                    clipModel.assign(model.begin() + a,
                                     model.begin() + std::min<std::uint64_t>(b + 10, model.size()));
                    break;
                case 2:  // Paste
                    list = list.Slice(0, a).Then(clip).Then(list.Slice(a, list.size()));
                    model.insert(model.begin() + a, clipModel.begin(), clipModel.end());
                    break;
                case 3: {  // Silence
                    const std::uint8_t fill = below(2) == 0 ? 0 : 128;
                    const std::uint64_t n = below(300);
                    list = list.Slice(0, a)
                               .Then(PieceList::Silence(n, fill))
                               .Then(list.Slice(a, list.size()));
                    model.insert(model.begin() + a, n, fill);
                    break;
                }
            }
            ASSERT_EQ(list.size(), model.size());
        }
        EXPECT_EQ(BytesOf(list), model);
        EXPECT_EQ(BytesOf(clip), clipModel);
        const SharedBytes contiguous = list.Contiguous();
        EXPECT_EQ(Bytes(contiguous.span().begin(), contiguous.span().end()), model);
        for (int probe = 0; probe < 50 && !model.empty(); ++probe) {
            const std::uint64_t at = below(model.size());
            ASSERT_EQ(list.At(at), model[at]);
            Bytes some(below(400));
            list.Read(at, some);
            const std::size_t n = std::min<std::size_t>(some.size(), model.size() - at);
            EXPECT_TRUE(std::equal(some.begin(), some.begin() + n, model.begin() + at));
            Bytes visited;
            ForEachStretch(list, at, at + some.size(), [&](std::span<const std::uint8_t> s) {
                visited.insert(visited.end(), s.begin(), s.end());
            });
            EXPECT_EQ(visited, Bytes(model.begin() + at, model.begin() + at + n));
        }
        EXPECT_LE(list.Blocks().size(), 1u) << "one block however it was spliced";
    }
}

TEST(PieceList, ACutPastedBackWhereItWasLeavesOnePieceAndSharesTheBlock) {
    const PieceList whole{ShareBytes(Bytes(1000, 7))};
    const PieceList cut = whole.Slice(100, 300);
    const PieceList rest = whole.Slice(0, 100).Then(whole.Slice(300, 1000));
    EXPECT_EQ(rest.pieces().size(), 2u);
    const PieceList back = rest.Slice(0, 100).Then(cut).Then(rest.Slice(100, rest.size()));
    EXPECT_EQ(back.pieces().size(), 1u);
    EXPECT_EQ(back.pieces()[0].block, whole.pieces()[0].block);
    EXPECT_FALSE(back.SameAs(whole)) << "equal bytes, another snapshot";
    EXPECT_TRUE(back.SameAs(back));
    // A single piece is read in place; only a list of several is copied.
    EXPECT_EQ(cut.Contiguous().data.get(), whole.pieces()[0].block->bytes.data.get() + 100);
}

}  // namespace
}  // namespace quorbel
