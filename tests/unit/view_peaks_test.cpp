// The vectorscope's Peaks mode: each column a stroke from the lowest to the highest sample of
// its frames, checked against a min/max the test works out from the sound's bytes itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "fakes/recording_canvas.h"
#include "fakes/sample_formats.h"
#include "framework/command_ids.h"
#include "unit/view_test_rig.h"
#include "view/display_modes.h"
#include "wavefile/peak_worker.h"

namespace quorbel {
namespace {

using Op = RecordingCanvas::Op;
using testing::kSampleFormats;
using testing::SampleFormat;
using testing::ViewRig;
using testing::WavContent;

// Pseudo-random samples with one loud click in each direction, at odd places: a picture that
// sampled one frame per column would miss them.
std::vector<std::uint8_t> Samples(const SampleFormat& f, std::uint64_t frames) {
    std::vector<std::uint8_t> data(frames * f.frame());
    std::uint32_t seed = 12345;
    for (auto& b : data) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(0x60 + (seed >> 24) % 0x40);  // well inside full scale
    }
    const auto put = [&](std::uint64_t frame, bool high) {
        if (frame >= frames) return;
        std::uint8_t* s = &data[frame * f.frame()];
        if (f.bits == 8) {
            s[0] = high ? 255 : 0;
        } else {
            s[0] = high ? 0xFF : 0x00;
            s[1] = high ? 0x7F : 0x80;
        }
    };
    put(frames / 3 + 1, true);
    put(frames * 2 / 3 + 7, false);
    return data;
}

WavContent Sound(const SampleFormat& f, std::vector<std::uint8_t> data) {
    WavContent s;
    s.channels = f.channels;
    s.bits = f.bits;
    s.data = std::move(data);
    return s;
}

struct Stroke {
    int top, bottom;  // pixel rows, both drawn
    friend bool operator==(const Stroke&, const Stroke&) = default;
};

// What Peaks must draw for one channel of `bytes` (whole frames of format `f`), worked out
// directly: per column its frame range, the drawn value of each sample, truncating division.
std::vector<Stroke> Expected(const SampleFormat& f, const std::vector<std::uint8_t>& bytes,
                             int channel) {
    const std::uint64_t frames = bytes.size() / f.frame();
    const int baseline = f.channels == 1 ? 310 : (channel == 0 ? 245 : 375);
    const int d = f.bits == 8 ? (f.channels == 1 ? 1 : 2) : (f.channels == 1 ? 250 : 500);
    std::vector<Stroke> out;
    if (frames == 0) return out;
    for (std::uint64_t x = 10; x < 377; ++x) {
        const std::uint64_t first = (x - 10) * frames / 367;
        const std::uint64_t last = std::max((x - 9) * frames / 367, first + 1);
        int lo = 1 << 20, hi = -(1 << 20);
        for (std::uint64_t k = first; k < last; ++k) {
            const std::uint8_t* s =
                &bytes[k * f.frame() + static_cast<std::size_t>(channel) * (f.bits / 8u)];
            const int v = f.bits == 8 ? s[0] - 128 : static_cast<std::int16_t>(s[0] | s[1] << 8);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        out.push_back({baseline + lo / d, baseline + hi / d});
    }
    return out;
}

// The strokes drawn, per trace: each a move to its top and a line to one past its bottom.
std::vector<std::vector<Stroke>> Drawn(CQuorbelView& v) {
    RecordingCanvas canvas;
    v.DrawScopeWave(canvas);
    std::vector<std::vector<Stroke>> traces(static_cast<std::size_t>(v.m_nChannels));
    std::size_t count = 0;
    const std::vector<RecordingCanvas::Call>& calls = canvas.calls;
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        if (calls[i].op != Op::MoveTo || calls[i + 1].op != Op::LineTo) continue;
        EXPECT_EQ(calls[i].p.x, calls[i + 1].p.x) << "a column's stroke is vertical";
        EXPECT_EQ(calls[i].p.x, 10 + static_cast<int>(count % 367)) << "one stroke per column";
        traces[std::min(count / 367, traces.size() - 1)].push_back(
            {calls[i].p.y, calls[i + 1].p.y - 1});
        ++count;
    }
    return traces;
}

void ExpectPeaksOf(CQuorbelView& v, const SampleFormat& f, const std::vector<std::uint8_t>& bytes) {
    const std::vector<std::vector<Stroke>> drawn = Drawn(v);
    for (int c = 0; c < f.channels; ++c) {
        SCOPED_TRACE(c);
        const std::vector<Stroke> expected = Expected(f, bytes, c);
        ASSERT_EQ(drawn[static_cast<std::size_t>(c)].size(), expected.size());
        for (std::size_t x = 0; x < expected.size(); ++x)
            EXPECT_EQ(drawn[static_cast<std::size_t>(c)][x], expected[x]) << "column " << 10 + x;
    }
}

std::vector<std::uint8_t> BytesOf(const PieceList& list) {
    std::vector<std::uint8_t> out(list.size());
    list.Read(0, out);
    return out;
}

TEST(ViewPeaks, EachColumnSpansTheLowestToTheHighestSampleOfItsFrames) {
    // No frames, fewer frames than columns, odd counts, and more than three 65,536-frame stretches
    // with a part of one 256-frame bucket over.
    const std::uint64_t frameCounts[] = {0, 1, 5, 366, 367, 1001, 3 * 65536 + 257};
    for (const SampleFormat& f : kSampleFormats) {
        for (const std::uint64_t frames : frameCounts) {
            SCOPED_TRACE(::testing::Message() << f.bits << "-bit, " << f.channels << " channels, "
                                              << frames << " frames");
            ViewRig rig;
            const std::vector<std::uint8_t> bytes = Samples(f, frames);
            CQuorbelView& v = rig.open(Sound(f, bytes));
            ASSERT_TRUE(rig.click(ID_SCOPE_PEAKS));
            WaitForPeakSummaries();
            ExpectPeaksOf(v, f, bytes);
        }
    }
}

// Peaks of the wide formats: 24-bit integers drawn from their top 16 bits, and floats times
// 32767, clamped, a NaN as silence; the expected strokes are worked out here sample by sample.
TEST(ViewPeaks, WideAndFloatSamplesDrawOnTheSameScale) {
    struct Case {
        std::uint16_t formatTag, bits, channels;
    };
    const Case cases[] = {{1, 24, 1}, {1, 32, 2}, {3, 32, 1}, {3, 32, 2}};
    constexpr std::uint64_t kFrames = 1001;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.formatTag << "/" << c.bits << "/" << c.channels);
        const unsigned width = c.bits / 8u;
        std::vector<std::uint8_t> bytes(kFrames * c.channels * width);
        std::vector<int> drawn(kFrames * c.channels);  // the value each sample draws as
        for (std::uint64_t k = 0; k < kFrames * c.channels; ++k) {
            const double x = std::sin(static_cast<double>(k) * 0.37) * (k % 97 == 5 ? 1.6 : 0.7);
            std::uint8_t* p = &bytes[k * width];
            if (c.formatTag == 3) {
                const float v = k == 500 ? std::nanf("") : static_cast<float>(x);
                std::memcpy(p, &v, 4);
                drawn[k] = std::isnan(v)
                               ? 0
                               : static_cast<int>(std::clamp(static_cast<double>(v) * 32767.0,
                                                             -32768.0, 32767.0));
            } else {
                const auto v = static_cast<std::int32_t>(std::clamp(x, -1.0, 0.999) * 8388607.0)
                               << (c.bits - 24);
                for (unsigned b = 0; b < width; ++b) p[b] = static_cast<std::uint8_t>(v >> (8 * b));
                drawn[k] = v >> (c.bits - 16);
            }
        }
        ViewRig rig;
        WavContent sound;
        sound.formatTag = c.formatTag;
        sound.channels = c.channels;
        sound.bits = c.bits;
        sound.data = bytes;
        CQuorbelView& v = rig.open(sound);
        ASSERT_TRUE(rig.click(ID_SCOPE_PEAKS));
        WaitForPeakSummaries();
        const std::vector<std::vector<Stroke>> traces = Drawn(v);
        const int d = c.channels == 1 ? 250 : 500;
        for (int ch = 0; ch < c.channels; ++ch) {
            const int baseline = c.channels == 1 ? 310 : (ch == 0 ? 245 : 375);
            ASSERT_EQ(traces[static_cast<std::size_t>(ch)].size(), 367u);
            for (std::uint64_t x = 10; x < 377; ++x) {
                const std::uint64_t first = (x - 10) * kFrames / 367;
                const std::uint64_t last = std::max((x - 9) * kFrames / 367, first + 1);
                int lo = 1 << 20, hi = -(1 << 20);
                for (std::uint64_t k = first; k < last; ++k) {
                    lo = std::min(lo, drawn[k * c.channels + static_cast<std::uint64_t>(ch)]);
                    hi = std::max(hi, drawn[k * c.channels + static_cast<std::uint64_t>(ch)]);
                }
                EXPECT_EQ(traces[static_cast<std::size_t>(ch)][x - 10],
                          (Stroke{baseline + lo / d, baseline + hi / d}))
                    << "column " << x;
            }
        }
    }
}

