#include "app/art/app_icon_art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace quorbel::art {

namespace {

// A short burst of sound under a swelling and fading envelope, across `area`: two tones, or
// one (`simple`) where there are too few pixels for the second.
QPainterPath tracePath(const QRectF& area, int points, bool simple) {
    QPainterPath path;
    for (int i = 0; i <= points; ++i) {
        const double t = static_cast<double>(i) / points;
        const double envelope = std::sin(t * M_PI) * (0.55 + 0.45 * std::sin(t * M_PI * 0.9));
        const double wave =
            simple ? std::sin(t * 2 * M_PI * 2.0)
                   : 0.75 * std::sin(t * 2 * M_PI * 3.0) + 0.25 * std::sin(t * 2 * M_PI * 7);
        const QPointF p(area.left() + t * area.width(),
                        area.center().y() - wave * envelope * area.height() / 2);
        if (i == 0) {
            path.moveTo(p);
        } else {
            path.lineTo(p);
        }
    }
    return path;
}

void drawPlate(QPainter& p, const QRectF& plate, double unit) {
    QLinearGradient body(plate.topLeft(), plate.bottomLeft());
    body.setColorAt(0.0, QColor(104, 156, 236));
    body.setColorAt(0.45, QColor(46, 92, 182));
    body.setColorAt(1.0, QColor(24, 52, 124));
    const double radius = plate.width() * 0.18;
    p.setPen(QPen(QColor(8, 20, 52), std::max(1.0, unit)));
    p.setBrush(body);
    p.drawRoundedRect(plate, radius, radius);
    // A gloss along the upper edge, as on the picture buttons.
    const QRectF gloss =
        plate.adjusted(unit * 1.5, unit * 1.5, -unit * 1.5, -plate.height() * 0.55);
    QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
    shine.setColorAt(0.0, QColor(255, 255, 255, 110));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(gloss, radius * 0.8, radius * 0.8);
}

void drawScreen(QPainter& p, const QRectF& screen, double unit, bool detailed, bool simple) {
    const double radius = std::max(1.0, screen.height() * 0.08);
    QLinearGradient glass(screen.topLeft(), screen.bottomLeft());
    glass.setColorAt(0.0, QColor(8, 14, 30));
    glass.setColorAt(1.0, QColor(18, 32, 60));
    // Sunken: a dark rim above and a light one below.
    p.setPen(QPen(QColor(150, 190, 245), std::max(1.0, unit)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(screen.translated(0, unit * 0.8), radius, radius);
    p.setPen(QPen(QColor(6, 14, 36), std::max(1.0, unit)));
    p.setBrush(glass);
    p.drawRoundedRect(screen, radius, radius);
    const QRectF inside = screen.adjusted(unit * 2, unit * 2, -unit * 2, -unit * 2);
    if (detailed) {
        p.setPen(QPen(QColor(40, 70, 120, 150), std::max(1.0, unit * 0.6)));
        for (int i = 1; i < 4; ++i) {
            const double x = inside.left() + inside.width() * i / 4;
            p.drawLine(QPointF(x, inside.top()), QPointF(x, inside.bottom()));
        }
        p.drawLine(QPointF(inside.left(), inside.center().y()),
                   QPointF(inside.right(), inside.center().y()));
    }
    const QPainterPath trace =
        tracePath(inside.adjusted(0, inside.height() * 0.08, 0, -inside.height() * 0.08),
                  detailed ? 160 : 48, simple);
    const double width = std::max(1.2, unit * 1.4);
    if (detailed) {
        p.setPen(
            QPen(QColor(0, 255, 0, 55), width * 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(trace);
    }
    p.setPen(QPen(QColor(60, 255, 80), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(trace);
}

// A small transport button with the yellow play symbol, like the view's.
void drawPlayButton(QPainter& p, const QRectF& button, double unit) {
    QLinearGradient face(button.topLeft(), button.bottomLeft());
    face.setColorAt(0.0, QColor(104, 156, 236));
    face.setColorAt(0.5, QColor(46, 92, 182));
    face.setColorAt(1.0, QColor(30, 64, 146));
    const double radius = button.height() * 0.25;
    p.setPen(QPen(QColor(8, 20, 52), std::max(1.0, unit)));
    p.setBrush(face);
    p.drawRoundedRect(button, radius, radius);
    const QPointF c = button.center();
    const double h = button.height() * 0.28;
    QPolygonF play;
    play << QPointF(c.x() - h * 0.8, c.y() - h) << QPointF(c.x() + h * 1.0, c.y())
         << QPointF(c.x() - h * 0.8, c.y() + h);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 44, 0, 170));
    p.drawPolygon(play.translated(unit * 0.8, unit * 0.8));
    p.setBrush(QColor(255, 226, 60));
    p.drawPolygon(play);
}

}  // namespace

QImage applicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 64.0;  // one pixel of the 64-pixel design
    const bool detailed = size >= 32;
    const double margin = detailed ? size * 0.06 : 0.5;
    const QRectF plate(margin, margin, size - 2 * margin, size - 2 * margin);
    drawPlate(p, plate, unit);
    if (detailed) {
        const QRectF screen(plate.left() + plate.width() * 0.12,
                            plate.top() + plate.height() * 0.14, plate.width() * 0.76,
                            plate.height() * 0.5);
        drawScreen(p, screen, unit, size >= 48, false);
        const QRectF button(plate.center().x() - plate.width() * 0.2,
                            plate.top() + plate.height() * 0.72, plate.width() * 0.4,
                            plate.height() * 0.16);
        drawPlayButton(p, button, unit);
    } else {
        // Small: the screen fills the plate, so the trace keeps its size.
        const QRectF screen = plate.adjusted(size * 0.14, size * 0.2, -size * 0.14, -size * 0.2);
        drawScreen(p, screen, 0.5, false, true);
    }
    return image;
}

QImage documentIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF page(size * 0.12 + 0.5, 0.5, size * 0.76 - 1.0, size - 1.0);
    p.setPen(QPen(QColor(70, 70, 90), 1));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(page);
    const QRectF area(size * 0.18, size * 0.2, size * 0.64, size * 0.6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 70, 160), std::max(1.0, size / 12.0), Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    p.drawPath(tracePath(area, 32, true));
    return image;
}

}  // namespace quorbel::art
