#pragma once

#include <vector>

#include "framework/canvas.h"

namespace quorbel {

// A canvas that records every call, for checking a paint's coordinates exactly.
class RecordingCanvas : public Canvas {
  public:
    enum class Op { Bitmap, Pen, MoveTo, LineTo, Edge };
    struct Call {
        Op op;
        Point p;      // MoveTo/LineTo point, Bitmap position
        int id = 0;   // Bitmap id, Pen width
        Color color;  // Pen colour
        Rect rect;    // Edge rectangle
        EdgeStyle edge = EdgeStyle::Etched;
    };

    bool drawBitmap(int id, Point at) override;
    Size bitmapSize(int) const override { return {388, 480}; }
    void selectPen(Color color, int width) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void drawEdge(const Rect& r, EdgeStyle style) override;

    // The calls of one kind, in order.
    std::vector<Call> only(Op op) const;
    // The end points of every lineTo, in order.
    std::vector<Point> linePoints() const;

    std::vector<Call> calls;
};

}  // namespace quorbel
