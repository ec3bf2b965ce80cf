// Amplify, Normalize, Fade In and Fade Out through the view, on random selections of random
// sounds, against this test's own arithmetic: samples as signed values (8-bit ones less 128),
// scaled, rounded half away from zero, clamped to the sample range.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
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

int Full(Format f) {
    return f.bits == 16 ? 32767 : 127;
}

int SampleAt(const Bytes& b, std::size_t i, Format f) {
    if (f.bits == 8) return b[i] - 128;
    return static_cast<std::int16_t>(b[2 * i] | b[2 * i + 1] << 8);
}

void SetSample(Bytes& b, std::size_t i, Format f, long v) {
    v = std::clamp<long>(v, -Full(f) - 1, Full(f));
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

// What a command should make: the samples of frames [from, to), each by the factor its frame
// and channel get.
template <class Factor>
Bytes Expected(const Bytes& before, Format f, std::size_t from, std::size_t to, Factor factor) {
    Bytes after = before;
    for (std::size_t frame = from; frame < to; ++frame) {
        for (std::size_t c = 0; c < f.channels; ++c) {
            const std::size_t i = frame * f.channels + c;
            SetSample(after, i, f, HalfAway(factor(frame - from, c, SampleAt(before, i, f))));
        }
    }
    return after;
}

std::string Tenths(int tenths) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
    return text;
}

struct LevelRig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};
    Bytes bytes() const { return BytesOf(view->m_waveData); }
};

// A sound of random length and loudness, now and then with a silent channel.
testing::WavContent RandomSound(Format f, std::mt19937& random) {
    testing::WavContent s;
    s.bits = f.bits;
    s.channels = f.channels;
    s.rate = kRate;
    // At least 40 ms: the end handle's first place then lies past the end of the sound.
    const std::size_t frames = std::uniform_int_distribution<std::size_t>(20, 300)(random);
    const int loudness[] = {Full(f), Full(f) / 5, 3};
    const int peak = loudness[random() % 3];
    const bool silentRight = f.channels == 2 && random() % 4 == 0;
    s.data.assign(frames * f.frame(), 0);
    for (std::size_t i = 0; i < frames * f.channels; ++i) {
        const bool silent = silentRight && i % 2 == 1;
        SetSample(s.data, i, f,
                  silent ? 0 : std::uniform_int_distribution<long>(-peak - 1, peak)(random));
    }
    return s;
}

