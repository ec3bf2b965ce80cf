#pragma once

#include <QImage>

namespace quorbel::art {

inline constexpr int kAboutWidth = 280;
inline constexpr int kAboutHeight = 228;

// Paints the About box's 280 x 228 picture: a loudspeaker sending a glowing waveform across a
// dusk sky, under the program's name. The upper right stays quiet: a button sits there.
QImage paintAboutPicture();

}  // namespace quorbel::art
