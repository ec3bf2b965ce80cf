#include "app/art/focus_mark.h"

#include <QPainter>
#include <QPainterPath>

namespace quorbel::art {

void drawFocusMark(QPainter& painter, const QRect& button, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QRectF ring = QRectF(button).adjusted(2.5, 2.5, -2.5, -2.5);
    // A soft glow under a crisp line, like a lit trace on the screens above.
    QColor glow = colour;
    glow.setAlpha(90);
    painter.setPen(QPen(glow, 3.0));
    painter.drawRoundedRect(ring, 3, 3);
    painter.setPen(QPen(colour, 1.0));
    painter.drawRoundedRect(ring, 3, 3);
    painter.restore();
}

}  // namespace quorbel::art
