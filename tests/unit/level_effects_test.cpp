// Amplify, Normalize, Fade In and Fade Out through the view, on random selections of random
// sounds, against this test's own arithmetic: samples as signed values (8-bit ones less 128),
// scaled, rounded half away from zero, clamped to the sample range.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fakes/piece_bytes.h"
#include "fakes/sample_formats.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Bytes;
using Format = testing::SampleFormat;

// Half a frame a millisecond: an odd millisecond falls in the middle of a frame, so the frame
// a handle takes never hangs on the rounding of the times.
constexpr std::uint32_t kRate = 500;

long Full(Format f) {
    return f.bits == 16 ? 32767 : 127;
}

long SampleAt(const Bytes& b, std::size_t i, Format f) {
    return f.bits == 8 ? b[i] - 128 : static_cast<std::int16_t>(b[2 * i] | b[2 * i + 1] << 8);
}

void SetSample(Bytes& b, std::size_t i, Format f, long v) {
    v = std::clamp(v, -Full(f) - 1, Full(f));
    if (f.bits == 8) {
        b[i] = static_cast<std::uint8_t>(v + 128);
    } else {
        b[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
        b[2 * i + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    }
}

long HalfAway(long double x) {
    return static_cast<long>(x < 0 ? -std::floor(-x + 0.5L) : std::floor(x + 0.5L));
}

// `before` with the samples of frames [from, to) made by `scaled(frame - from, channel, v)`.
template <class Scaled>
Bytes Expected(const Bytes& before, Format f, std::size_t from, std::size_t to, Scaled scaled) {
    Bytes after = before;
    for (std::size_t i = from * f.channels; i < to * f.channels; ++i) {
        SetSample(after, i, f,
                  HalfAway(scaled(i / f.channels - from, i % f.channels, SampleAt(before, i, f))));
    }
    return after;
}

std::string Tenths(int tenths) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
    return text;
}

double Db(const std::string& text) {
    return std::pow(10.0, std::strtod(text.c_str(), nullptr) / 20.0);
}

testing::WavContent Wav(int bits, int channels, std::uint32_t rate, Bytes data) {
    testing::WavContent s;
    s.bits = static_cast<std::uint16_t>(bits);
    s.channels = static_cast<std::uint16_t>(channels);
    s.rate = rate;
    s.data = std::move(data);
    return s;
}

struct LevelRig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};
    Bytes bytes() const { return BytesOf(view->m_waveData); }
};

// 40 to 600 ms of random samples, loud, soft or nearly silent, now and then with a silent
// channel. From 40 ms on, the end handle's first place lies past the end of the sound.
testing::WavContent RandomSound(Format f, std::mt19937& random) {
    testing::WavContent s = Wav(f.bits, f.channels, kRate, {});
    const std::size_t frames = std::uniform_int_distribution<std::size_t>(20, 300)(random);
    const long peak = std::array{Full(f), Full(f) / 5, 3L}[random() % 3];
    const bool silentRight = f.channels == 2 && random() % 4 == 0;
    s.data.assign(frames * f.frame(), 0);
    for (std::size_t i = 0; i < frames * f.channels; ++i) {
        const long v = std::uniform_int_distribution<long>(-peak - 1, peak)(random);
        SetSample(s.data, i, f, silentRight && i % 2 == 1 ? 0 : v);
    }
    return s;
}

