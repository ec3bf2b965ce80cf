#pragma once

#include <QColor>
#include <QRect>

class QPainter;

namespace quorbel::art {

// The keyboard-focus mark on a picture button of `button`'s size: a lit ring just inside the
// button's dark rim, in `colour` (the colour of the skin's traces), so that it reads as one
// more light of the same display rather than a system frame.
void drawFocusMark(QPainter& painter, const QRect& button, const QColor& colour);

}  // namespace quorbel::art
