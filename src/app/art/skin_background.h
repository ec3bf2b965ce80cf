#pragma once

#include <QImage>

namespace quorbel::art {

enum class SkinStyle { Normal, Embossed, Grey, NightShade };

// Where the view draws on top of a skin; the skin keeps these areas dark or clean.
inline constexpr QRect kSliderStripRect{57, 47, 265, 55};      // {57, 47, 322, 102}
inline constexpr QRect kPositionSliderRect{57, 110, 265, 25};  // {57, 110, 322, 135}
inline constexpr QRect kButtonRowRect{22, 146, 338, 23};       // {22, 146, 360, 169}
inline constexpr QRect kScopeRect{10, 180, 367, 260};          // {10, 180, 377, 440}
inline constexpr int kSkinWidth = 388;
inline constexpr int kSkinHeight = 480;

// Paints one 388 x 480 skin background. The two-channel variant labels the vectorscope's
// upper half as the left channel and its lower half as the right channel.
QImage paintSkinBackground(SkinStyle style, bool twoChannel);

}  // namespace quorbel::art