TEST(ViewPeaks, AnEditedSoundOfManyPiecesAndSilenceDrawsItsOwnPeaks) {
    // Pieces that start and end inside 256-frame buckets, of two blocks, with silence between;
    // the edit lands while the first block's summary is still to be made.
    for (const SampleFormat& f : kSampleFormats) {
        SCOPED_TRACE(::testing::Message() << f.bits << "-bit, " << f.channels << " channels");
        ViewRig rig;
        const std::uint64_t frames = 2 * 65536 + 999;
        std::optional<PeakSummaryHold> hold(std::in_place);
        CQuorbelView& v = rig.open(Sound(f, Samples(f, frames)));
        v.m_nScopeWaveMode = WAVEMODE_PEAKS;
        const PieceList& sound = *v.m_waveData;
        const std::uint64_t fb = f.frame();
        std::vector<std::uint8_t> other(40001 * fb, f.bits == 8 ? 200 : 0x30);
        const PieceList edited =
            sound.Slice(0, 70001 * fb)
                .Then(PieceList::Silence(3333 * fb, f.bits == 8 ? 128 : 0))
                .Then(PieceList(ShareBytes(std::move(other))).Slice(13 * fb, 40001 * fb))
                .Then(sound.Slice(100003 * fb, frames * fb));
        v.ReplaceWaveData(edited);
        v.m_nSampleCount = static_cast<std::uint32_t>(edited.size() / (f.bits / 8u));
        hold.reset();
        WaitForPeakSummaries();
        ExpectPeaksOf(v, f, BytesOf(edited));
    }
}

