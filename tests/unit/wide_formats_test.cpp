// 24- and 32-bit integer and 32-bit float sound, mono and stereo: opened, drawn, edited and
// saved in its own format. Every expectation is worked out here from the sample values, with
// the test's own reading and writing of samples.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <limits>
#include <optional>
#include <sstream>

#include "audio/playback_ring.h"
#include "audio/sample_value_codec.h"
#include "fakes/fake_notify_sink.h"
#include "fakes/piece_bytes.h"
#include "fakes/scoped_tmpdir.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"
#include "view/wave_trace.h"

namespace quorbel {
namespace {

using testing::Bytes;

struct Fmt {
    int bits;
    int channels;
    bool isFloat;
    std::size_t width() const { return static_cast<std::size_t>(bits / 8); }
    std::size_t frame() const { return width() * static_cast<std::size_t>(channels); }
    double full() const { return isFloat ? 1.0 : std::ldexp(1.0, bits - 1) - 1; }
};

std::ostream& operator<<(std::ostream& out, const Fmt& f) {
    return out << f.bits << (f.isFloat ? "f" : "") << "x" << f.channels;
}

constexpr Fmt kWide[] = {{24, 1, false}, {24, 2, false}, {32, 1, false},
                         {32, 2, false}, {32, 1, true},  {32, 2, true}};
constexpr Fmt kEvery[] = {{8, 1, false},  {8, 2, false},  {16, 1, false}, {16, 2, false},
                          {24, 1, false}, {24, 2, false}, {32, 1, false}, {32, 2, false},
                          {32, 1, true},  {32, 2, true}};

// Sample i of `b` as a number: an 8-bit byte less 128, a signed integer, or a float.
double Get(const Bytes& b, std::size_t i, Fmt f) {
    const std::size_t at = i * f.width();
    std::uint32_t u = 0;
    for (std::size_t k = 0; k < f.width(); ++k) u |= std::uint32_t{b[at + k]} << (8 * k);
    if (f.isFloat) return std::bit_cast<float>(u);
    if (f.bits == 8) return static_cast<double>(u) - 128;
    const std::int64_t half = std::int64_t{1} << (f.bits - 1);
    const auto v = static_cast<std::int64_t>(u);
    return static_cast<double>(v >= half ? v - 2 * half : v);
}

// Stores `v` as sample i: integers rounded half away from zero and clamped, float as it is.
void Put(Bytes& b, std::size_t i, Fmt f, double v) {
    std::uint32_t u = 0;
    if (f.isFloat) {
        u = std::bit_cast<std::uint32_t>(static_cast<float>(v));
    } else {
        const double half = std::ldexp(1.0, f.bits - 1);
        const double r = std::isnan(v) ? 0.0 : std::clamp(std::round(v), -half, half - 1);
        const auto s = static_cast<std::int64_t>(r) + (f.bits == 8 ? 128 : 0);
        u = static_cast<std::uint32_t>(s);
    }
    for (std::size_t k = 0; k < f.width(); ++k)
        b[i * f.width() + k] = static_cast<std::uint8_t>(u >> (8 * k));
}

// `frames` frames of loud, varied sound: both ends of the range first, then a scramble.
Bytes Signal(Fmt f, std::size_t frames, std::uint32_t seed = 7) {
    Bytes b(frames * f.frame());
    const std::size_t n = frames * static_cast<std::size_t>(f.channels);
    std::uint32_t x = seed;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1664525u + 1013904223u;
        double v = 0;
        if (f.isFloat) {
            v = (static_cast<double>(x >> 8) / 16777216.0) * 2.6 - 1.3;  // beyond +-1.0 too
            if (i == 0) v = 1.5;
            if (i == 1) v = -1.25;
        } else {
            const double half = std::ldexp(1.0, f.bits - 1);
            v = std::floor(static_cast<double>(x) / 4294967296.0 * 2 * half) - half;
            if (i == 0) v = half - 1;
            if (i == 1) v = -half;
            if (i == 2) v = 3;  // small odd values: halving rounds
            if (i == 3) v = -5;
            // The lowest value, then its partner the highest: high pass halves the whole
            // range, which rounds one past the top and must be clamped.
            if (i == 4) v = -half;
            if (i == 4 + static_cast<std::size_t>(f.channels)) v = half - 1;
        }
        Put(b, i, f, v);
    }
    return b;
}

Bytes WavOf(Fmt f, const Bytes& data, bool extensible = false, std::uint32_t rate = 1000) {
    const auto bits = static_cast<std::uint16_t>(f.bits);
    const auto channels = static_cast<std::uint16_t>(f.channels);
    if (extensible) {
        const std::uint16_t sub = f.isFloat ? 3 : 1;
        return testing::BuildRiff(
            {{"fmt ", testing::ExtensibleFmt(sub, channels, rate, bits, bits)}, {"data", data}});
    }
    return testing::BuildRiff(
        {{"fmt ", testing::FmtBody(channels, rate, bits, {}, f.isFloat ? 3 : 1)}, {"data", data}});
}

struct Rig : testing::ViewRig {
    testing::WavFolder temp;
    testing::ScopedTmpDir tmpdir{temp.path().string()};
    CQuorbelView& openBytes(const Bytes& file, const std::string& name = "sound.wav") {
        const std::string path = folder.write(name, file);
        EXPECT_TRUE(doc.OnOpenDocument(path)) << path;
        return show();
    }
    Bytes data() const { return BytesOf(view->m_waveData); }
};

bool Has(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(WideFormats, StoredValuesRoundHalfAwayFromZeroAndClampAtTheHardestPlaces) {
    const double nearHalf = std::nextafter(0.5, 0.0);  // 0.49999999999999994
    const double big = 4503599627370495.5;             // the last half below 2^52
    const double values[] = {0.0,          nearHalf,  -nearHalf,  0.5,        -0.5,
                             2.5,          -2.5,      1.4,        -1.6,       big,
                             -big,         1e300,     -1e300,     HUGE_VAL,   -HUGE_VAL,
                             std::nan(""), 8388606.5, 8388607.49, -8388608.5, -8388607.5};
    for (const auto& [lo, hi] :
         {std::pair{-8388608.0, 8388607.0}, std::pair{-9007199254740992.0, 9007199254740991.0}}) {
        for (double v : values) {
            const double expected =
                std::isnan(v) ? 0.0 : std::clamp(std::round(v), lo, hi);  // std::round: away
            EXPECT_EQ(RoundClamped(v, lo, hi), expected) << std::setprecision(17) << v;
        }
    }
}

TEST(WideFormats, OpenDrawAndSaveInTheirOwnFormat) {
    const bool sox = Has("sox");
    if (!sox) std::cout << "sox is not installed: saved files are not read back by it\n";
    for (const Fmt f : kWide) {
        for (const bool extensible : {false, true}) {
            SCOPED_TRACE(::testing::Message() << f << (extensible ? " extensible" : " plain"));
            Rig rig;
            const Bytes data = Signal(f, 50);
            const Bytes file = WavOf(f, data, extensible);
            CQuorbelView& v = rig.openBytes(file);
            ASSERT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
            EXPECT_EQ(v.m_bPCM, f.isFloat ? 3 : 1);
            EXPECT_EQ(v.m_nBitsPerSample, f.bits);
            EXPECT_EQ(rig.data(), data);
            EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));

            // Drawn on the 16-bit scale: the top 16 bits, or a float x 32767 clamped.
            for (std::uint64_t k = 0; k < 8; ++k) {
                const double s = Get(data, k, f);
                const int word =
                    f.isFloat ? static_cast<int>(std::clamp(s * 32767, -32768.0, 32767.0))
                              : static_cast<int>(std::floor(s / std::ldexp(1.0, f.bits - 16)));
                EXPECT_EQ(ScopeOffset(*v.m_waveData, f.bits, f.channels, k, f.isFloat),
                          f.channels == 2 ? word / 500 : word / 250)
                    << k;
            }
            v.OnFileProperties();
            ASSERT_FALSE(rig.window.boxes.empty());
            const std::string resolution =
                f.isFloat ? "32-bit float" : std::to_string(f.bits) + " bits";
            EXPECT_NE(rig.window.boxes.back().text.find("Resolution\t: " + resolution + "\n"),
                      std::string::npos)
                << rig.window.boxes.back().text;

            // Saved as it was read: the `fmt ` chunk (extensible, with its channel mask) too.
            const std::string saved = rig.folder.file("saved.wav");
            ASSERT_TRUE(rig.doc.OnSaveDocument(saved));
            EXPECT_EQ(testing::ReadBytes(saved), file);
            if (sox) {
                // sox writes the samples in their own encoding: the same bytes mean the same
                // values. It carries float through 32-bit integers, so it clips float beyond
                // +-1.0 and may move a value by up to 2^-24.
                const std::string raw = rig.folder.file("saved.raw");
                ASSERT_EQ(std::system(("sox " + saved + " -t raw " + raw + " 2>/dev/null").c_str()),
                          0);
                Bytes expected = data;
                for (std::size_t i = 0; f.isFloat && i < 50 * static_cast<std::size_t>(f.channels);
                     ++i) {
                    Put(expected, i, f, std::clamp(Get(data, i, f), -1.0, 1.0));
                }
                const Bytes read = testing::ReadBytes(raw);
                if (!f.isFloat) {
                    EXPECT_EQ(read, expected);
                } else {
                    ASSERT_EQ(read.size(), expected.size());
                    for (std::size_t i = 0; i < read.size() / 4; ++i) {
                        const double want = Get(expected, i, f);
                        EXPECT_NEAR(Get(read, i, f), want, std::ldexp(1.0, -24)) << i;
                    }
                }
            }
        }
    }
}

