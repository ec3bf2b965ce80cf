#include <gtest/gtest.h>

#include "framework/window_messages.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Mono8Second;
using testing::ViewRig;

TEST(EditHandles, APressGrabsAHandleOnlyInsideItsRectangle) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    struct Case {
        Point at;
        bool start, end;
    };
    for (const Case& c :
         {Case{{-5, 165}, true, false}, Case{{9, 179}, true, false}, Case{{10, 170}, false, false},
          Case{{0, 180}, false, false}, Case{{377, 440}, false, true},
          Case{{391, 455}, false, false}, Case{{200, 300}, false, false}}) {
        v.OnLButtonDown(MK_LBUTTON, c.at);
        EXPECT_EQ(v.m_bStartGrabbed, c.start) << c.at.x << "," << c.at.y;
        EXPECT_EQ(v.m_bEndGrabbed, c.end) << c.at.x << "," << c.at.y;
    }
}

TEST(EditHandles, AStartHandlePushedIntoTheEndHandlePicksItUp) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    v.OnLButtonDown(MK_LBUTTON, {0, 170});
    v.OnMouseMove(MK_LBUTTON, {100, 300});
    EXPECT_EQ(v.m_rcStartHandle, (Rect{85, 165, 100, 180}));
    v.OnMouseMove(MK_LBUTTON, {377, 300});
    EXPECT_EQ(v.m_rcStartHandle.right, 100) << "stopped by the end handle";
    EXPECT_TRUE(v.m_bEndGrabbed);
    v.OnMouseMove(MK_LBUTTON, {200, 300});
    EXPECT_EQ(v.m_rcStartHandle, (Rect{185, 165, 200, 180}));
    EXPECT_EQ(v.m_rcEndHandle, (Rect{200, 440, 215, 455}));
    // Releasing keeps both; a new press beside them lets go.
    v.OnLButtonUp(0, {200, 300});
    EXPECT_TRUE(v.m_bStartGrabbed && v.m_bEndGrabbed);
    v.OnLButtonDown(MK_LBUTTON, {300, 300});
    EXPECT_FALSE(v.m_bStartGrabbed || v.m_bEndGrabbed);
}

TEST(EditHandles, MovesOutsideTheBoxOrWithOtherKeysDoNothing) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    v.OnLButtonDown(MK_LBUTTON, {380, 445});
    rig.window.invalidations.clear();
    for (const auto& [flags, x] : {std::pair{MK_LBUTTON, 378}, std::pair{MK_LBUTTON, 9},
                                   std::pair{MK_LBUTTON | MK_SHIFT, 200},
                                   std::pair{MK_LBUTTON | MK_CONTROL, 200}, std::pair{0u, 200}}) {
        v.OnMouseMove(flags, {x, 300});
    }
    EXPECT_EQ(v.m_rcEndHandle, (Rect{377, 440, 392, 455}));
    EXPECT_TRUE(rig.window.invalidations.empty());

    // The end handle stops short of the start handle and picks it up there.
    v.OnMouseMove(MK_LBUTTON, {10, 300});
    EXPECT_EQ(v.m_rcEndHandle.left, 377);
    EXPECT_TRUE(v.m_bStartGrabbed);
    v.OnMouseMove(MK_LBUTTON, {50, 300});
    EXPECT_EQ(v.m_rcStartHandle.right, 50);
    EXPECT_EQ(v.m_rcEndHandle.left, 50);
    // The box and each handle's drawn corner with 100 pixels either side, unerased.
    ASSERT_GE(rig.window.invalidations.size(), 3u);
    const auto last = rig.window.invalidations.end() - 3;
    EXPECT_EQ(last[0].rect, kScopeRect);
    EXPECT_EQ(last[1].rect, (Rect{-65, 175, 150, 180}));
    EXPECT_EQ(last[2].rect, (Rect{-50, 440, 165, 455}));
    EXPECT_FALSE(last[0].erase || last[1].erase || last[2].erase);
}

TEST(EditHandles, TheInitialHandlesSpanPastTheEndOfTheSound) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    EXPECT_EQ(v.GetSelStartMs(), 0u);
    EXPECT_EQ(v.GetSelEndMs(), 1040u);
    EXPECT_FALSE(v.CheckSelection(5, 5));
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].text,
              "Nothing to do, starting and ending positions are the same!");
    EXPECT_EQ(rig.window.boxes[0].caption, "Error");
    EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::Warning);
    EXPECT_TRUE(v.CheckSelection(5, 6));
}

}  // namespace
}  // namespace quorbel
