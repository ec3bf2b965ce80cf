#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "fakes/recording_canvas.h"
#include "unit/view_test_rig.h"
#include "view/view_layout.h"
#include "view/wave_trace.h"
#include "wavefile/piece_list.h"
#include "wavefile/shared_bytes.h"

namespace quorbel {
namespace {

using Op = RecordingCanvas::Op;
using testing::ViewRig;
using testing::WavContent;
using testing::Words;

WavContent Mono8(std::vector<std::uint8_t> data) {
    WavContent s;
    s.data = std::move(data);
    return s;
}

WavContent Format(int channels, int bits, std::vector<std::uint8_t> data) {
    WavContent s;
    s.channels = static_cast<std::uint16_t>(channels);
    s.bits = static_cast<std::uint16_t>(bits);
    s.data = std::move(data);
    return s;
}

std::vector<Point> StripPoints(CQuorbelView& v) {
    RecordingCanvas canvas;
    v.DrawSliderWave(canvas);
    return canvas.linePoints();
}

std::vector<Point> ScopePoints(CQuorbelView& v) {
    RecordingCanvas canvas;
    v.DrawScopeWave(canvas);
    return canvas.linePoints();
}

TEST(ViewDrawing, StripDrawsEightBitSamplesWithinTheMagnifiedBand) {
    ViewRig rig;
    std::vector<std::uint8_t> data(100, 128);
    data[0] = 255;
    data[1] = 0;
    CQuorbelView& v = rig.open(Mono8(data));

    RecordingCanvas canvas;
    v.DrawSliderWave(canvas);
    ASSERT_GE(canvas.calls.size(), 3u);
    EXPECT_EQ(canvas.calls[0].op, Op::Pen);
    EXPECT_EQ(canvas.calls[0].color, (Color{0, 255, 0}));
    EXPECT_EQ(canvas.calls[0].id, 1);
    EXPECT_EQ(canvas.calls[1].op, Op::MoveTo);
    EXPECT_EQ(canvas.calls[1].p, (Point{58, 74}));
    const std::vector<Point> points = canvas.linePoints();
    ASSERT_EQ(points.size(), 265u);
    EXPECT_EQ(points[0], (Point{58, 81}));
    EXPECT_EQ(points[1], (Point{59, 66}));
    EXPECT_EQ(points[2], (Point{60, 74}));
    EXPECT_EQ(points.back(), (Point{322, 74}));

    v.OnMagnify300();
    const std::vector<Point> triple = StripPoints(v);
    EXPECT_EQ(triple[0], (Point{58, 89}));
    EXPECT_EQ(triple[1], (Point{59, 58}));
    v.OnMagnify200();
    EXPECT_EQ(StripPoints(v)[0], (Point{58, 74 + 7}));  // 127 rem 20
}

TEST(ViewDrawing, StripDrawsSixteenBitSamplesByTheirRemainder) {
    const int expected1000[] = {0, 0, 20};
    for (int magnify = 0; magnify < 3; ++magnify) {
        SCOPED_TRACE(magnify);
        ViewRig rig;
        CQuorbelView& v = rig.open(Format(1, 16, Words({-32768, 1000, 0, 0})));
        v.m_nMagnify = magnify;
        const std::vector<Point> points = StripPoints(v);
        EXPECT_EQ(points[0], (Point{58, 74 - 8}));
        EXPECT_EQ(points[1], (Point{59, 74 + expected1000[magnify]}));
    }
}

TEST(ViewDrawing, StripColumnsAtOrPastTheLastSampleLieOnTheBaseline) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8(std::vector<std::uint8_t>(100, 255)));
    std::vector<Point> points = StripPoints(v);
    EXPECT_EQ(points[98], (Point{58 + 98, 81}));
    EXPECT_EQ(points[99], (Point{58 + 99, 74})) << "the buffer's last element is not drawn";