TEST(ViewPeaks, ZoomedPeaksCoverOnlyTheZoomedStretch) {
    for (const SampleFormat& f : kSampleFormats) {
        SCOPED_TRACE(::testing::Message() << f.bits << "-bit, " << f.channels << " channels");
        ViewRig rig;
        const std::vector<std::uint8_t> bytes = Samples(f, 22050 * 3);
        CQuorbelView& v = rig.open(Sound(f, bytes));
        v.OnScopePeaks();
        v.m_dwZoomFromMs = 1100;  // frames 24255 to 40417 at 22050 Hz
        v.m_dwZoomToMs = 1833;
        WaitForPeakSummaries();
        ExpectPeaksOf(v, f, {bytes.begin() + 24255 * f.frame(), bytes.begin() + 40417 * f.frame()});
    }
}

TEST(ViewPeaks, WhileSummariesAreMadeTheWavePictureShowsWithoutWaiting) {
    for (const SampleFormat& f : kSampleFormats) {
        SCOPED_TRACE(::testing::Message() << f.bits << "-bit, " << f.channels << " channels");
        ViewRig rig;
        const PeakSummaryHold hold;
        CQuorbelView& v = rig.open(Sound(f, Samples(f, 100001)));
        RecordingCanvas wave;
        v.DrawScopeWave(wave);
        std::vector<Point> wavePoints;
        for (const Point& p : wave.linePoints())
            if (p.x < 377) wavePoints.push_back(p);

        v.OnScopePeaks();
        RecordingCanvas peaks;
        v.DrawScopeWave(peaks);
        EXPECT_EQ(peaks.linePoints(), wavePoints);
    }
}

TEST(ViewPeaks, TheVectorscopeRepaintsUntilItsSummariesAreMade) {
    ViewRig rig;
    std::optional<PeakSummaryHold> hold(std::in_place);
    CQuorbelView& v = rig.open(Sound(kSampleFormats[3], Samples(kSampleFormats[3], 70001)));
    v.OnScopePeaks();
    RecordingCanvas first;
    v.DrawScopeWave(first);
    EXPECT_TRUE(rig.window.activeTimers.count(kPeaksTimerId));
    rig.window.invalidations.clear();
    v.OnTimer(kPeaksTimerId);
    EXPECT_FALSE(rig.window.activeTimers.count(kPeaksTimerId));
    EXPECT_EQ(rig.window.invalidations.size(), 1u) << "the vectorscope repaints";

    hold.reset();
    WaitForPeakSummaries();
    RecordingCanvas done;
    v.DrawScopeWave(done);
    EXPECT_FALSE(rig.window.activeTimers.count(kPeaksTimerId)) << "nothing left to wait for";
}

TEST(ViewPeaks, ANewViewStartsInWave) {
    ViewRig rig;
    EXPECT_EQ(rig.open(testing::Mono8Second()).m_nScopeWaveMode, WAVEMODE_WAVE);
}

}  // namespace
}  // namespace quorbel
