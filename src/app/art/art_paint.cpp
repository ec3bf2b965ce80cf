#include "app/art/art_paint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>

namespace quorbel::art {
namespace {

// A well-mixed 32-bit hash (the finaliser of MurmurHash3).
quint32 hash(quint32 h) {
    h ^= h >> 16;
    h *= 0x85ebca6bU;
    h ^= h >> 13;
    h *= 0xc2b2ae35U;
    h ^= h >> 16;
    return h;
}

// A value in [-1, 1] that depends only on its arguments.
double noise(quint32 x, quint32 y, quint32 seed) {
    const quint32 h = hash(x * 0x9E3779B1U ^ hash(y * 0x85EBCA77U ^ seed));
    return static_cast<double>(h & 0xFFFF) / 32767.5 - 1.0;
}

int clampLevel(double v) {
    return std::clamp(static_cast<int>(v + (v < 0 ? -0.5 : 0.5)), 0, 255);
}

}  // namespace

void addGrain(QImage& image, const QRect& area, int amount, quint32 seed, double streak) {
    const QRect r = area.intersected(image.rect());
    if (r.isEmpty() || image.depth() != 32) return;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double row = noise(0, static_cast<quint32>(y), seed ^ 0xA5A5U);
        for (int x = r.left(); x <= r.right(); ++x) {
            const double n =
                (1.0 - streak) * noise(static_cast<quint32>(x), static_cast<quint32>(y), seed) +
                streak * row;
            const double d = n * amount;
            const QRgb c = line[x];
            line[x] = qRgba(clampLevel(qRed(c) + d), clampLevel(qGreen(c) + d),
                            clampLevel(qBlue(c) + d), qAlpha(c));
        }
    }
}

void drawBevel(QPainter& p, const QRect& r, int width, const QColor& light, const QColor& dark,
               bool raised) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor& topLeft = raised ? light : dark;
    const QColor& bottomRight = raised ? dark : light;
    for (int i = 0; i < width; ++i) {
        // Outer rings are the strongest; inner ones fade towards the surface.
        const int alpha = 255 - i * 150 / std::max(1, width);
        QColor tl = topLeft;
        tl.setAlpha(tl.alpha() * alpha / 255);
        QColor br = bottomRight;
        br.setAlpha(br.alpha() * alpha / 255);
        const QRect ring = r.adjusted(i, i, -i, -i);
        p.setPen(tl);
        p.drawLine(ring.left(), ring.top(), ring.right() - 1, ring.top());
        p.drawLine(ring.left(), ring.top() + 1, ring.left(), ring.bottom() - 1);
        p.setPen(br);
        p.drawLine(ring.left(), ring.bottom(), ring.right(), ring.bottom());
        p.drawLine(ring.right(), ring.top(), ring.right(), ring.bottom() - 1);
    }
    p.restore();
}

void drawEngravedText(QPainter& p, const QRect& r, int flags, const QString& text,
                      const QColor& ink, const QColor& light, const QColor& dark) {
    p.save();
    p.setPen(light);
    p.drawText(r.translated(0, 1), flags, text);
    p.setPen(dark);
    p.drawText(r.translated(0, -1), flags, text);
    p.setPen(ink);
    p.drawText(r, flags, text);
    p.restore();
}

void drawScrew(QPainter& p, double cx, double cy, double radius, const QColor& base,
               int slotAngle) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    // Countersunk rim, then the domed head lit from the upper left.
    p.setBrush(base.darker(170));
    p.drawEllipse(QPointF(cx, cy), radius + 1.0, radius + 1.0);
    QRadialGradient dome(QPointF(cx - radius * 0.4, cy - radius * 0.4), radius * 1.6);
    dome.setColorAt(0.0, base.lighter(160));
    dome.setColorAt(0.6, base);
    dome.setColorAt(1.0, base.darker(150));
    p.setBrush(dome);
    p.drawEllipse(QPointF(cx, cy), radius, radius);
    p.translate(cx, cy);
    p.rotate(slotAngle);
    p.setPen(QPen(base.darker(250), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-radius * 0.7, 0), QPointF(radius * 0.7, 0));
    p.setPen(QPen(base.lighter(140), 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-radius * 0.6, 0.9), QPointF(radius * 0.6, 0.9));
    p.restore();
}

QFont artFont(int pixelSize, int weight, double letterSpacing) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    if (letterSpacing != 0.0) f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return f;
}

QColor mix(const QColor& a, const QColor& b, double t) {
    const double s = 1.0 - t;
    return QColor::fromRgbF(static_cast<float>(a.redF() * s + b.redF() * t),
                            static_cast<float>(a.greenF() * s + b.greenF() * t),
                            static_cast<float>(a.blueF() * s + b.blueF() * t),
                            static_cast<float>(a.alphaF() * s + b.alphaF() * t));
}

}  // namespace quorbel::art
