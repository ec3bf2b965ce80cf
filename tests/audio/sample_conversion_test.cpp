#include "audio/portaudio/sample_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace quorbel {
namespace {

template <typename T>
std::vector<std::byte> asBytes(const std::vector<T>& v) {
    std::vector<std::byte> out(v.size() * sizeof(T));
    std::memcpy(out.data(), v.data(), out.size());
    return out;
}

template <typename T>
std::vector<T> fromBytes(const std::vector<std::byte>& b) {
    std::vector<T> out(b.size() / sizeof(T));
    std::memcpy(out.data(), b.data(), out.size() * sizeof(T));
    return out;
}

std::vector<std::byte> convert(const std::vector<std::byte>& in, SampleType from, SampleType to) {
    std::vector<std::byte> out(in.size() / bytesPerSample(from) * bytesPerSample(to));
    EXPECT_EQ(convertSamples(in, from, out, to), in.size() / bytesPerSample(from));
    return out;
}

TEST(SampleConversion, EveryEightAndSixteenBitValueSurvivesARoundTripThroughWiderTypes) {
    std::vector<std::uint8_t> u8(256);
    for (int i = 0; i < 256; ++i) u8[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    std::vector<std::int16_t> s16(65536);
    for (int i = 0; i < 65536; ++i)
        s16[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i - 32768);
    for (SampleType wide : {SampleType::S16, SampleType::S24, SampleType::S32, SampleType::F32}) {
        EXPECT_EQ(convert(convert(asBytes(u8), SampleType::U8, wide), wide, SampleType::U8),
                  asBytes(u8));
        if (wide != SampleType::S16) {
            EXPECT_EQ(convert(convert(asBytes(s16), SampleType::S16, wide), wide, SampleType::S16),
                      asBytes(s16));
        }
    }
}

TEST(SampleConversion, MapsSilenceAndFullScaleAndSignExtends24Bit) {
    // 8-bit silence is 128; the most negative 8-bit value is full negative scale.
    EXPECT_EQ(fromBytes<std::int16_t>(convert(asBytes(std::vector<std::uint8_t>{128, 0, 255}),
                                              SampleType::U8, SampleType::S16)),
              (std::vector<std::int16_t>{0, -32768, 32512}));
    // 0x800000 is the most negative 24-bit sample, 0xFFFFFF is -1.
    const std::vector<std::byte> s24{std::byte{0x00}, std::byte{0x00}, std::byte{0x80},
                                     std::byte{0xFF}, std::byte{0xFF}, std::byte{0xFF}};
    EXPECT_EQ(fromBytes<std::int32_t>(convert(s24, SampleType::S24, SampleType::S32)),
              (std::vector<std::int32_t>{INT32_MIN, -256}));
}

TEST(SampleConversion, ClampsFloatsBeyondFullScale) {
    const auto out = fromBytes<std::int16_t>(
        convert(asBytes(std::vector<float>{1.5f, -3.0f, 1.0f}), SampleType::F32, SampleType::S16));
    EXPECT_EQ(out, (std::vector<std::int16_t>{32767, -32768, 32767}));
    const auto u8 =
        convert(asBytes(std::vector<float>{2.0f, -2.0f}), SampleType::F32, SampleType::U8);
    EXPECT_EQ(fromBytes<std::uint8_t>(u8), (std::vector<std::uint8_t>{255, 0}));
}

TEST(SampleConversion, ConvertsOnlyWhatBothBuffersHold) {
    const std::vector<std::byte> in(10, std::byte{128});  // ten 8-bit samples
    std::vector<std::byte> out(7, std::byte{0x55});       // room for three 16-bit ones
    EXPECT_EQ(convertSamples(in, SampleType::U8, out, SampleType::S16), 3u);
    EXPECT_EQ(out[6], std::byte{0x55});
}

}  // namespace
}  // namespace quorbel
