#pragma once

// The editor view's fixed screen layout, in client pixels of its 388 x 480 picture, and the
// resource numbers of its pictures. Rectangles exclude their right and bottom edges.

#include <array>

#include "framework/command_ids.h"
#include "framework/geometry.h"

namespace quorbel {

inline constexpr Size kViewPictureSize{388, 480};

inline constexpr Rect kSliderWaveRect{57, 47, 322, 102};
inline constexpr Rect kPositionSliderRect{57, 110, 322, 135};
inline constexpr Rect kScopeRect{10, 180, 377, 440};
inline constexpr Rect kStartHandleRect{-5, 165, 10, 180};
inline constexpr Rect kEndHandleRect{377, 440, 392, 455};

// Picture buttons, in the order they are created: each one 70 pixels right of the last.
struct PictureButtonSpec {
    int id;
    int bitmapNormal;
    int bitmapPressed;
    int bitmapDisabled;
};
inline constexpr Rect kFirstButtonRect{22, 146, 80, 169};
inline constexpr int kButtonSpacing = 70;
inline constexpr std::array<PictureButtonSpec, 5> kPictureButtons{{
    {ID_BUTTON_TOSTART, 136, 137, 138},
    {ID_BUTTON_TOEND, 139, 140, 141},
    {ID_BUTTON_PLAY, 133, 134, 135},
    {ID_BUTTON_STOP, 142, 143, 144},
    {ID_BUTTON_RECORD, 145, 146, 147},
}};

// Slider strip geometry: one sample per column from x 58 to 322, around baseline y 74.
inline constexpr int kStripFirstX = 58;
inline constexpr int kStripLastX = 322;
inline constexpr int kStripBaseline = 74;

// Vectorscope geometry: 367 columns from x 10; baselines for one and two channels.
inline constexpr int kScopeFirstX = 10;
inline constexpr int kScopeColumns = 367;
inline constexpr int kScopeBaselineMono = 310;
inline constexpr int kScopeBaselineLeft = 245;
inline constexpr int kScopeBaselineRight = 375;

}  // namespace quorbel
