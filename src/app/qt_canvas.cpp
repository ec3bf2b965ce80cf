#include "app/qt_canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/bitmap_cache.h"

namespace quorbel {

namespace {

// The system's 3-D colours: button face highlight and shadow.
const QColor kHighlight(255, 255, 255);
const QColor kShadow(128, 128, 128);

bool writesDirectly(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return true;
        default:
            return false;
    }
}

// Bresenham from `from` up to, but not including, `to`: `plot` gets every pixel.
template <typename Plot>
void trace(QPoint from, QPoint to, Plot plot) {
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        plot(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

}  // namespace

QtCanvas::QtCanvas(QImage& image)
    : image_(image),
      bits_(writesDirectly(image) ? image.bits() : nullptr),
      bytesPerLine_(image.bytesPerLine()),
      bounds_(image.rect()) {}

QtCanvas::QtCanvas(QImage& image, const QRect& clip) : QtCanvas(image) {
    bounds_ &= clip;
    clipped_ = true;
}

QPainter& QtCanvas::painter() {
    if (!painter_.isActive()) {
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        if (clipped_) painter_.setClipRect(bounds_);
    }
    return painter_;
}

bool QtCanvas::drawBitmap(int id, Point at) {
    const QImage& bitmap = cachedBitmap(id);
    if (bitmap.isNull()) return false;
    if (bits_ == nullptr || bitmap.format() != QImage::Format_RGB32 ||
        bitmap.devicePixelRatio() != 1.0) {
        painter().drawImage(QPoint(at.x, at.y), bitmap);
        return true;
    }
    // Opaque pixels onto 32-bit ones: what the painter would do is a copy of the rows.
    const QRect target = QRect(QPoint(at.x, at.y), bitmap.size()) & bounds_;
    if (target.isEmpty()) return true;
    const auto rowBytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y - at.y));
        std::memcpy(reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_) + target.left(),
                    from + (target.left() - at.x), rowBytes);
    }
    return true;
}

Size QtCanvas::bitmapSize(int id) const {
    const QImage& bitmap = cachedBitmap(id);
    return {bitmap.width(), bitmap.height()};
}

void QtCanvas::selectPen(Color color, int width) {
    penColor_ = QColor(color.r, color.g, color.b);
    penPixel_ = qRgb(color.r, color.g, color.b);
    penWidth_ = width < 1 ? 1 : width;
}

void QtCanvas::moveTo(Point p) {
    current_ = QPoint(p.x, p.y);
}

void QtCanvas::lineTo(Point p) {
    const QPoint to(p.x, p.y);
    line(current_, to);
    current_ = to;
}

void QtCanvas::line(QPoint from, QPoint to) {
    if (penWidth_ > 1) {
        QPen pen(penColor_, penWidth_);
        pen.setCapStyle(Qt::FlatCap);
        painter().setPen(pen);
        painter().drawLine(from, to);
        return;
    }
    // The line's box, compared with the bounds inline: a trace is hundreds of short lines
    // per paint, and Qt's rectangle tests are calls into the library.
    const int left = std::min(from.x(), to.x()), right = std::max(from.x(), to.x());
    const int top = std::min(from.y(), to.y()), bottom = std::max(from.y(), to.y());
    if (bounds_.isEmpty() || left > bounds_.right() || right < bounds_.left() ||
        top > bounds_.bottom() || bottom < bounds_.top())
        return;
    const bool inside = left >= bounds_.left() && right <= bounds_.right() &&
                        top >= bounds_.top() && bottom <= bounds_.bottom();
    if (bits_ == nullptr) {
        painter().setPen(QPen(penColor_, 1));
        trace(from, to, [this](int x, int y) {
            if (bounds_.contains(x, y)) painter().drawPoint(x, y);
        });
    } else if (inside) {
        // The usual case: no pixel of the line needs its own test.
        trace(from, to, [this](int x, int y) {
            reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = penPixel_;
        });
    } else {
        trace(from, to, [this](int x, int y) {
            if (bounds_.contains(x, y))
                reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = penPixel_;
        });
    }
}

bool QtCanvas::isVisible(const Rect& r) const {
    if (r.right <= r.left || r.bottom <= r.top) return false;
    return bounds_.intersects(QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)));
}

void QtCanvas::drawEdge(const Rect& r, EdgeStyle style) {
    if (r.width() < 2 || r.height() < 2 || !isVisible(r)) return;
    // Two one-pixel borders: the outer one and, one pixel inside it, the inner one. Each
    // border draws its top and left sides in one colour and its bottom and right in another.
    const bool outerSunken = style == EdgeStyle::Etched;
    auto border = [this](int left, int top, int right, int bottom, const QColor& topLeft,
                         const QColor& bottomRight) {
        QPainter& p = painter();
        p.setPen(QPen(topLeft, 1));
        p.drawLine(left, top, right - 1, top);
        p.drawLine(left, top, left, bottom - 1);
        p.setPen(QPen(bottomRight, 1));
        p.drawLine(left, bottom, right, bottom);
        p.drawLine(right, top, right, bottom);
    };
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    border(r.left, r.top, right, bottom, outerSunken ? kShadow : kHighlight,
           outerSunken ? kHighlight : kShadow);
    border(r.left + 1, r.top + 1, right - 1, bottom - 1, outerSunken ? kHighlight : kShadow,
           outerSunken ? kShadow : kHighlight);
}

}  // namespace quorbel