TEST(WideFormats, PythonReadsTheSavedIntegerFiles) {
    if (!Has("python3")) GTEST_SKIP() << "python3 is not installed";
    // Python's wave module reads plain integer PCM; soundfile, where installed, reads float too.
    const bool soundfile = std::system("python3 -c 'import soundfile' >/dev/null 2>&1") == 0;
    if (!soundfile)
        std::cout << "Python soundfile is not installed: float files are not read by Python\n";
    for (const Fmt f : kWide) {
        if (f.isFloat && !soundfile) continue;
        SCOPED_TRACE(::testing::Message() << f);
        Rig rig;
        const Bytes data = Signal(f, 40);
        rig.openBytes(WavOf(f, data));
        const std::string saved = rig.folder.file("saved.wav");
        ASSERT_TRUE(rig.doc.OnSaveDocument(saved));
        const std::string out = rig.folder.file("py.raw");
        const std::string script =
            f.isFloat ? "import soundfile,sys; d,_=soundfile.read(sys.argv[1],dtype='float32'); "
                        "open(sys.argv[2],'wb').write(d.tobytes())"
                      : "import wave,sys; w=wave.open(sys.argv[1]); "
                        "open(sys.argv[2],'wb').write(w.readframes(w.getnframes()))";
        ASSERT_EQ(std::system(("python3 -c \"" + script + "\" " + saved + " " + out).c_str()), 0);
        EXPECT_EQ(testing::ReadBytes(out), data);
    }
}

