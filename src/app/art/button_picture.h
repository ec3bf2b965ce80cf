#pragma once

#include <QImage>

namespace quorbel::art {

enum class ButtonSymbol { Play, ToStart, ToEnd, Stop, Record };
enum class ButtonLook { Normal, Pressed, Disabled };

inline constexpr int kButtonWidth = 58;
inline constexpr int kButtonHeight = 23;

// Paints one 58 x 23 transport button: a blue plate with a yellow symbol, a darker plate with a
// white symbol when pressed, a grey plate with a white symbol when disabled.
QImage paintButtonPicture(ButtonSymbol symbol, ButtonLook look);

}  // namespace quorbel::art
