#pragma once

#include <QImage>

namespace quorbel {

// The program's pictures, painted by our own code on first use and kept for later calls:
//   133-147  transport buttons, 58 x 23, three per button (normal, pressed, disabled) in the
//            order play, to start, to end, stop, record
//   156      the About box's picture, 280 x 228
//   166-173  skin backgrounds, 388 x 480: Normal 166/167, Embossed 168/169, NightShade 170/172
//            and Grey 171/173 (two-channel / one-channel)
// Any other number gives a null image. Needs a QGuiApplication (the pictures use fonts).
QImage quorbelBitmap(int resourceId);

}  // namespace quorbel