TEST(WideFormats, BadInputGetsABoxThatNamesIt) {
    Bytes unknownGuid = testing::ExtensibleFmt(1, 2, 1000, 24, 24);
    unknownGuid[30] ^= 0xFF;  // not the standard sub-format GUID
    testing::FmtFields misfit{1, 1, 1000, 24, std::uint16_t{4}, std::nullopt, {}};
    const struct {
        const char* what;
        Bytes fmt;
        std::string text;
    } cases[] = {
        {"block align", testing::FmtBody(misfit),
         "the fmt chunk says 24-bit samples but a block align of 4 for 1 channel(s)"},
        {"sub-format", unknownGuid, "WAVE_FORMAT_EXTENSIBLE sub-format is unknown"},
        {"64-bit float", testing::FmtBody(2, 1000, 64, {}, 3), "64-bit floating-point"},
        {"three channels", testing::FmtBody(3, 1000, 24), "3 channels"},
        {"compressed", testing::FmtBody(2, 1000, 4, {}, 2), "compressed audio"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        const std::string path = rig.folder.write(
            "bad.wav", testing::BuildRiff({{"fmt ", c.fmt}, {"data", Bytes(48, 1)}}));
        // Opening a document shows the device's text for what it refused.
        DeviceId id = 0;
        const unsigned result = rig.devices.open(path, id);
        ASSERT_NE(result, kDeviceOk);
        const std::string text = rig.devices.errorMessage(result).text;
        EXPECT_NE(text.find(c.text), std::string::npos) << text;
        EXPECT_EQ(rig.devices.openCount(), 0u) << "nothing is opened";
    }
}

TEST(WideFormats, NotANumberAndInfinityAreKeptDrawnAsSilenceAndNormalizedAsZero) {
    for (const int channels : {1, 2}) {
        const Fmt f{32, channels, true};
        SCOPED_TRACE(::testing::Message() << f);
        Rig rig;
        Bytes data(8 * f.frame());
        const double values[] = {0.25,  std::numeric_limits<double>::quiet_NaN(),
                                 -0.5,  std::numeric_limits<double>::infinity(),
                                 0.125, -std::numeric_limits<double>::infinity(),
                                 0.0,   -0.375};
        for (std::size_t i = 0; i < 8 * static_cast<std::size_t>(channels); ++i)
            Put(data, i, f, values[i % 8]);
        CQuorbelView& v = rig.openBytes(WavOf(f, data));
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].text,
                  "The sound holds " + std::to_string(3 * channels) +
                      " floating-point sample(s) that are not numbers or are infinite. They are "
                      "kept as they are, drawn as silence, and Normalize counts them as 0.");
        EXPECT_EQ(rig.data(), data);
        EXPECT_EQ(ScopeOffset(*v.m_waveData, 32, channels, 1, true), 0);
        EXPECT_EQ(ScopeOffset(*v.m_waveData, 32, channels, 3, true), 0);

        rig.window.boxes.clear();
        rig.window.levelAnswer = LevelAnswer{"0.0", false};
        ASSERT_TRUE(rig.click(ID_EFFECTS_NORMALIZE));
        ASSERT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        Bytes expected = data;
        const double factor = std::pow(10.0, 0.0) * 1.0 / 0.5;
        for (std::size_t i = 0; i < 8 * static_cast<std::size_t>(channels); ++i) {
            Put(expected, i, f, Get(data, i, f) * factor);
        }
        const Bytes got = rig.data();
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < 8 * static_cast<std::size_t>(channels); ++i) {
            if (std::isnan(Get(data, i, f))) {
                EXPECT_TRUE(std::isnan(Get(got, i, f))) << i;
            } else {
                EXPECT_EQ(Get(got, i, f), Get(expected, i, f)) << i;
            }
        }
    }
}

