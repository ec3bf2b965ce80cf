// Selecting exactly: typed times, the zoomed pixel rule, zoom limits, keyboard handles and the
// selection read out.

#include <gtest/gtest.h>

#include "fakes/recording_canvas.h"
#include "fakes/sample_formats.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "view/selection_math.h"
#include "view/selection_time.h"

namespace quorbel {
namespace {

using testing::ViewRig;
using testing::WavContent;
using Key = CQuorbelView::SelectionKey;

TEST(SelectionTime, TypedTimesAreReadToTheMillisecondAndNonsenseIsRefused) {
    const std::pair<const char*, std::optional<std::uint32_t>> cases[] = {
        {"12.5", 12500},
        {"12", 12000},
        {" 0:01.250 ", 1250},
        {"1:02.345", 62345},
        {"1:00:02.3", 3602300},
        {"0.001", 1},
        {"10:00", 600000},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"-1", std::nullopt},
        {"1.2345", std::nullopt},
        {"1:60", std::nullopt},
        {"1:2:3:4", std::nullopt},
        {"1.", std::nullopt},
        {"4294967.296", std::nullopt},
        {"1e3", std::nullopt},
        {"1,5", std::nullopt},
    };
    for (const auto& [text, ms] : cases) EXPECT_EQ(ParseSelectionTime(text), ms) << text;
    for (const std::uint32_t ms : {0u, 1250u, 62345u, 3602300u}) {
        EXPECT_EQ(ParseSelectionTime(FormatSelectionTime(ms)), ms) << "round trip";
    }
    EXPECT_EQ(FormatSelectionTime(3602300), "1:00:02.300");
    EXPECT_EQ(SelectionText(1250, 2500), "Selection 0:01.250 \u2013 0:02.500 (1.250 s)");
}

TEST(SelectionMath, TheZoomedPixelRuleAndItsInverse) {
    // Unzoomed it is the rule of old.
    for (const int p : {0, 1, 150, 367, 382})
        EXPECT_EQ(ZoomedHandleMs(p, 0, 20000), HandleMs(p, 20000));
    for (const auto& [from, span] : {std::pair{0u, 20000u}, {5000u, 367u}, {1234u, 4444u}}) {
        SCOPED_TRACE(span);
        EXPECT_EQ(PixelOfMs(0, from, span), 0);
        EXPECT_EQ(PixelOfMs(from + span * 2, from, span), 367) << "clamped at the right edge";
        for (std::uint32_t ms = from; ms < from + span; ms += span / 50 + 1) {
            const int p = PixelOfMs(ms, from, span);
            EXPECT_LE(ZoomedHandleMs(p, from, span), ms) << "the pixel reaches no further";
            if (p < 367) {
                EXPECT_GT(ZoomedHandleMs(p + 1, from, span), ms) << "the last such";
            }
        }
    }
    // Zoom stretches: the selection, widened to 367 ms within the sound.
    EXPECT_EQ(ZoomStretchFor(1000, 5000, 10000), (ZoomStretch{1000, 5000}));
    EXPECT_EQ(ZoomStretchFor(1000, 1100, 10000), (ZoomStretch{867, 1234}));
    EXPECT_EQ(ZoomStretchFor(0, 10, 10000), (ZoomStretch{0, 367}));
    EXPECT_EQ(ZoomStretchFor(9990, 20000, 10000), (ZoomStretch{9633, 10000}));
    EXPECT_EQ(ZoomStretchFor(10, 20, 300), (ZoomStretch{0, 300}));
}

// A view on 10 s of sound at 1000 Hz in each format.
struct SelectRig : ViewRig {
    CQuorbelView& openTen(testing::SampleFormat f) {
        WavContent s;
        s.bits = f.bits;
        s.channels = f.channels;
        s.rate = 1000;
        s.data = testing::Ramp(10000 * f.frame());
        return open(s);
    }
    bool enabled(int id) {
        CommandState state;
        view->OnUpdateCommand(id, state);
        return state.enabled;
    }
};

TEST(SelectExactly, ZoomMakesTheHandlesFinerAndZoomOutGoesBack) {
    SelectRig rig;
    CQuorbelView& v = rig.openTen({16, 2});
    EXPECT_FALSE(rig.enabled(ID_ZOOM_OUT));
    v.OnLButtonDown(MK_LBUTTON, {0, 170});
    v.OnMouseMove(MK_LBUTTON, {47, 300});  // 37 px: 1008 ms
    const std::uint32_t start = v.GetSelStartMs();
    v.OnLButtonDown(MK_LBUTTON, {380, 445});
    v.OnMouseMove(MK_LBUTTON, {84, 300});  // end at 89 px: 2425 ms
    const std::uint32_t end = v.GetSelEndMs();
    ASSERT_TRUE(rig.enabled(ID_ZOOM_TO_SELECTION));
    ASSERT_TRUE(rig.click(ID_ZOOM_TO_SELECTION));
    EXPECT_TRUE(v.IsZoomed());
    EXPECT_EQ(v.m_dwZoomFromMs, start);
    EXPECT_EQ(v.m_dwZoomToMs, end);
    EXPECT_EQ(v.GetSelStartMs(), start) << "zooming does not change the selection";
    EXPECT_EQ(v.GetSelEndMs(), end);
    EXPECT_EQ(rig.frame.statusText(), SelectionText(start, end));
    // A pixel is now (end - start) / 367 ms: a key moves the handle that much, not 27 ms.
    ASSERT_TRUE(v.OnSelectionKey(Key::Right, false, false));
    EXPECT_LE(v.GetSelStartMs() - start, (end - start) / 367 + 1);
    // Repeated zooms stop at one millisecond a pixel.
    for (int i = 0; i < 5; ++i) rig.click(ID_ZOOM_TO_SELECTION);
    EXPECT_GE(v.m_dwZoomToMs - v.m_dwZoomFromMs, kMinZoomSpanMs);
    ASSERT_TRUE(rig.click(ID_ZOOM_OUT));
    EXPECT_FALSE(v.IsZoomed());
    EXPECT_FALSE(rig.enabled(ID_ZOOM_OUT));
}

TEST(SelectExactly, KeysMoveTheHandlesByTheDragRules) {
    SelectRig rig;
    CQuorbelView& v = rig.openTen({8, 1});
    auto startX = [&] { return v.m_rcStartHandle.right; };
    auto endX = [&] { return v.m_rcEndHandle.left; };
    EXPECT_TRUE(v.OnSelectionKey(Key::Left, false, false));
    EXPECT_EQ(startX(), 10) << "never leaves the box";
    v.OnSelectionKey(Key::Right, false, true);
    EXPECT_EQ(startX(), 20);
    v.OnSelectionKey(Key::Right, false, false);
    EXPECT_EQ(startX(), 21);
    v.OnSelectionKey(Key::Left, true, true);
    EXPECT_EQ(endX(), 367);
    v.OnSelectionKey(Key::End, false, false);
    EXPECT_EQ(endX(), 377);
    for (int i = 0; i < 40; ++i) v.OnSelectionKey(Key::Left, true, true);
    EXPECT_EQ(endX(), 22) << "the end handle stops at the start handle";
    for (int i = 0; i < 5; ++i) v.OnSelectionKey(Key::Right, false, false);
    EXPECT_EQ(startX(), 21) << "and the start handle at the end handle";
    v.OnSelectionKey(Key::Home, false, false);
    EXPECT_EQ(startX(), 10);
    EXPECT_EQ(rig.frame.statusText(), v.SelectionStatusText());
    // Without a sound the keys do nothing.
    SelectRig empty;
    CQuorbelView& none = empty.openNew();
    EXPECT_FALSE(none.OnSelectionKey(Key::Right, false, false));
}

TEST(SelectExactly, ATypedRangeIsCutToTheByteInEveryFormat) {
    for (const testing::SampleFormat f : testing::kSampleFormats) {
        SCOPED_TRACE(f.bits * 10 + f.channels);
        SelectRig rig;
        CQuorbelView& v = rig.openTen(f);
        EXPECT_EQ(v.SetSelectionMs(1234, 5678), "");
        EXPECT_EQ(v.GetSelStartMs(), 1234u);
        EXPECT_EQ(v.GetSelEndMs(), 5678u);
        ASSERT_TRUE(rig.click(ID_EDIT_CUT));
        // The milliseconds-to-bytes rule, in whole frames.
        const std::uint32_t avg = 1000 * f.frame();
        const std::uint32_t cut = WholeFrames(EndByteOf(5678, avg), f.frame()) -
                                  WholeFrames(StartByteOf(1234, avg), f.frame());
        EXPECT_EQ(rig.clipboard.Length(), cut);
        EXPECT_EQ(v.WaveDataLen(), 10000 * f.frame() - cut);
        EXPECT_FALSE(v.IsZoomed()) << "the edit changed the length: the whole sound again";
        // Bad pairs change nothing.
        const std::uint32_t len = v.m_dwLength;
        EXPECT_NE(v.SetSelectionMs(200, 100), "");
        EXPECT_NE(v.SetSelectionMs(0, len + 1), "");
        EXPECT_EQ(v.m_dwLength, len);
    }
}

TEST(SelectExactly, AZoomedScopeDrawsItsStretchAndUnzoomedDrawsAsBefore) {
    SelectRig rig;
    CQuorbelView& v = rig.openTen({8, 1});
    RecordingCanvas before;
    v.DrawScopeWave(before);
    v.SetSelectionMs(2000, 2367);
    RecordingCanvas zoomed;
    v.DrawScopeWave(zoomed);
    const auto points = zoomed.linePoints();
    ASSERT_FALSE(points.empty());
    // One sample a column from 2000 ms, around the mono baseline.
    const testing::Bytes ramp = testing::Ramp(10000);
    for (const std::size_t i : {0u, 5u, 366u}) {
        EXPECT_EQ(points[i].x, 10 + static_cast<int>(i));
        EXPECT_EQ(points[i].y, 310 + ramp[2000 + i] - 128) << i;
    }
    v.OnZoomOut();
    RecordingCanvas after;
    v.DrawScopeWave(after);
    EXPECT_EQ(after.linePoints(), before.linePoints());
}

}  // namespace
}  // namespace quorbel
