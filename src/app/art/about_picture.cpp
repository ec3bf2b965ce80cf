#include "app/art/about_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

#include "app/art/art_paint.h"

namespace quorbel::art {
namespace {

constexpr double kHorizon = 188.0;

void paintSky(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kHorizon);
    sky.setColorAt(0.0, QColor(8, 14, 44));
    sky.setColorAt(0.55, QColor(32, 48, 116));
    sky.setColorAt(0.85, QColor(120, 80, 150));
    sky.setColorAt(1.0, QColor(240, 150, 110));
    p.fillRect(QRectF(0, 0, kAboutWidth, kHorizon), sky);
    // Stars, placed by a fixed sequence so the picture never changes.
    quint32 s = 12345;
    auto next = [&s] {
        s = s * 1664525U + 1013904223U;
        return static_cast<double>(s >> 8) / 16777216.0;
    };
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const double x = next() * kAboutWidth;
        const double y = next() * next() * (kHorizon - 60);
        const double r = 0.4 + next() * 0.9;
        p.setBrush(QColor(255, 255, 240, static_cast<int>(90 + next() * 150)));
        p.drawEllipse(QPointF(x, y), r, r);
    }
}

// A floor of glowing lines running to a vanishing point on the horizon.
void paintFloor(QPainter& p) {
    QLinearGradient floor(0, kHorizon, 0, kAboutHeight);
    floor.setColorAt(0.0, QColor(60, 24, 80));
    floor.setColorAt(1.0, QColor(10, 6, 28));
    p.fillRect(QRectF(0, kHorizon, kAboutWidth, kAboutHeight - kHorizon), floor);
    const QPointF vanish(150, kHorizon - 30);
    p.save();
    p.setClipRect(QRectF(0, kHorizon, kAboutWidth, kAboutHeight - kHorizon));
    p.setPen(QPen(QColor(255, 120, 200, 90), 1.0));
    for (int i = -14; i <= 14; ++i) {
        p.drawLine(vanish, QPointF(vanish.x() + i * 40.0, kAboutHeight + 40));
    }
    for (int i = 1; i < 7; ++i) {
        const double t = std::pow(i / 7.0, 1.8);
        const double y = kHorizon + t * (kAboutHeight - kHorizon + 6);
        p.setPen(QPen(QColor(255, 120, 200, static_cast<int>(50 + 60 * t)), 1.0));
        p.drawLine(QPointF(0, y), QPointF(kAboutWidth, y));
    }
    p.restore();
    QLinearGradient glow(0, kHorizon - 6, 0, kHorizon + 6);
    glow.setColorAt(0.0, QColor(255, 200, 150, 0));
    glow.setColorAt(0.5, QColor(255, 210, 170, 200));
    glow.setColorAt(1.0, QColor(255, 200, 150, 0));
    p.fillRect(QRectF(0, kHorizon - 6, kAboutWidth, 12), glow);
}

void paintSpeaker(QPainter& p) {
    const QRectF cabinet(22, 86, 66, 104);
    QLinearGradient wood(cabinet.topLeft(), cabinet.topRight());
    wood.setColorAt(0.0, QColor(34, 36, 52));
    wood.setColorAt(0.5, QColor(58, 62, 86));
    wood.setColorAt(1.0, QColor(28, 30, 44));
    p.setPen(QPen(QColor(12, 12, 20), 1.2));
    p.setBrush(wood);
    p.drawRoundedRect(cabinet, 6, 6);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    p.drawLine(QPointF(cabinet.left() + 5, cabinet.top() + 1.5),
               QPointF(cabinet.right() - 5, cabinet.top() + 1.5));
    auto driver = [&p](QPointF c, double r) {
        QRadialGradient cone(c - QPointF(r * 0.3, r * 0.3), r * 1.3);
        cone.setColorAt(0.0, QColor(120, 126, 150));
        cone.setColorAt(0.5, QColor(40, 42, 58));
        cone.setColorAt(1.0, QColor(12, 12, 20));
        p.setPen(QPen(QColor(150, 160, 190), 1.4));
        p.setBrush(cone);
        p.drawEllipse(c, r, r);
        p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, r * 0.8, r * 0.8);
        QRadialGradient cap(c - QPointF(r * 0.1, r * 0.1), r * 0.35);
        cap.setColorAt(0.0, QColor(230, 230, 240));
        cap.setColorAt(1.0, QColor(70, 74, 96));
        p.setPen(Qt::NoPen);
        p.setBrush(cap);
        p.drawEllipse(c, r * 0.28, r * 0.28);
    };
    driver(QPointF(55, 108), 11);
    driver(QPointF(55, 154), 25);
}

// Sound leaving the speaker: fading arcs, then a glowing waveform running to the right edge.
void paintSound(QPainter& p) {
    const QPointF source(60, 154);
    for (int i = 0; i < 4; ++i) {
        const double r = 44 + i * 14;
        p.setPen(QPen(QColor(140, 230, 255, 170 - i * 38), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(source.x() - r, source.y() - r, 2 * r, 2 * r), -35 * 16, 70 * 16);
    }
    QPainterPath wave;
    const double x0 = 118;
    for (double x = x0; x <= kAboutWidth + 2; x += 1.0) {
        const double u = (x - x0) / (kAboutWidth - x0);
        const double envelope = std::sin(std::numbers::pi * std::min(1.0, u * 1.15)) * 26 + 2;
        const double y =
            146 - envelope * (0.75 * std::sin(u * 24.0) + 0.25 * std::sin(u * 41.0 + 1.0));
        if (x == x0) {
            wave.moveTo(x, y);
        } else {
            wave.lineTo(x, y);
        }
    }
    for (int pass = 0; pass < 4; ++pass) {
        const double width = 9.0 - pass * 2.5;
        const int alpha = pass == 3 ? 255 : 30 + pass * 30;
        const QColor colour = pass == 3 ? QColor(210, 255, 230) : QColor(60, 255, 170, alpha);
        p.setPen(QPen(colour, std::max(1.2, width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }
}

void paintTitle(QPainter& p) {
    const QFont font = artFont(34, QFont::Bold, 1.5);
    QPainterPath title;
    title.addText(16, 44, font, QStringLiteral("Quorbel"));
    p.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        p.setBrush(Qt::NoBrush);
        p.strokePath(title, QPen(QColor(120, 180, 255, 26), i * 3.0, Qt::SolidLine, Qt::RoundCap,
                                 Qt::RoundJoin));
    }
    p.setBrush(QColor(0, 0, 20, 140));
    p.drawPath(title.translated(2, 2));
    QLinearGradient ink(0, 16, 0, 46);
    ink.setColorAt(0.0, QColor(255, 255, 255));
    ink.setColorAt(0.6, QColor(255, 236, 170));
    ink.setColorAt(1.0, QColor(250, 180, 90));
    p.setBrush(ink);
    p.drawPath(title);
    p.setFont(artFont(10, QFont::Bold, 3.0));
    p.setPen(QColor(190, 210, 255, 220));
    p.drawText(QRectF(18, 50, 160, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("WAVE EDITOR"));
}

}  // namespace

QImage paintAboutPicture() {
    QImage image(kAboutWidth, kAboutHeight, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        paintSky(p);
        paintFloor(p);
        paintSound(p);
        paintSpeaker(p);
        paintTitle(p);
    }
    addGrain(image, image.rect(), 2, 99);
    return image;
}

}  // namespace quorbel::art