TEST(WideFormats, AmplifyOffersTheLargestGainThatClipsNothing) {
    for (const Fmt f : kWide) {
        SCOPED_TRACE(::testing::Message() << f);
        // A soft sound: every sample within a third of full scale.
        Bytes data = Signal(f, 200);
        const std::size_t n = 200 * static_cast<std::size_t>(f.channels);
        for (std::size_t i = 0; i < n; ++i) {
            const double v = Get(data, i, f) / 3;
            Put(data, i, f, f.isFloat ? v : std::trunc(v));
        }
        // A gain clips a sample it takes past the range once rounded; float past +-1.0.
        auto clipped = [&](int tenths) {
            const double g = std::pow(10.0, tenths / 10.0 / 20.0);
            const double half = std::ldexp(1.0, f.bits - 1);
            int count = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const double x = Get(data, i, f) * g;
                count += f.isFloat ? std::fabs(x) > 1.0
                                   : (std::round(x) > half - 1 || std::round(x) < -half);
            }
            return count;
        };
        int largest = 480;
        while (clipped(largest) > 0) --largest;
        auto tenthsText = [](int t) {
            return std::string(t < 0 ? "-" : "") + std::to_string(std::abs(t) / 10) + "." +
                   std::to_string(std::abs(t) % 10);
        };

        Rig rig;
        rig.openBytes(WavOf(f, data));
        rig.window.levelAnswer = LevelAnswer{"48.0", false};
        ASSERT_TRUE(rig.click(ID_EFFECTS_AMPLIFY));
        ASSERT_EQ(rig.window.levelQuestions.size(), 1u);
        EXPECT_EQ(rig.window.levelQuestions[0].initial, tenthsText(largest));
        ASSERT_EQ(rig.window.levelRefusals.size(), 1u);
        EXPECT_EQ(rig.window.levelRefusals[0],
                  "A gain of 48.0 dB clips " + std::to_string(clipped(480)) + " samples; at most " +
                      tenthsText(largest) + " dB fits.");
        EXPECT_EQ(rig.data(), data) << "refused: nothing changes";
    }
}