TEST(LevelEffects, EveryCommandMatchesItsArithmeticOnRandomSelectionsAndUndoes) {
    std::mt19937 random(20240611);
    for (const Format f : testing::kSampleFormats) {
        for (int trial = 0; trial < 8; ++trial) {
            LevelRig rig;
            const testing::WavContent sound = RandomSound(f, random);
            const Bytes& before = sound.data;
            rig.open(sound);
            // Now and then the handles stay at both ends: the whole sound.
            const std::size_t frames = before.size() / f.frame();
            std::size_t from = 0, to = frames;
            if (trial % 4 != 0) {
                from = std::uniform_int_distribution<std::size_t>(0, frames - 2)(random);
                to = std::uniform_int_distribution<std::size_t>(from + 1, frames - 1)(random);
                ASSERT_EQ(rig.view->SetSelectionMs(2 * from + 1, 2 * to + 1), "");
            }
            SCOPED_TRACE(::testing::Message() << f.bits << "x" << f.channels << ": frames " << from
                                              << ".." << to << " of " << frames);
            const long n = static_cast<long>(to - from);

            // Amplify offers the largest gain, to a tenth, that clips nothing.
            rig.click(ID_EFFECTS_AMPLIFY);  // cancelled: no answer
            ASSERT_EQ(rig.bytes(), before);
            const std::string offered = rig.window.levelQuestions.back().initial;
            const auto clips = [&](double factor) {
                for (std::size_t i = from * f.channels; i < to * f.channels; ++i) {
                    const long v = HalfAway(SampleAt(before, i, f) * factor);
                    if (v > Full(f) || v < -Full(f) - 1) return true;
                }
                return false;
            };
            const int offeredTenths = static_cast<int>(std::lround(std::stod(offered) * 10));
            EXPECT_FALSE(clips(Db(offered))) << offered;
            if (offeredTenths < 480) {
                EXPECT_TRUE(clips(Db(Tenths(offeredTenths + 1)))) << offered;
            }

            const std::string gain = Tenths(std::uniform_int_distribution<int>(-480, 480)(random));
            const std::string level = Tenths(std::uniform_int_distribution<int>(-480, 0)(random));
            const bool each = random() % 2 == 0;
            long peaks[2] = {0, 0};
            for (std::size_t i = from * f.channels; i < to * f.channels; ++i) {
                long& p = peaks[each ? i % f.channels : 0];
                p = std::max(p, std::abs(SampleAt(before, i, f)));
            }
            const auto amplify = [&](double factor) {
                return Expected(before, f, from, to,
                                [=](std::size_t, std::size_t, long v) { return v * factor; });
            };
            struct Case {
                int id;
                std::optional<LevelAnswer> answer;
                Bytes expected;
                const char* status;
            };
            std::vector<Case> cases = {
                {ID_EFFECTS_AMPLIFY, LevelAnswer{offered, false}, amplify(Db(offered)),
                 "Amplify operation complete!"},
                {ID_EFFECTS_AMPLIFY, LevelAnswer{gain, true}, amplify(Db(gain)),
                 "Amplify operation complete!"},
                {ID_EFFECTS_FADE_IN, std::nullopt,
                 Expected(before, f, from, to,
                          [n](std::size_t i, std::size_t, long v) {
                              return n == 1 ? v : static_cast<long double>(v) * i / (n - 1);
                          }),
                 "Fade In operation complete!"},
                {ID_EFFECTS_FADE_OUT, std::nullopt,
                 Expected(before, f, from, to,
                          [n](std::size_t i, std::size_t, long v) {
                              return n == 1 ? v
                                            : static_cast<long double>(v) * (n - 1 - i) / (n - 1);
                          }),
                 "Fade Out operation complete!"},
            };
            if (peaks[0] != 0 || peaks[1] != 0) {
                cases.push_back({ID_EFFECTS_NORMALIZE, LevelAnswer{level, each},
                                 Expected(before, f, from, to,
                                          [&](std::size_t, std::size_t c, long v) {
                                              const long p = peaks[each ? c : 0];
                                              return p == 0 ? v : v * (Db(level) * Full(f) / p);
                                          }),
                                 "Normalize operation complete!"});
            }
            for (const Case& c : cases) {
                SCOPED_TRACE(c.status);
                rig.window.levelAnswer = c.answer;
                ASSERT_TRUE(rig.click(c.id));
                EXPECT_EQ(rig.frame.statusText(), c.status);
                EXPECT_EQ(rig.bytes(), c.expected);
                ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
                EXPECT_EQ(rig.bytes(), before);
                ASSERT_TRUE(rig.click(ID_EDIT_REDO));
                EXPECT_EQ(rig.bytes(), c.expected);
                ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
            }
            EXPECT_TRUE(rig.window.levelRefusals.empty());
            EXPECT_TRUE(rig.window.boxes.empty());
        }
    }
}

// 16-bit mono: 0, 1000, -20000, 30000, 16000. Amplify offers 0.7 dB (30000 x 10^(0.8/20)
// is 32894); 6.0 dB clips -20000 and 30000.
const testing::WavContent kFive =
    Wav(16, 1, kRate, testing::Words({0, 1000, -20000, 30000, 16000}));

