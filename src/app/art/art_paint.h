#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

// Small painting helpers shared by the generated skins, buttons and About picture.
namespace quorbel::art {

// Adds a fixed grain to `area` of `image`: every pixel moves by up to +-`amount` levels. The
// grain comes from a hash of the position and `seed`, so the same call paints the same picture.
// `streak` (0 to 1) blends in a per-row component that reads as brushed metal.
void addGrain(QImage& image, const QRect& area, int amount, quint32 seed, double streak = 0.0);

// A 3-D edge `width` pixels wide just inside `r`: light on the top and left and dark on the
// bottom and right when `raised`, the other way round when sunken.
void drawBevel(QPainter& p, const QRect& r, int width, const QColor& light, const QColor& dark,
               bool raised);

// Text drawn as if stamped into the surface: a light copy one pixel below, a dark one above.
void drawEngravedText(QPainter& p, const QRect& r, int flags, const QString& text,
                      const QColor& ink, const QColor& light, const QColor& dark);

// A small slotted screw head centred on (cx, cy).
void drawScrew(QPainter& p, double cx, double cy, double radius, const QColor& base, int slotAngle);

// DejaVu Sans at a pixel size, so the pictures look the same on every machine.
QFont artFont(int pixelSize, int weight = QFont::Normal, double letterSpacing = 0.0);

// Mixes two colours; t = 0 gives a, t = 1 gives b.
QColor mix(const QColor& a, const QColor& b, double t);

}  // namespace quorbel::art