// What each effect makes of `in`, from the sample values.
Bytes Expected(int id, const Bytes& in, Fmt f) {
    const std::size_t c = static_cast<std::size_t>(f.channels), frames = in.size() / f.frame();
    auto at = [&](std::size_t frame, std::size_t ch) { return Get(in, frame * c + ch, f); };
    Bytes out;
    auto put = [&](std::size_t frame, std::size_t ch, double v) { Put(out, frame * c + ch, f, v); };
    auto copyFrame = [&](std::size_t to, std::size_t from) {
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(from * f.frame()), f.frame(),
                    out.begin() + static_cast<std::ptrdiff_t>(to * f.frame()));
    };
    const double peakDb = -1.0, gainDb = 6.0;
    double peak = 0;
    for (std::size_t i = 0; i < frames * c; ++i) peak = std::max(peak, std::fabs(Get(in, i, f)));
    switch (id) {
        case ID_EFFECTS_REVERSE:
            out.resize(in.size());
            for (std::size_t k = 0; k < frames; ++k) copyFrame(k, frames - 1 - k);
            return out;
        case ID_OCTAVE_INCREASE:
            out.resize((frames + 1) / 2 * f.frame());
            for (std::size_t k = 0; k < (frames + 1) / 2; ++k) copyFrame(k, 2 * k);
            return out;
        case ID_OCTAVE_DECREASE:
            out.resize((frames / 2 * 3 + frames % 2) * f.frame());
            for (std::size_t p = 0; p < frames / 2; ++p) {
                copyFrame(3 * p, 2 * p);
                copyFrame(3 * p + 2, 2 * p + 1);
                for (std::size_t ch = 0; ch < c; ++ch)
                    put(3 * p + 1, ch, (at(2 * p, ch) + at(2 * p + 1, ch)) / 2);
            }
            if (frames % 2) copyFrame(frames / 2 * 3, frames - 1);
            return out;
        default:
            break;
    }
    out.resize(in.size());
    for (std::size_t k = 0; k < frames; ++k) {
        const std::size_t next = std::min(k + 1, frames - 1);
        for (std::size_t ch = 0; ch < c; ++ch) {
            const double x = at(k, ch);
            switch (id) {
                case ID_FILTER_LOWPASS:
                    put(k, ch, (x + at(next, ch)) / 2);
                    break;
                case ID_FILTER_HIGHPASS:
                    put(k, ch, (at(next, ch) - x) / 2);
                    break;
                case ID_EFFECTS_AMPLIFY:
                    put(k, ch, x * std::pow(10.0, gainDb / 20.0));
                    break;
                case ID_EFFECTS_NORMALIZE:
                    put(k, ch, x * (std::pow(10.0, peakDb / 20.0) * f.full() / peak));
                    break;
                case ID_EFFECTS_FADE_IN:
                    put(k, ch, x * static_cast<double>(k) / static_cast<double>(frames - 1));
                    break;
                case ID_EFFECTS_FADE_OUT:
                    put(k, ch,
                        x * static_cast<double>(frames - 1 - k) / static_cast<double>(frames - 1));
                    break;
                default:
                    ADD_FAILURE() << "no expectation for " << id;
            }
        }
    }
    return out;
}

