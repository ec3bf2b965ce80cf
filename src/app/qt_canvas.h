#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>

#include "framework/canvas.h"

namespace quorbel {

// The Canvas a view paints on: a QPainter over an off-screen QImage, antialiasing off.
// Lines are drawn pixel by pixel so that the end point is left out, like the platform the
// view's coordinates were laid out for.
class QtCanvas final : public Canvas {
  public:
    explicit QtCanvas(QImage& image);

    bool drawBitmap(int id, Point at) override;
    Size bitmapSize(int id) const override;
    void selectPen(Color color, int width) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void drawEdge(const Rect& r, EdgeStyle style) override;

  private:
    void line(QPoint from, QPoint to, const QColor& color);

    QPainter painter_;
    QColor penColor_{Qt::black};
    int penWidth_ = 1;
    QPoint current_;
};

}  // namespace quorbel