    v.m_nPosition = 5000;
    points = StripPoints(v);
    ASSERT_EQ(points.size(), 265u);
    for (const Point& p : points) EXPECT_EQ(p.y, 74);
}

TEST(ViewDrawing, ClusteredStripDrawsAStrokeAcrossTheBaseline) {
    ViewRig rig;
    std::vector<std::uint8_t> data(4, 128);
    data[0] = 255;
    CQuorbelView& v = rig.open(Mono8(data));
    v.OnSliderClustered();
    RecordingCanvas canvas;
    v.DrawSliderWave(canvas);
    EXPECT_EQ(canvas.only(Op::MoveTo).size(), 1u);
    const std::vector<Point> points = canvas.linePoints();
    EXPECT_EQ(points[0], (Point{58, 81}));
    EXPECT_EQ(points[1], (Point{58, 67}));
    EXPECT_EQ(points[2], (Point{59, 74}));
    EXPECT_EQ(points[3], (Point{59, 74}));
    // Columns 60 and on have no sample: one point each.
    EXPECT_EQ(points.size(), 2u * 3 + (265 - 3));
}

TEST(ViewDrawing, AVeryLowWindowStillDrawsTheStrip) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8({255, 255, 128}));
    rig.window.client = {0, 0, 388, 10};  // H = 5: 127 rem 5 = 2
    EXPECT_EQ(StripPoints(v)[0], (Point{58, 76}));
    rig.window.client = {0, 0, 388, 1};  // H = 0: that step is left out
    EXPECT_EQ(StripPoints(v)[0], (Point{58, 81}));
}

TEST(ViewDrawing, ScopeOffsetsForTheFourFormats) {
    {
        SCOPED_TRACE("8-bit mono");
        ViewRig rig;
        CQuorbelView& v = rig.open(Mono8({255, 0, 128}));
        const std::vector<Point> points = ScopePoints(v);
        const std::vector<Point> expected{{10, 310 + 127}, {11, 310 - 128}, {12, 310}};
        EXPECT_EQ(points, expected);
    }
    {
        SCOPED_TRACE("16-bit mono");
        ViewRig rig;
        CQuorbelView& v = rig.open(Format(1, 16, Words({32767, -32768, 249})));
        const std::vector<Point> expected{{10, 310 + 131}, {11, 310 - 131}, {12, 310}};
        EXPECT_EQ(ScopePoints(v), expected);
    }
    {
        SCOPED_TRACE("16-bit stereo");
        ViewRig rig;
        CQuorbelView& v = rig.open(Format(2, 16, Words({32767, -32768, -499, 500})));
        RecordingCanvas canvas;
        v.DrawScopeWave(canvas);
        const std::vector<RecordingCanvas::Call> moves = canvas.only(Op::MoveTo);
        ASSERT_EQ(moves.size(), 3u);
        EXPECT_EQ(moves[0].p, (Point{10, 310}));
        EXPECT_EQ(moves[1].p, (Point{10, 245}));
        EXPECT_EQ(moves[2].p, (Point{10, 375}));
        // One column per frame. Upper trace: left samples 0 and 2; lower: right samples 1
        // and 3.
        const std::vector<Point> expected{{10, 245 + 65}, {11, 245}, {10, 375 - 65}, {11, 375 + 1}};
        EXPECT_EQ(canvas.linePoints(), expected);
    }
    {
        SCOPED_TRACE("8-bit stereo");
        ViewRig rig;
        CQuorbelView& v = rig.open(Format(2, 8, {255, 0, 129, 127}));
        const std::vector<Point> expected{{10, 245 + 63}, {11, 245}, {10, 375 - 64}, {11, 375}};
        EXPECT_EQ(ScopePoints(v), expected);
    }
}