TEST(WideFormats, EveryEffectMatchesTheArithmeticOfItsSampleValues) {
    const int effects[] = {ID_EFFECTS_REVERSE,   ID_FILTER_LOWPASS,  ID_FILTER_HIGHPASS,
                           ID_OCTAVE_INCREASE,   ID_OCTAVE_DECREASE, ID_EFFECTS_AMPLIFY,
                           ID_EFFECTS_NORMALIZE, ID_EFFECTS_FADE_IN, ID_EFFECTS_FADE_OUT};
    for (const Fmt f : kWide) {
        for (const int id : effects) {
            SCOPED_TRACE(::testing::Message() << f << " command " << id);
            Rig rig;
            const Bytes data = Signal(f, 101);
            const Bytes file = WavOf(f, data, f.channels == 2);  // stereo as extensible
            CQuorbelView& v = rig.openBytes(file);
            // Amplify allows clipping; Normalize measures all channels together.
            const bool normalize = id == ID_EFFECTS_NORMALIZE;
            rig.window.levelAnswer = LevelAnswer{normalize ? "-1.0" : "6.0", !normalize};
            ASSERT_TRUE(rig.click(id));
            ASSERT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
            const Bytes expected = Expected(id, data, f);
            EXPECT_EQ(rig.data(), expected);
            EXPECT_EQ(testing::SavedData(testing::ReadBytes(v.m_strCurrentFile)), expected);
            ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
            EXPECT_EQ(rig.data(), data);
            ASSERT_TRUE(rig.click(ID_EDIT_REDO));
            EXPECT_EQ(rig.data(), expected);
            EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
            // Saved after the edit, the `fmt ` chunk is still the one read.
            const std::string saved = rig.folder.file("edited.wav");
            ASSERT_TRUE(rig.doc.OnSaveDocument(saved));
            const std::size_t fmtEnd = 20 + testing::ReadLe32(file, 16);
            const Bytes written = testing::ReadBytes(saved);
            ASSERT_GE(written.size(), fmtEnd);
            EXPECT_TRUE(std::equal(file.begin() + 12,
                                   file.begin() + static_cast<std::ptrdiff_t>(fmtEnd),
                                   written.begin() + 12));
        }
    }
}

TEST(WideFormats, EditsKeepTheFormatAndTheClipboardKnowsFloatFromInteger) {
    for (const Fmt f : kWide) {
        SCOPED_TRACE(::testing::Message() << f);
        Rig rig;
        const Bytes data = Signal(f, 600);  // 1000 Hz: a frame a millisecond
        CQuorbelView& v = rig.openBytes(WavOf(f, data));
        auto part = [&](const Bytes& b, std::size_t from, std::size_t to) {
            return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from * f.frame()),
                         b.begin() + static_cast<std::ptrdiff_t>(to * f.frame()));
        };
        v.m_exactSelection = {{250, 500}};
        ASSERT_TRUE(rig.click(ID_EDIT_SILENCE));
        Bytes silenced = data;
        std::fill(silenced.begin() + static_cast<std::ptrdiff_t>(250 * f.frame()),
                  silenced.begin() + static_cast<std::ptrdiff_t>(500 * f.frame()), 0);
        EXPECT_EQ(rig.data(), silenced) << "silence is 0 in every wide layout";
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        v.m_exactSelection = {{250, 500}};
        ASSERT_TRUE(rig.click(ID_EDIT_CUT));
        EXPECT_EQ(BytesOf(rig.clipboard.Pieces()), part(data, 250, 500));
        EXPECT_EQ(rig.clipboard.Bits(), f.bits);
        EXPECT_EQ(rig.clipboard.Float(), f.isFloat);
        v.m_exactSelection = {{0, 0}};
        ASSERT_TRUE(rig.click(ID_EDIT_PASTE));
        Bytes expected = part(data, 250, 500);
        const Bytes rest = part(data, 0, 250), tail = part(data, 500, 600);
        expected.insert(expected.end(), rest.begin(), rest.end());
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(rig.data(), expected) << "pasted as it was cut: the same format";
        EXPECT_TRUE(rig.window.boxes.empty());

        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        ASSERT_EQ(rig.data(), data);
        v.m_exactSelection = {{250, 500}};
        ASSERT_TRUE(rig.click(ID_EDIT_TRIM));
        EXPECT_EQ(rig.data(), part(data, 250, 500));
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        v.m_exactSelection = {{250, 500}};
        ASSERT_TRUE(rig.click(ID_EDIT_CLEAR));
        Bytes deleted = part(data, 0, 250);
        deleted.insert(deleted.end(), tail.begin(), tail.end());
        EXPECT_EQ(rig.data(), deleted);

        // Insert Silence where Paste would insert: 20 ms at 1000 Hz are 20 frames of zeros.
        ASSERT_TRUE(rig.click(ID_EDIT_UNDO));
        v.m_exactSelection = {{250, 500}};
        rig.window.lengthAnswer = 20;
        ASSERT_TRUE(rig.click(ID_EDIT_INSERT_SILENCE));
        Bytes inserted = part(data, 0, 250);
        inserted.insert(inserted.end(), 20 * f.frame(), 0);
        const Bytes after = part(data, 250, 600);
        inserted.insert(inserted.end(), after.begin(), after.end());
        EXPECT_EQ(rig.data(), inserted);
        EXPECT_TRUE(rig.window.boxes.empty());
    }
}

