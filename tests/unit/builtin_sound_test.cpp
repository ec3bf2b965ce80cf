#include "res/builtin_sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace quorbel {
namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::string tag(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

class BuiltinSound : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { wav_ = new std::vector<std::uint8_t>(builtinSoundWav()); }
    static void TearDownTestSuite() { delete wav_; }
    static const std::vector<std::uint8_t>& wav() { return *wav_; }
    static std::vector<std::uint8_t> samples() {
        return {wav().begin() + 44, wav().begin() + 44 + u32(wav(), 40)};
    }
    static std::vector<std::uint8_t>* wav_;
};
std::vector<std::uint8_t>* BuiltinSound::wav_ = nullptr;

TEST_F(BuiltinSound, IsAPlainMono8Bit22kPcmWaveFile) {
    const auto& b = wav();
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(tag(b, 0), "RIFF");
    EXPECT_EQ(u32(b, 4), b.size() - 8);
    EXPECT_EQ(tag(b, 8), "WAVE");
    EXPECT_EQ(tag(b, 12), "fmt ");
    EXPECT_EQ(u32(b, 16), 16u);
    EXPECT_EQ(u16(b, 20), 1);       // PCM
    EXPECT_EQ(u16(b, 22), 1);       // mono
    EXPECT_EQ(u32(b, 24), 22050u);  // samples per second
    EXPECT_EQ(u32(b, 28), 22050u);  // bytes per second
    EXPECT_EQ(u16(b, 32), 1);       // block align
    EXPECT_EQ(u16(b, 34), 8);       // bits per sample
    EXPECT_EQ(tag(b, 36), "data");
    const std::uint32_t data = u32(b, 40);
    EXPECT_EQ(b.size(), 44u + data + (data & 1));  // nothing after the data but its pad byte
}

TEST_F(BuiltinSound, LastsAboutTwentyNineSeconds) {
    const double seconds = u32(wav(), 40) / 22050.0;
    EXPECT_NEAR(seconds, 29.0, 0.5);
}

TEST_F(BuiltinSound, IsAudibleThroughoutAndNeverClips) {
    const auto s = samples();
    // Every full second of the tune but the fading tail carries sound.
    for (std::size_t second = 0; second + 2 < s.size() / 22050; ++second) {
        double energy = 0;
        for (std::size_t i = second * 22050; i < (second + 1) * 22050; ++i) {
            energy += (s[i] - 128.0) * (s[i] - 128.0);
        }
        EXPECT_GT(std::sqrt(energy / 22050), 5.0) << "second " << second;
    }
    // No sample touches the rails: clipping shows as samples pinned at 0 or 255.
    const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
    EXPECT_GT(*lo, 5);
    EXPECT_LT(*hi, 250);
    // Starts and ends at silence, so playing it neither clicks in nor clicks out.
    EXPECT_NEAR(s.front(), 128, 2);
    EXPECT_NEAR(s.back(), 128, 1);
}

}  // namespace
}  // namespace quorbel
