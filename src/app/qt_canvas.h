#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include "framework/canvas.h"

namespace quorbel {

// The Canvas a view paints on: a QPainter over an off-screen QImage, antialiasing off.
// One-pixel lines are traced pixel by pixel so that the end point is left out, like the
// platform the view's coordinates were laid out for; on a 32-bit image they are written
// straight into its scan lines, since a trace is hundreds of short lines per paint and the
// painter's per-call cost would dominate. For the same reason an opaque 32-bit bitmap is
// copied straight into them, and the painter is only begun once something needs it: a
// repaint of the slider strip, a hundred times a second while a sound plays, draws its
// background and its trace without one.
class QtCanvas final : public Canvas {
  public:
    explicit QtCanvas(QImage& image);
    // Draws only inside `clip`: lines wholly outside it are skipped before they are traced,
    // so a repaint of the slider strip does not pay for the vectorscope.
    QtCanvas(QImage& image, const QRect& clip);

    bool drawBitmap(int id, Point at) override;
    Size bitmapSize(int id) const override;
    void selectPen(Color color, int width) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void drawEdge(const Rect& r, EdgeStyle style) override;
    bool isVisible(const Rect& r) const override;

  private:
    void line(QPoint from, QPoint to);
    // The painter over the image, begun (and clipped) at its first use.
    QPainter& painter();

    QImage& image_;
    // Set before the painter begins, so that the painter and the direct writes share one
    // unshared pixel buffer.
    uchar* bits_;  // null: not a 32-bit image, points go through the painter
    qsizetype bytesPerLine_;
    QPainter painter_;
    bool clipped_ = false;  // the painter is to be clipped to bounds_
    QColor penColor_{Qt::black};
    QRgb penPixel_ = qRgb(0, 0, 0);
    int penWidth_ = 1;
    QPoint current_;
    QRect bounds_;  // the clip within the image: no pixel is written outside it
};

}  // namespace quorbel