TEST(ViewDrawing, StereoScopeStepsByWholeFramesSoEachTraceKeepsToItsChannel) {
    ViewRig rig;
    std::vector<std::uint8_t> data(3 * 367 + 1);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(128 + i % 50);
    CQuorbelView& v = rig.open(Format(2, 8, data));
    ASSERT_EQ(v.m_nSampleCount, 1102u);
    const std::vector<Point> points = ScopePoints(v);
    // 1102 / 367 = 3 samples, rounded down to one frame of 2: 551 columns in each trace.
    ASSERT_EQ(points.size(), 551u + 551u);
    EXPECT_EQ(points[0], (Point{10, 245 + 0}));
    EXPECT_EQ(points[1], (Point{11, 245 + 2 / 2}));
    EXPECT_EQ(points[2], (Point{12, 245 + 4 / 2}));
    EXPECT_EQ(points[551], (Point{10, 375 + 1 / 2}));
    EXPECT_EQ(points[552], (Point{11, 375 + 3 / 2}));
    EXPECT_EQ(points[553], (Point{12, 375 + 5 / 2}));
}

// The scope's traces one by one: the line points after each move, in order.
std::vector<std::vector<Point>> ScopeTraces(CQuorbelView& v) {
    RecordingCanvas canvas;
    v.DrawScopeWave(canvas);
    std::vector<std::vector<Point>> traces;
    for (const RecordingCanvas::Call& call : canvas.calls) {
        if (call.op == Op::MoveTo) traces.emplace_back();
        if (call.op == Op::LineTo && !traces.empty()) traces.back().push_back(call.p);
    }
    return traces;
}

TEST(ViewDrawing, ALeftOnlyStereoSoundShowsNothingInTheRightTrace) {
    // Frame counts that make N / 367 odd (5, 1, 0 and an odd step of 99), where a step of
    // samples would alternate between the channels.
    for (int bits : {8, 16}) {
        for (std::size_t frames : {std::size_t{5 * 367 / 2 + 7}, std::size_t{200}, std::size_t{100},
                                   std::size_t{99 * 367 / 2 + 3}}) {
            SCOPED_TRACE(::testing::Message() << bits << "-bit, " << frames << " frames");
            std::vector<std::uint8_t> data;
            for (std::size_t f = 0; f < frames; ++f) {
                if (bits == 8) {
                    data.insert(data.end(), {255, 128});
                } else {
                    data.insert(data.end(), {0x30, 0x75, 0, 0});  // 30000 left, 0 right
                }
            }
            ViewRig rig;
            CQuorbelView& v = rig.open(Format(2, bits, data));
            const std::vector<std::vector<Point>> traces = ScopeTraces(v);
            ASSERT_EQ(traces.size(), 3u);
            const int left = bits == 8 ? 63 : 60;
            ASSERT_FALSE(traces[1].empty());
            for (const Point& p : traces[1]) ASSERT_EQ(p.y, 245 + left) << "x " << p.x;
            ASSERT_EQ(traces[2].size(), traces[1].size());
            for (const Point& p : traces[2]) ASSERT_EQ(p.y, 375) << "x " << p.x;
        }
    }
}

// `words` as samples of `width` bytes: the word on top, low bytes that differ from sample
// to sample below it.
std::vector<std::uint8_t> WideSamples(const std::vector<std::int16_t>& words, int width) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < words.size(); ++i) {
        for (int low = 0; low < width - 2; ++low)
            bytes.push_back(static_cast<std::uint8_t>(0x5A + 61 * i + 17 * low));
        const auto word = static_cast<std::uint16_t>(words[i]);
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return bytes;
}

