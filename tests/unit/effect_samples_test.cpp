#include "effects/effect_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fakes/sample_formats.h"
#include "fakes/wav_builder.h"

namespace quorbel {
namespace {

using testing::Bytes;
using testing::Words;

TEST(EffectSamples, ReverseTurnsFramesAroundAndKeepsTheirBytes) {
    EXPECT_EQ(ReverseFrames(Bytes{1, 2, 3}, 1), (Bytes{3, 2, 1}));
    EXPECT_EQ(ReverseFrames(Bytes{1, 2, 3, 4}, 2), (Bytes{3, 4, 1, 2})) << "8-bit stereo";
    EXPECT_EQ(ReverseFrames(Words({0x1234, 0x5678}), 2), Words({0x5678, 0x1234}));
    EXPECT_EQ(ReverseFrames(Words({1, 2, 3, 4}), 4), Words({3, 4, 1, 2})) << "16-bit stereo";
    EXPECT_EQ(ReverseFrames(Bytes{1, 2, 3, 4, 5}, 2), (Bytes{3, 4, 1, 2, 5}))
        << "a partial frame stays at the end";
    const Bytes odd = testing::Ramp(4 * 33 + 3);
    EXPECT_EQ(ReverseFrames(ReverseFrames(odd, 4), 4), odd);
}

TEST(EffectSamples, FiltersTruncateTowardZeroAndKeepChannelsApart) {
    EXPECT_EQ(LowPass(Bytes{0, 255}, 8, 1), (Bytes{128, 255}))
        << "the last frame is its own partner";
    EXPECT_EQ(LowPass(Words({-3, -4}), 16, 1), Words({-3, -4}));
    EXPECT_EQ(HighPass(Words({-3, -4, 10}), 16, 1), Words({0, 7, 0}));
    // Constant sound: silence everywhere, the last frame included.
    EXPECT_EQ(HighPass(Bytes{200, 200, 200}, 8, 1), (Bytes{128, 128, 128}));
    EXPECT_EQ(HighPass(Words({500, 500}), 16, 1), Words({0, 0}));
    // Stereo, silent left: the left stays silent, the right alone is filtered.
    EXPECT_EQ(LowPass(Words({0, 100, 0, 300, 0, -50}), 16, 2), Words({0, 200, 0, 125, 0, -50}));
    EXPECT_EQ(LowPass(Bytes{128, 10, 128, 30}, 8, 2), (Bytes{128, 20, 128, 30}));
    // A 16-bit chunk's odd last byte is kept.
    EXPECT_EQ(LowPass(Bytes{2, 0, 4, 0, 9}, 16, 1), (Bytes{3, 0, 4, 0, 9}));
}

TEST(EffectSamples, OctavesKeepEverySecondFrameOrPutAnAverageBetweenPairs) {
    EXPECT_EQ(OctaveUp(Bytes{10, 20, 30, 40}, 8, 1), (Bytes{10, 30}));
    EXPECT_EQ(OctaveDown(Bytes{10, 20, 30, 40}, 8, 1), (Bytes{10, 15, 20, 30, 35, 40}));
    EXPECT_EQ(OctaveDown(Bytes{0, 255}, 8, 1), (Bytes{0, 128, 255}));
    EXPECT_EQ(OctaveDown(Words({-3, -4}), 16, 1), Words({-3, -3, -4}));
    EXPECT_EQ(OctaveDown(Words({2, 10, 4, 20}), 16, 2), Words({2, 10, 3, 15, 4, 20}));
    EXPECT_EQ(OctaveUp(Words({2, 10, 4, 20}), 16, 2), Words({2, 10}));
    // Odd frame counts: the last frame is kept, or copied once.
    EXPECT_EQ(OctaveUp(Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9}, 8, 1), (Bytes{1, 3, 5, 7, 9}));
    EXPECT_EQ(OctaveDown(Words({1, 2, 3, 4, 5, 6}), 16, 2), Words({1, 2, 2, 3, 3, 4, 5, 6}));
    EXPECT_EQ(OctaveUp(Bytes{1, 2, 3, 4, 5, 6, 7}, 8, 2), (Bytes{1, 2, 5, 6}))
        << "a partial frame is dropped";
    EXPECT_EQ(OctaveDown(OctaveUp(testing::Ramp(1000), 8, 1), 8, 1).size(), 750u);
}

TEST(EffectSamples, PartsSideBySideAreTheWholeResult) {
    using Whole = Bytes (*)(std::span<const std::uint8_t>, int, int);
    using Part =
        void (*)(std::span<const std::uint8_t>, int, int, std::uint64_t, std::span<std::uint8_t>);
    const Whole reverse = [](std::span<const std::uint8_t> d, int bits, int channels) {
        return ReverseFrames(d, bits / 8 * channels);
    };
    const Part reversePart = [](std::span<const std::uint8_t> d, int bits, int channels,
                                std::uint64_t from, std::span<std::uint8_t> out) {
        ReverseFramesPart(d, bits / 8 * channels, from, out);
    };
    const std::pair<Whole, Part> effects[] = {{reverse, reversePart},
                                              {LowPass, LowPassPart},
                                              {HighPass, HighPassPart},
                                              {OctaveUp, OctaveUpPart},
                                              {OctaveDown, OctaveDownPart}};
    // The narrow layouts and the wide integer ones, whose frames of 3, 6 and 8 bytes take
    // loops of their own.
    std::vector<testing::SampleFormat> formats(std::begin(testing::kSampleFormats),
                                               std::end(testing::kSampleFormats));
    formats.insert(formats.end(), {{24, 1}, {24, 2}, {32, 1}, {32, 2}});
    for (const testing::SampleFormat f : formats) {
        // Odd and even frame counts, a single frame, and a trailing partial frame.
        for (const std::size_t size :
             {f.frame() * 1, f.frame() * 12, f.frame() * 13, f.frame() * 13 + f.frame() - 1}) {
            const Bytes data = testing::Ramp(size);
            for (std::size_t e = 0; e < std::size(effects); ++e) {
                const Bytes whole = effects[e].first(data, f.bits, f.channels);
                // Pieces of 1, 2, 5 and 6 frames: inside, across and along octave-down triples.
                for (const std::size_t frames : {1u, 2u, 5u, 6u}) {
                    SCOPED_TRACE(::testing::Message()
                                 << f.bits << " bits, " << f.channels << " channels, " << size
                                 << " bytes, effect " << e << ", pieces of " << frames);
                    // Each piece is made in a buffer of its own size, where AddressSanitizer
                    // catches a write past its end that would land in the next piece.
                    Bytes parts(whole.size(), 0xEE);
                    const std::size_t piece = frames * f.frame();
                    for (std::size_t from = 0; from < parts.size(); from += piece) {
                        Bytes made(std::min(piece, parts.size() - from), 0xEE);
                        effects[e].second(data, f.bits, f.channels, from, made);
                        std::copy(made.begin(), made.end(), parts.begin() + from);
                    }
                    EXPECT_EQ(parts, whole);
                }
            }
        }
    }
}

}  // namespace
}  // namespace quorbel
