#pragma once

#include <cstdint>

#include "framework/geometry.h"

namespace quorbel {

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

enum class EdgeStyle {
    Etched,  // sunken outer, raised inner
    Bump,    // raised outer, sunken inner
};

// The off-screen picture a view paints on. The Qt adapter paints a 388 x 480 QImage with
// antialiasing off and copies it to the window in one blit; tests record the calls.
class Canvas {
  public:
    virtual ~Canvas() = default;
    // Draws bitmap resource `id` with its upper left corner at `at`. Returns false (and draws
    // nothing) when there is no such bitmap.
    virtual bool drawBitmap(int id, Point at) = 0;
    virtual Size bitmapSize(int id) const = 0;
    // A solid pen of `width` pixels used by moveTo/lineTo until the next selectPen.
    virtual void selectPen(Color color, int width) = 0;
    virtual void moveTo(Point p) = 0;
    // A line from the current point to `p`, the end point itself excluded; `p` becomes current.
    virtual void lineTo(Point p) = 0;
    // A 3-D edge on all four sides of `r`.
    virtual void drawEdge(const Rect& r, EdgeStyle style) = 0;
    // False when nothing drawn inside `r` can show, because the canvas is clipped to a part
    // of the picture away from it: a partial repaint then skips what lies wholly outside.
    virtual bool isVisible(const Rect& r) const {
        static_cast<void>(r);
        return true;
    }
};

}  // namespace quorbel