TEST(ViewDrawing, TwentyFourAndThirtyTwoBitSoundDrawsLikeItsTopSixteenBits) {
    // 2000 samples of a ramp that wraps round: scope steps of 5 (mono) and 4 (stereo).
    std::vector<std::int16_t> words(2000);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(i * 2741));
    for (int channels : {1, 2}) {
        ViewRig narrowRig;
        CQuorbelView& narrow = narrowRig.open(Format(channels, 16, WideSamples(words, 2)));
        for (int width : {3, 4}) {
            SCOPED_TRACE(::testing::Message() << 8 * width << "-bit, " << channels << " ch");
            ViewRig rig;
            CQuorbelView& v = rig.open(Format(channels, 8 * width, WideSamples(words, width)));
            EXPECT_EQ(v.m_nSampleCount, 2000u);
            EXPECT_EQ(rig.window.sliderMax(), 2000);
            for (int mode : {WAVEMODE_WAVE, WAVEMODE_CLUSTERED}) {
                v.m_nSliderWaveMode = v.m_nScopeWaveMode = mode;
                narrow.m_nSliderWaveMode = narrow.m_nScopeWaveMode = mode;
                EXPECT_EQ(ScopePoints(v), ScopePoints(narrow));
                for (int position : {0, 1001, 1900}) {
                    v.m_nPosition = narrow.m_nPosition = position;
                    EXPECT_EQ(StripPoints(v), StripPoints(narrow)) << "from " << position;
                }
            }
        }
    }
}

TEST(ViewDrawing, ScopeColumnCounts) {
    struct Case {
        std::size_t samples;
        std::size_t columns;
        int lastX;
    };
    // Fewer than 367 samples: one column each. 734: exactly 367. 834 = 2 x 367 + 100:
    // 367 + 100 / 2 columns, past the vectorscope's right edge.
    for (const Case c :
         {Case{100, 100, 109}, Case{500, 500, 509}, Case{734, 367, 376}, Case{834, 417, 426}}) {
        SCOPED_TRACE(c.samples);
        ViewRig rig;
        CQuorbelView& v = rig.open(Mono8(std::vector<std::uint8_t>(c.samples, 140)));
        const std::vector<Point> points = ScopePoints(v);
        ASSERT_EQ(points.size(), c.columns);
        EXPECT_EQ(points.back(), (Point{c.lastX, 310 + 12}));
    }
}

TEST(ViewDrawing, ClusteredScopeDrawsBothSidesOfTheBaseline) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8({138, 118}));
    v.OnScopeClustered();
    const std::vector<Point> expected{{10, 320}, {10, 300}, {11, 300}, {11, 320}};
    EXPECT_EQ(ScopePoints(v), expected);
}

TEST(ViewDrawing, FramesAndHandlesAtTheirInitialPlaces) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8({1, 2, 3}));
    RecordingCanvas canvas;
    v.DrawFrames(canvas);
    const std::vector<RecordingCanvas::Call> edges = canvas.only(Op::Edge);
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0].rect, (Rect{10, 180, 377, 440}));
    EXPECT_EQ(edges[0].edge, EdgeStyle::Etched);
    EXPECT_EQ(edges[1].rect, (Rect{5, 175, 10, 180}));
    EXPECT_EQ(edges[1].edge, EdgeStyle::Bump);
    EXPECT_EQ(edges[2].rect, (Rect{377, 440, 382, 445}));
    EXPECT_EQ(edges[2].edge, EdgeStyle::Bump);

    v.m_rcStartHandle = {95, 165, 110, 180};
    v.m_rcEndHandle = {200, 440, 215, 455};
    RecordingCanvas moved;
    v.DrawFrames(moved);
    EXPECT_EQ(moved.only(Op::Edge)[0].rect, (Rect{110, 180, 200, 440}));
}