// A sample of `from` as a sample of `to`, by the rules of Paste.
double Converted(double v, Fmt from, Fmt to) {
    if (from.isFloat == to.isFloat && from.bits == to.bits) return v;
    if (from.isFloat) return v * std::ldexp(1.0, to.bits - 1);
    if (to.isFloat) return v / std::ldexp(1.0, from.bits - 1);
    if (from.bits == 16 && to.bits == 8) return std::floor(v / 256);  // as 16 to 8 always did
    const double scale = std::ldexp(1.0, to.bits - from.bits);
    if (scale >= 1) return v * scale;
    const double q = v * scale;  // exact: a power of two
    return q < 0 ? -std::floor(-q + 0.5) : std::floor(q + 0.5);
}

TEST(WideFormats, PasteConvertsBetweenEveryPairOfFormats) {
    const std::size_t clipFrames = 9, soundFrames = 6;
    for (const Fmt from : kEvery) {
        for (const Fmt to : kEvery) {
            SCOPED_TRACE(::testing::Message() << from << " -> " << to);
            Rig rig;
            const Bytes sound = Signal(to, soundFrames, 3);
            rig.openBytes(WavOf(to, sound));
            const Bytes clip = Signal(from, clipFrames, 11);
            rig.clipboard.Replace(clip, from.channels, from.bits, from.isFloat);
            ASSERT_TRUE(rig.click(ID_EDIT_PASTE));
            ASSERT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;

            // Samples first, in the clipboard's channels, then the channels.
            Fmt mid = to;
            mid.channels = from.channels;
            Bytes samples(clipFrames * mid.frame());
            for (std::size_t i = 0; i < clipFrames * static_cast<std::size_t>(from.channels); ++i) {
                Put(samples, i, mid, Converted(Get(clip, i, from), from, to));
            }
            Bytes block(clipFrames * to.frame());
            for (std::size_t k = 0; k < clipFrames; ++k) {
                if (from.channels == to.channels) {
                    for (int ch = 0; ch < to.channels; ++ch) {
                        Put(block,
                            k * static_cast<std::size_t>(to.channels) +
                                static_cast<std::size_t>(ch),
                            to,
                            Get(samples,
                                k * static_cast<std::size_t>(to.channels) +
                                    static_cast<std::size_t>(ch),
                                mid));
                    }
                } else if (to.channels == 2) {
                    Put(block, 2 * k, to, Get(samples, k, mid));
                    Put(block, 2 * k + 1, to, Get(samples, k, mid));
                } else {
                    const std::size_t n = std::min(k + 1, clipFrames - 1);
                    const double sum = Get(samples, 2 * k, mid) + Get(samples, 2 * k + 1, mid) +
                                       Get(samples, 2 * n, mid) + Get(samples, 2 * n + 1, mid);
                    // 8 and 16 bits average in integers, truncated toward zero, as always.
                    Put(block, k, to, to.bits <= 16 && !to.isFloat ? std::trunc(sum / 4) : sum / 4);
                }
            }
            Bytes expected = block;
            expected.insert(expected.end(), sound.begin(), sound.end());
            EXPECT_EQ(rig.data(), expected);
            EXPECT_EQ(BytesOf(rig.clipboard.Pieces()), clip) << "Paste converts a copy";
        }
    }
}