TEST(LevelEffects, EveryCommandMatchesItsArithmeticOnRandomSelectionsAndUndoes) {
    std::mt19937 random(20240611);
    for (const Format f : testing::kSampleFormats) {
        for (int trial = 0; trial < 8; ++trial) {
            LevelRig rig;
            const testing::WavContent sound = RandomSound(f, random);
            rig.open(sound);
            const std::size_t frames = sound.data.size() / f.frame();
            // Now and then the handles stay at both ends: the whole sound.
            std::size_t from = 0, to = frames;
            if (trial % 4 != 0) {
                from = std::uniform_int_distribution<std::size_t>(0, frames - 2)(random);
                to = std::uniform_int_distribution<std::size_t>(from + 1, frames - 1)(random);
                ASSERT_EQ(rig.view->SetSelectionMs(2 * from + 1, 2 * to + 1), "");
            }
            SCOPED_TRACE(::testing::Message()
                         << f.bits << "x" << f.channels << " trial " << trial << ": frames " << from
                         << ".." << to << " of " << frames);
            const std::size_t n = to - from;
            const Bytes& before = sound.data;

            // The gain Amplify offers first: the largest that clips nothing, to a tenth.
            rig.window.levelAnswer.reset();
            ASSERT_TRUE(rig.click(ID_EFFECTS_AMPLIFY));
            ASSERT_EQ(rig.bytes(), before) << "cancelled";
            const std::string offered = rig.window.levelQuestions.back().initial;
            const double gain = std::strtod(offered.c_str(), nullptr);
            const auto clipsAt = [&](double g) {
                bool clips = false;
                Expected(before, f, from, to, [&](std::size_t, std::size_t, int v) {
                    const long double x = HalfAway(v * std::pow(10.0, g / 20.0));
                    clips = clips || x > Full(f) || x < -Full(f) - 1;
                    return x;
                });
                return clips;
            };
            EXPECT_FALSE(clipsAt(gain)) << offered;
            const int offeredTenths = static_cast<int>(std::lround(gain * 10));
            if (offeredTenths < 480) {
                EXPECT_TRUE(clipsAt(std::strtod(Tenths(offeredTenths + 1).c_str(), nullptr)))
                    << offered;
            }

            const int clipTenths = std::uniform_int_distribution<int>(-480, 480)(random);
            const int peakTenths = std::uniform_int_distribution<int>(-480, 0)(random);
            const bool each = random() % 2 == 0;
            int peaks[2] = {0, 0};
            for (std::size_t i = from * f.channels; i < to * f.channels; ++i) {
                int& p = peaks[each ? i % f.channels : 0];
                p = std::max(p, std::abs(SampleAt(before, i, f)));
            }
            const double clipGain =
                std::pow(10.0, std::strtod(Tenths(clipTenths).c_str(), nullptr) / 20.0);
            const double peakLevel = std::strtod(Tenths(peakTenths).c_str(), nullptr);
            const auto amplify = [&](double g) {
                return [g](std::size_t, std::size_t, int v) { return v * g; };
            };
            struct Case {
                int id;
                std::optional<LevelAnswer> answer;
                Bytes expected;
                const char* status;
            };
            std::vector<Case> cases = {
                {ID_EFFECTS_AMPLIFY, LevelAnswer{offered, false},
                 Expected(before, f, from, to, amplify(std::pow(10.0, gain / 20.0))),
                 "Amplify operation complete!"},
                {ID_EFFECTS_AMPLIFY, LevelAnswer{Tenths(clipTenths), true},
                 Expected(before, f, from, to, amplify(clipGain)), "Amplify operation complete!"},
                {ID_EFFECTS_FADE_IN, std::nullopt,
                 Expected(before, f, from, to,
                          [n](std::size_t i, std::size_t, int v) {
                              return n == 1 ? v : static_cast<long double>(v) * i / (n - 1);
                          }),
                 "Fade In operation complete!"},
                {ID_EFFECTS_FADE_OUT, std::nullopt,
                 Expected(before, f, from, to,
                          [n](std::size_t i, std::size_t, int v) {
                              return n == 1 ? v
                                            : static_cast<long double>(v) * (n - 1 - i) / (n - 1);
                          }),
                 "Fade Out operation complete!"},
            };
            if (peaks[0] != 0 || peaks[1] != 0) {
                cases.push_back({ID_EFFECTS_NORMALIZE, LevelAnswer{Tenths(peakTenths), each},
                                 Expected(before, f, from, to,
                                          [&](std::size_t, std::size_t c, int v) {
                                              const int p = peaks[each ? c : 0];
                                              if (p == 0) return static_cast<double>(v);
                                              return v * (std::pow(10.0, peakLevel / 20.0) *
                                                          Full(f) / p);
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
testing::WavContent FiveSamples() {
    testing::WavContent s;
    s.bits = 16;
    s.rate = kRate;
    s.data = testing::Words({0, 1000, -20000, 30000, 16000});
    return s;
}

TEST(LevelEffects, BadLevelsAreRefusedWithTheirReasonAndTheSoundStays) {
    struct Bad {
        int id;
        LevelAnswer answer;
        const char* reason;
    };
    const Bad bads[] = {
        {ID_EFFECTS_AMPLIFY,
         {"6.0", false},
         "A gain of 6.0 dB clips 2 samples; at most 0.7 dB fits."},
        {ID_EFFECTS_AMPLIFY,
         {"loud", true},
         "Not a number: type decibels with a point for the decimals, such as -24.0."},
        {ID_EFFECTS_AMPLIFY,
         {"", true},
         "Not a number: type decibels with a point for the decimals, such as -24.0."},
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
        {ID_EFFECTS_NORMALIZE,
         {"-1.0 dB", false},
         "Not a number: type decibels with a point for the decimals, such as -24.0."},
    };
    LevelRig rig;
    const testing::WavContent sound = FiveSamples();
    rig.open(sound);
    for (const Bad& bad : bads) {
        SCOPED_TRACE(bad.answer.text);
        rig.window.levelRefusals.clear();
        rig.window.levelAnswer = bad.answer;
        ASSERT_TRUE(rig.click(bad.id));
        EXPECT_EQ(rig.window.levelRefusals, std::vector<std::string>{bad.reason});
        EXPECT_EQ(rig.bytes(), sound.data);
    }
    EXPECT_EQ(rig.window.levelQuestions.front().initial, "0.7");
    EXPECT_EQ(rig.window.levelQuestions.back().initial, "-1.0");
    EXPECT_EQ(rig.view->m_strCurrentFile, rig.view->m_strPreviousFile) << "nothing to undo";

    // Typed forms that are taken: a sign, no decimals, blanks around, and the same with clipping.
    for (const char* good : {"+0.7", " 0.70 ", "-3", ".5"}) {
        rig.window.levelAnswer = LevelAnswer{good, false};
        ASSERT_TRUE(rig.click(ID_EFFECTS_AMPLIFY));
        EXPECT_EQ(rig.frame.statusText(), "Amplify operation complete!") << good;
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
    }
    EXPECT_TRUE(rig.window.boxes.empty());
}

TEST(LevelEffects, SelectionsWithoutSoundToWorkOnAreRefusedAndChangeNothing) {
    struct Refused {
        int id;
        std::uint32_t startMs, endMs;
        testing::WavContent sound;
        const char* box;
        const char* status;
    };
    testing::WavContent silence = FiveSamples();
    silence.data.assign(silence.data.size(), 0);
    // 16-bit stereo, a frame every 4 ms: 5 and 7 ms fall inside the same frame.
    testing::WavContent quarter;
    quarter.bits = 16;
    quarter.channels = 2;
    quarter.rate = 250;
    quarter.data = testing::Ramp(4 * 8);
    const Refused refusals[] = {
        // Both handles on one place; both in the same frame.
        {ID_EFFECTS_FADE_IN, 3, 3, FiveSamples(),
         "Nothing to do, starting and ending positions are the same!", ""},
        {ID_EFFECTS_AMPLIFY, 5, 7, quarter,
         "Nothing to do, starting and ending positions are the same!", ""},
        {ID_EFFECTS_NORMALIZE, 1, 9, silence,
         "The selection is silent: there is nothing to normalize.", "Normalize operation failed."},
    };
    for (const Refused& r : refusals) {
        SCOPED_TRACE(r.box);
        LevelRig rig;
        rig.open(r.sound);
        if (r.startMs != r.endMs)
            ASSERT_EQ(rig.view->SetSelectionMs(r.startMs, r.endMs), "");
        else
            rig.view->m_exactSelection = {r.startMs, r.endMs};
        rig.window.levelAnswer = LevelAnswer{"-1.0", false};
        const std::size_t texts = rig.frame.texts.size();
        ASSERT_TRUE(rig.click(r.id));
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].text, r.box);
        if (*r.status != 0)
            EXPECT_EQ(rig.frame.statusText(), r.status);
        else
            EXPECT_EQ(rig.frame.texts.size(), texts) << "refused before it began";
        EXPECT_EQ(rig.bytes(), r.sound.data);
        EXPECT_EQ(rig.view->m_strCurrentFile, rig.view->m_strPreviousFile);
        EXPECT_EQ(rig.window.levelQuestions.size(), r.id == ID_EFFECTS_NORMALIZE ? 1u : 0u);
    }
}

TEST(LevelEffects, WideFormatsAndASecondCommandWhileOneRunsAreRefused) {
    LevelRig wide;
    testing::WavContent sound;
    sound.bits = 24;
    sound.channels = 2;
    sound.data = testing::Ramp(6 * 50);
    wide.open(sound);
    for (const int id : {ID_EFFECTS_AMPLIFY, ID_EFFECTS_NORMALIZE, ID_EFFECTS_FADE_IN}) {
        wide.window.boxes.clear();
        ASSERT_TRUE(wide.click(id));
        ASSERT_EQ(wide.window.boxes.size(), 1u);
        EXPECT_EQ(wide.window.boxes[0].text,
                  "Cannot apply this effect to 24-bit stereo sound: it works on 8 and 16 bits, "
                  "mono and stereo.");
        EXPECT_TRUE(wide.window.levelQuestions.empty()) << "refused before its dialog";
    }

    LevelRig rig;
    rig.context.backgroundWork = true;
    rig.open(FiveSamples());
    ASSERT_EQ(rig.view->SetSelectionMs(1, 9), "");  // the first four frames
    ASSERT_TRUE(rig.click(ID_EFFECTS_FADE_IN));
    ASSERT_TRUE(rig.view->IsBusy());
    EXPECT_FALSE(rig.click(ID_EFFECTS_FADE_OUT)) << "disabled while the fade runs";
    rig.view->FinishOperation();
    EXPECT_EQ(rig.frame.statusText(), "Fade In operation complete!");
    EXPECT_EQ(rig.bytes(), testing::Words({0, 333, -13333, 30000, 16000}));
}

}  // namespace
}  // namespace quorbel