TEST(ViewDrawing, BackgroundAndPenFollowSkinAndChannels) {
    struct Case {
        int skin;
        int mono, stereo;
        Color pen;
    };
    const Color green{0, 255, 0}, yellow{255, 255, 0};
    for (const Case c : {Case{0, 167, 166, green}, Case{1, 169, 168, green},
                         Case{2, 173, 171, yellow}, Case{3, 172, 170, green}}) {
        SCOPED_TRACE(c.skin);
        for (int channels : {1, 2}) {
            ViewRig rig;
            CQuorbelView& v = rig.open(Format(channels, 8, std::vector<std::uint8_t>(8, 100)));
            v.m_nSkin = c.skin;
            RecordingCanvas canvas;
            v.OnDraw(canvas);
            ASSERT_FALSE(canvas.calls.empty());
            EXPECT_EQ(canvas.calls[0].op, Op::Bitmap);
            EXPECT_EQ(canvas.calls[0].id, channels == 2 ? c.stereo : c.mono);
            EXPECT_EQ(canvas.calls[0].p, (Point{0, 0}));
            const std::vector<RecordingCanvas::Call> pens = canvas.only(Op::Pen);
            ASSERT_EQ(pens.size(), 2u) << "one pen per trace";
            for (const auto& pen : pens) EXPECT_EQ(pen.color, c.pen);
        }
    }
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8({1, 2}));
    v.m_nSkin = 4;
    RecordingCanvas canvas;
    v.OnDraw(canvas);
    EXPECT_TRUE(canvas.only(Op::Bitmap).empty());
    EXPECT_FALSE(canvas.linePoints().empty());
}

TEST(ViewDrawing, ANewDocumentShowsOnlyTheBackground) {
    ViewRig rig;
    CQuorbelView& v = rig.openNew();
    RecordingCanvas canvas;
    v.OnDraw(canvas);
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].op, Op::Bitmap);
    EXPECT_EQ(canvas.calls[0].id, 169) << "no channels: the one-channel Embossed picture";
}

TEST(ViewDrawing, TwelveBitShowsFramesOnlyAndMoreThanTwoChannelsNoScope) {
    {
        ViewRig rig;
        WavContent s = Format(2, 12, std::vector<std::uint8_t>(30, 7));
        s.blockAlign = 3;
        CQuorbelView& v = rig.openUnplayable(s);
        RecordingCanvas canvas;
        v.OnDraw(canvas);
        EXPECT_TRUE(canvas.linePoints().empty());
        EXPECT_EQ(canvas.only(Op::Edge).size(), 3u);
    }
    {
        ViewRig rig;
        CQuorbelView& v = rig.openUnplayable(Format(3, 8, std::vector<std::uint8_t>(30, 7)));
        EXPECT_EQ(StripPoints(v).size(), 265u);
        EXPECT_TRUE(ScopePoints(v).empty());
        RecordingCanvas canvas;
        v.OnDraw(canvas);
        EXPECT_EQ(canvas.only(Op::Edge).size(), 3u);
    }
}

TEST(ViewDrawing, NoneModesDrawNoTrace) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8({1, 2, 3}));
    v.OnSliderNone();
    v.OnScopeNone();
    RecordingCanvas canvas;
    v.OnDraw(canvas);
    EXPECT_TRUE(canvas.linePoints().empty());
    EXPECT_TRUE(canvas.only(Op::Pen).empty());
    EXPECT_EQ(canvas.only(Op::Edge).size(), 3u);
}

// A recording canvas that shows only `visible`, as a repaint of part of the view does.
class PartCanvas : public RecordingCanvas {
  public:
    explicit PartCanvas(Rect visible) : visible_(visible) {}
    bool isVisible(const Rect& r) const override {
        return r.left < visible_.right && visible_.left < r.right && r.top < visible_.bottom &&
               visible_.top < r.bottom;
    }

  private:
    Rect visible_;
};

// Samples at the extremes of each format, and ones whose remainders reach the strip's
// widest offsets, for 300 columns and more.
WavContent Extremes(int channels, int bits) {
    std::vector<std::uint8_t> bytes;
    if (bits == 8) {
        for (int i = 0; i < 600; ++i) bytes.push_back(i % 2 == 0 ? 0 : 255);
        return Format(channels, 8, bytes);
    }
    for (int i = 0; i < 150; ++i) {
        for (int w : {-32768, 32767, 27, -27}) {
            const auto word = static_cast<std::uint16_t>(w);
            bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        }
    }
    return Format(channels, 16, bytes);
}