TEST(WideFormats, PlaybackSendsEachFormatInATypeTheOutputTakes) {
    const std::optional<SampleType> outputs[] = {std::nullopt, SampleType::S16, SampleType::F32};
    for (const Fmt f : kWide) {
        for (const std::optional<SampleType> output : outputs) {
            const Fmt out = !output                      ? f
                            : *output == SampleType::S16 ? Fmt{16, f.channels, false}
                                                         : Fmt{32, f.channels, true};
            SCOPED_TRACE(::testing::Message() << f << " played as " << out);
            Rig rig;
            rig.backend.keepPlayedBytes(true);
            rig.backend.setPlaybackType(output);
            // Past the first ring-full, so that refills convert too.
            const StreamFormat format{1000, static_cast<std::uint16_t>(f.channels),
                                      SampleType::S16};
            const std::size_t frames = playbackRingFrames(format, UINT64_MAX) + 37;
            Bytes data = Signal(f, frames);
            if (f.isFloat) Put(data, 5, f, std::numeric_limits<double>::quiet_NaN());
            DeviceId id = 0;
            ASSERT_EQ(rig.devices.open(rig.folder.write("s.wav", WavOf(f, data)), id), kDeviceOk);
            testing::FakeNotifySink sink;
            ASSERT_EQ(rig.devices.play(id, &sink), kDeviceOk);
            for (int i = 0; i < 1000 && sink.count() == 0; ++i) {
                rig.clock.advanceMillis(50);
                rig.devices.service();
            }
            ASSERT_EQ(sink.count(), 1u);
            const SampleType own = f.isFloat      ? SampleType::F32
                                   : f.bits == 24 ? SampleType::S24
                                                  : SampleType::S32;
            EXPECT_EQ(rig.backend.lastPlaybackFormat()->type, output.value_or(own));

            // Converted by the rules of Paste; NaN and infinities play as silence.
            Bytes expected(frames * out.frame());
            for (std::size_t i = 0; i < frames * static_cast<std::size_t>(f.channels); ++i) {
                const double v = Get(data, i, f);
                Put(expected, i, out, std::isfinite(v) ? Converted(v, f, out) : 0.0);
            }
            const auto played = rig.backend.playedBytes();
            ASSERT_EQ(played.size(), 1u);
            Bytes got(played[0].size());
            std::transform(played[0].begin(), played[0].end(), got.begin(),
                           [](std::byte b) { return std::to_integer<std::uint8_t>(b); });
            ASSERT_GE(got.size(), expected.size());
            got.resize(expected.size());
            EXPECT_EQ(got, expected);
        }
    }
}

TEST(WideFormats, TwentyFourBitCorpusFilesOpenInWholeFrames) {
    const std::filesystem::path dir = QUORBEL_CORPUS_DIR;
    if (!std::filesystem::exists(dir / "MANIFEST.tsv")) GTEST_SKIP() << "no corpus at " << dir;
    std::ifstream manifest(dir / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);
    int opened = 0;
    while (std::getline(manifest, line)) {
        std::vector<std::string> cell;
        std::stringstream ss(line);
        for (std::string c; std::getline(ss, c, '\t');) cell.push_back(c);
        if (cell.size() < 15 || cell[6] != "24" || (cell[4] != "1" && cell[4] != "2")) continue;
        if (cell[3].find("PCM") == std::string::npos) continue;
        SCOPED_TRACE(cell[0]);
        Rig rig;
        ASSERT_TRUE(rig.doc.OnOpenDocument((dir / cell[0]).string()));
        CQuorbelView& v = rig.show();
        EXPECT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        const std::size_t frame = 3 * std::stoul(cell[4]);
        EXPECT_EQ(v.WaveDataLen() % frame, 0u);
        if (cell[10] != "-") {
            EXPECT_EQ(v.WaveDataLen(), std::stoul(cell[10]) * frame);
        }
        EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
        ++opened;
    }
    EXPECT_GT(opened, 0);
}

}  // namespace
}  // namespace quorbel