TEST(LevelEffects, BadLevelsAreRefusedWithTheirReasonAndTheSoundStays) {
    constexpr const char* kNotANumber =
        "Not a number: type decibels with a point for the decimals, such as -24.0.";
    const struct {
        int id;
        LevelAnswer answer;
        const char* reason;
    } bads[] = {
        {ID_EFFECTS_AMPLIFY,
         {"6.0", false},
         "A gain of 6.0 dB clips 2 samples; at most 0.7 dB fits."},
        {ID_EFFECTS_AMPLIFY, {"loud", true}, kNotANumber},
        {ID_EFFECTS_AMPLIFY, {"", true}, kNotANumber},
        {ID_EFFECTS_AMPLIFY,
         {"6,5", true},
         "Use a point for the decimals, not a comma: 1.5, not 1,5."},
        {ID_EFFECTS_AMPLIFY,
         {"1.25", true},
         "Levels go in steps of 0.1 dB: type at most one decimal."},
        {ID_EFFECTS_AMPLIFY, {"48.1", true}, "The gain goes from -48.0 to +48.0 dB."},
        {ID_EFFECTS_AMPLIFY, {"-99999999999", true}, "The gain goes from -48.0 to +48.0 dB."},
        {ID_EFFECTS_NORMALIZE, {"0.1", false}, "The peak level goes from -48.0 to 0.0 dBFS."},
        {ID_EFFECTS_NORMALIZE, {"-48.5", true}, "The peak level goes from -48.0 to 0.0 dBFS."},
        {ID_EFFECTS_NORMALIZE, {"-1.0 dB", false}, kNotANumber},
    };
    LevelRig rig;
    rig.open(kFive);
    for (const auto& bad : bads) {
        SCOPED_TRACE(bad.answer.text);
        rig.window.levelRefusals.clear();
        rig.window.levelAnswer = bad.answer;
        ASSERT_TRUE(rig.click(bad.id));
        EXPECT_EQ(rig.window.levelRefusals, std::vector<std::string>{bad.reason});
        EXPECT_EQ(rig.bytes(), kFive.data);
    }
    EXPECT_EQ(rig.window.levelQuestions.front().initial, "0.7");
    EXPECT_EQ(rig.window.levelQuestions.back().initial, "-1.0");
    EXPECT_EQ(rig.view->m_strCurrentFile, rig.view->m_strPreviousFile) << "nothing to undo";
    // Forms that are taken: a sign, no decimals, blanks around, a trailing zero.
    for (const char* good : {"+0.7", " 0.70 ", "-3", ".5"}) {
        rig.window.levelAnswer = LevelAnswer{good, false};
        ASSERT_TRUE(rig.click(ID_EFFECTS_AMPLIFY));
        EXPECT_EQ(rig.frame.statusText(), "Amplify operation complete!") << good;
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    }
    EXPECT_TRUE(rig.window.boxes.empty());

    // Halves round away from zero: 8-bit 1, -1, 2 normalized to 0.0 dBFS are x 63.5.
    LevelRig halves;
    halves.open(Wav(8, 1, 50, {129, 127, 130}));  // 60 ms: the handles take all of it
    halves.window.levelAnswer = LevelAnswer{"0.0", false};
    ASSERT_TRUE(halves.click(ID_EFFECTS_NORMALIZE));
    EXPECT_EQ(halves.bytes(), (Bytes{192, 64, 255}));
}

TEST(LevelEffects, SelectionsAndSoundsWithNothingToWorkOnAreRefusedAndChangeNothing) {
    testing::WavContent silence = kFive;
    silence.data.assign(silence.data.size(), 0);
    // 16-bit stereo, a frame every 4 ms: 5 and 7 ms fall inside the same frame.
    const testing::WavContent quarter = Wav(16, 2, 250, testing::Ramp(4 * 8));
    const testing::WavContent wide = Wav(16, 4, 22050, testing::Ramp(8 * 50));
    constexpr const char* kSame = "Nothing to do, starting and ending positions are the same!";
    const struct {
        int id;
        std::uint32_t startMs, endMs;  // both 0: the whole sound
        const testing::WavContent& sound;
        const char* box;
        const char* status;  // null: refused before it began, no dialog shown
    } refusals[] = {
        {ID_EFFECTS_FADE_IN, 3, 3, kFive, kSame, nullptr},
        {ID_EFFECTS_AMPLIFY, 5, 7, quarter, kSame, nullptr},
        {ID_EFFECTS_NORMALIZE, 1, 9, silence,
         "The selection is silent: there is nothing to normalize.", "Normalize operation failed."},
        {ID_EFFECTS_NORMALIZE, 0, 0, wide,
         "Cannot apply this effect to 16-bit 4-channel sound: it works on mono and stereo.",
         nullptr},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.box);
        LevelRig rig;
        // The device takes no more than two channels; the view still shows such a sound.
        if (r.sound.channels > 2) {
            rig.openUnplayable(r.sound);
            rig.window.boxes.clear();  // the device's refusal
        } else {
            rig.open(r.sound);
        }
        if (r.endMs != 0) rig.view->m_exactSelection = {r.startMs, r.endMs};
        rig.window.levelAnswer = LevelAnswer{"-1.0", false};
        ASSERT_TRUE(rig.click(r.id));
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].text, r.box);
        if (r.status != nullptr) {
            EXPECT_EQ(rig.frame.statusText(), r.status);
        }
        EXPECT_EQ(rig.window.levelQuestions.size(), r.status != nullptr ? 1u : 0u);
        EXPECT_EQ(rig.bytes(), r.sound.data);
        EXPECT_EQ(rig.view->m_strCurrentFile, rig.view->m_strPreviousFile);
    }

    // A second command while one runs in the background is refused; the first goes on.
    LevelRig rig;
    rig.context.backgroundWork = true;
    rig.open(kFive);
    ASSERT_EQ(rig.view->SetSelectionMs(1, 9), "");  // the first four frames
    ASSERT_TRUE(rig.click(ID_EFFECTS_FADE_IN));
    ASSERT_TRUE(rig.view->IsBusy());
    EXPECT_FALSE(rig.click(ID_EFFECTS_FADE_OUT));
    rig.view->FinishOperation();
    EXPECT_EQ(rig.frame.statusText(), "Fade In operation complete!");
    EXPECT_EQ(rig.bytes(), testing::Words({0, 333, -13333, 30000, 16000}));
}

}  // namespace
}  // namespace quorbel