TEST(ViewDrawing, EachTraceStaysInTheAreaThatPartialRepaintsTestFor) {
    // A partial repaint skips a trace whose area it does not meet: no trace may leave it.
    const Rect strip = StripTraceBounds();
    const Rect scope = ScopeTraceBounds();
    for (int bits : {8, 16}) {
        for (int channels : {1, 2}) {
            ViewRig rig;
            CQuorbelView& v = rig.open(Extremes(channels, bits));
            for (int mode : {0, 1}) {
                for (int magnify : {0, 1, 2}) {
                    SCOPED_TRACE(::testing::Message()
                                 << bits << "-bit, " << channels << " ch, mode " << mode
                                 << ", magnify " << magnify);
                    v.m_nSliderWaveMode = v.m_nScopeWaveMode = mode;
                    v.m_nMagnify = magnify;
                    for (const Point& p : StripPoints(v)) EXPECT_TRUE(strip.contains(p));
                    for (const Point& p : ScopePoints(v)) EXPECT_TRUE(scope.contains(p));
                }
            }
        }
    }
    // The most columns a vectorscope trace has: 733 samples, one column each.
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8(std::vector<std::uint8_t>(733, 255)));
    const std::vector<Point> widest = ScopePoints(v);
    ASSERT_EQ(widest.size(), 733u);
    EXPECT_TRUE(scope.contains(widest.back()));
}

TEST(ViewDrawing, APartialRepaintLeavesOutTheTraceItCannotShow) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Extremes(2, 16));
    const std::size_t stripPoints = StripPoints(v).size();
    const std::size_t scopePoints = ScopePoints(v).size();

    PartCanvas strip(kSliderWaveRect);
    v.OnDraw(strip);
    EXPECT_EQ(strip.linePoints().size(), stripPoints) << "only the strip's trace";
    EXPECT_EQ(strip.only(Op::Bitmap).size(), 1u);

    PartCanvas scope(kScopeRect);
    v.OnDraw(scope);
    EXPECT_EQ(scope.linePoints().size(), scopePoints) << "only the vectorscope's trace";
    EXPECT_EQ(scope.only(Op::Edge).size(), 3u);
}

}  // namespace
}  // namespace quorbel

namespace quorbel {
namespace {

// The strip's offsets read in blocks are the ones read a sample at a time, for every sample
// format, across the pieces of an edited sound and past both of its ends.
TEST(ViewDrawing, StripOffsetsInBlocksMatchOneAtATime) {
    std::vector<std::uint8_t> bytes(2400);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 97 + 13) ^ (i >> 3));
    // Float samples: some finite, one NaN (bytes 0xFF 0xFF 0xFF 0x7F).
    for (std::size_t i = 400; i < 404; ++i) bytes[i] = i == 403 ? 0x7F : 0xFF;
    const PieceList whole(ShareBytes(std::vector<std::uint8_t>(bytes)));
    const PieceList pieces = whole.Slice(0, 1001).Then(whole.Slice(1001, 1399));
    const struct {
        int bits;
        bool floats;
    } formats[] = {{8, false}, {16, false}, {24, false}, {32, false}, {32, true}, {12, false}};
    for (const auto& f : formats) {
        for (const std::int64_t first : {-300, -5, 0, 17, 250, 590, 1190, 2390, 5000}) {
            SCOPED_TRACE(::testing::Message() << f.bits << (f.floats ? " float " : " ") << first);
            std::array<std::optional<int>, 600> blocks;
            StripOffsets(pieces, f.bits, first, blocks, 240, 10, f.floats);
            for (std::size_t i = 0; i < blocks.size(); ++i) {
                const auto k = first + static_cast<std::int64_t>(i);
                ASSERT_EQ(blocks[i], StripOffset(pieces, f.bits, k, 240, 10, f.floats)) << k;
            }
        }
    }
}

}  // namespace
}  // namespace quorbel
