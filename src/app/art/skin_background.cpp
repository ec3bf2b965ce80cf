#include "app/art/skin_background.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "app/art/art_paint.h"

namespace quorbel::art {
namespace {

// Colours and finish of one skin.
struct Palette {
    QColor top;           // background at the top edge
    QColor bottom;        // background at the bottom edge
    QColor light;         // bevel highlight
    QColor dark;          // bevel shadow
    QColor title;         // banner lettering
    QColor ornament;      // zigzags and plate lettering
    QColor panelTop;      // display panels, top
    QColor panelBottom;   // display panels, bottom
    QColor grid;          // graticule inside the panels
    QColor label;         // channel marks inside the vectorscope
    QColor captionInk;    // lettering on the caption plate
    int bevel;            // width of the raised and sunken edges
    int grain;            // strength of the surface texture
    double streak;        // how much of the texture runs in rows (brushed metal)
    bool spot;            // a soft lighter spot behind the upper right
    bool relief = false;  // raised rims round every part, lettering and ornaments in relief
};

Palette paletteFor(SkinStyle style) {
    switch (style) {
        case SkinStyle::Normal:
            return {QColor(52, 94, 164),
                    QColor(40, 78, 146),
                    QColor(120, 158, 214),
                    QColor(16, 34, 76),
                    QColor(240, 245, 255),
                    QColor(160, 190, 240),
                    QColor(8, 14, 30),
                    QColor(14, 22, 42),
                    QColor(24, 40, 68),
                    QColor(70, 100, 150),
                    QColor(20, 40, 84),
                    1,
                    2,
                    0.0,
                    false};
        case SkinStyle::Embossed:
            return {QColor(58, 102, 172),
                    QColor(36, 70, 136),
                    QColor(170, 200, 245),
                    QColor(10, 24, 58),
                    QColor(236, 242, 255),
                    QColor(170, 200, 245),
                    QColor(8, 14, 30),
                    QColor(14, 22, 42),
                    QColor(24, 40, 68),
                    QColor(70, 100, 150),
                    QColor(20, 40, 84),
                    3,
                    4,
                    0.0,
                    false,
                    true};
        case SkinStyle::Grey:
            return {QColor(138, 138, 138),
                    QColor(118, 118, 118),
                    QColor(214, 214, 214),
                    QColor(48, 48, 48),
                    QColor(250, 250, 250),
                    QColor(60, 60, 60),
                    QColor(14, 14, 16),
                    QColor(26, 26, 30),
                    QColor(44, 44, 50),
                    QColor(110, 110, 96),
                    QColor(50, 50, 50),
                    2,
                    6,
                    0.55,
                    false};
        case SkinStyle::NightShade:
            break;
    }
    return {QColor(16, 28, 66),
            QColor(6, 10, 30),
            QColor(70, 100, 170),
            QColor(0, 2, 10),
            QColor(190, 215, 255),
            QColor(90, 130, 210),
            QColor(2, 4, 12),
            QColor(6, 10, 24),
            QColor(16, 26, 52),
            QColor(60, 90, 150),
            QColor(170, 200, 250),
            2,
            3,
            0.0,
            true};
}

void paintBase(QPainter& p, QImage& image, const Palette& c) {
    QLinearGradient g(0, 0, 0, kSkinHeight);
    g.setColorAt(0.0, c.top);
    g.setColorAt(1.0, c.bottom);
    p.fillRect(image.rect(), g);
    if (c.spot) {
        QRadialGradient spot(QPointF(292, 96), 270);
        spot.setColorAt(0.0, QColor(90, 140, 230, 210));
        spot.setColorAt(0.3, QColor(50, 90, 190, 110));
        spot.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillRect(image.rect(), spot);
    }
    // A faint vignette keeps the eye in the middle.
    QRadialGradient vignette(QPointF(194, 240), 330);
    vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 70));
    p.fillRect(image.rect(), vignette);
}

// The frame around the whole picture.
void paintOuterEdge(QPainter& p, const Palette& c) {
    const QRect all(0, 0, kSkinWidth, kSkinHeight);
    drawBevel(p, all, c.bevel + 1, c.light, c.dark, true);
    if (c.bevel > 1) drawBevel(p, all.adjusted(5, 5, -5, -5), 1, c.light, c.dark, false);
}

void paintBanner(QPainter& p, const Palette& c) {
    const QRect banner(8, 5, 372, 35);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient g(banner.topLeft(), banner.bottomLeft());
    g.setColorAt(0.0, mix(c.top, c.light, 0.25));
    g.setColorAt(0.5, c.top);
    g.setColorAt(1.0, mix(c.top, c.dark, 0.35));
    p.setPen(QPen(mix(c.dark, c.top, 0.2), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(banner).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    // A glassy highlight on the upper half (the plain skin stays flat).
    const int glossAlpha = c.bevel > 1 ? 60 : 22;
    QLinearGradient gloss(banner.topLeft(), QPoint(banner.left(), banner.center().y()));
    gloss.setColorAt(0.0, QColor(255, 255, 255, glossAlpha));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(
        QRectF(banner.left() + 2, banner.top() + 2, banner.width() - 4, banner.height() / 2 - 2), 4,
        4);
    p.restore();
    if (c.bevel > 1)
        drawBevel(p, banner.adjusted(2, 2, -2, -2), c.bevel - 1, c.light, c.dark, true);

    // Title: shadow, then the letters filled with a light-to-pale gradient.
    const QFont font = artFont(25, QFont::Bold, 2.0);
    QPainterPath path;
    path.addText(0, 0, font, QStringLiteral("Quorbel"));
    const QRectF bounds = path.boundingRect();
    const QPointF at(banner.center().x() + 1 - bounds.center().x(),
                     banner.center().y() + 1 - bounds.center().y());
    path.translate(at);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    QLinearGradient ink(0, path.boundingRect().top(), 0, path.boundingRect().bottom());
    if (c.relief) {
        // Letters pressed up out of the plate: lit edge above left, shadow below right.
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawPath(path.translated(-1.2, -1.2));
        p.setBrush(QColor(0, 10, 40, 190));
        p.drawPath(path.translated(1.6, 1.6));
        ink.setColorAt(0.0, mix(c.top, c.light, 0.75));
        ink.setColorAt(1.0, mix(c.top, c.light, 0.35));
    } else {
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawPath(path.translated(1.5, 1.5));
        ink.setColorAt(0.0, QColor(255, 255, 255));
        ink.setColorAt(0.55, c.title);
        ink.setColorAt(1.0, mix(c.title, c.ornament, 0.6));
        p.setPen(QPen(mix(c.dark, c.top, 0.3), 0.8));
    }
    p.setBrush(ink);
    p.drawPath(path);

    // Rules with diamonds either side of the title.
    const double y = banner.center().y() + 1;
    const double left = path.boundingRect().left() - 12;
    const double right = path.boundingRect().right() + 12;
    for (int side = 0; side < 2; ++side) {
        const double from = side == 0 ? 40 : right;
        const double to = side == 0 ? left : 348;
        QLinearGradient rule(from, 0, to, 0);
        QColor strong = c.ornament;
        QColor faint = c.ornament;
        faint.setAlpha(0);
        rule.setColorAt(side == 0 ? 0.0 : 1.0, faint);
        rule.setColorAt(side == 0 ? 1.0 : 0.0, strong);
        p.setPen(QPen(QBrush(rule), 1.2));
        p.drawLine(QPointF(from, y), QPointF(to, y));
        const double dx = side == 0 ? to + 4 : from - 4;
        QPolygonF diamond;
        diamond << QPointF(dx, y - 3.5) << QPointF(dx + 3.5, y) << QPointF(dx, y + 3.5)
                << QPointF(dx - 3.5, y);
        p.setPen(Qt::NoPen);
        p.setBrush(c.ornament);
        p.drawPolygon(diamond);
    }
    p.restore();
    drawScrew(p, 22, banner.center().y() + 0.5, 5, mix(c.top, c.light, 0.35), 35);
    drawScrew(p, 366, banner.center().y() + 0.5, 5, mix(c.top, c.light, 0.35), -20);
}

// A raised lip round `r`, three pixels wide, on skins finished in relief.
void paintRim(QPainter& p, const QRect& r, const Palette& c) {
    if (!c.relief) return;
    drawBevel(p, r.adjusted(-3, -3, 3, 3), 3, c.light, c.dark, true);
}

// A dark display panel exactly filling `inner`, with a recessed bezel around it.
void paintPanel(QPainter& p, const QRect& inner, const Palette& c, int bezel) {
    const QRect outer = inner.adjusted(-bezel, -bezel, bezel, bezel);
    paintRim(p, outer, c);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(mix(c.bottom, c.dark, 0.5));
    p.drawRoundedRect(QRectF(outer), 3, 3);
    p.restore();
    drawBevel(p, outer, bezel - 1, c.light, c.dark, false);
    p.fillRect(inner.adjusted(-1, -1, 1, 1), QColor(0, 0, 0));
    QLinearGradient g(inner.topLeft(), inner.bottomLeft());
    g.setColorAt(0.0, c.panelTop);
    g.setColorAt(1.0, c.panelBottom);
    p.fillRect(inner, g);
    // A faint sheen across the top, as on glass.
    QLinearGradient sheen(inner.topLeft(), inner.topLeft() + QPoint(0, inner.height() / 3));
    sheen.setColorAt(0.0, QColor(255, 255, 255, 14));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(inner, sheen);
}

// A dotted graticule of `columns` x `rows` cells inside `inner`.
void paintGraticule(QPainter& p, const QRect& inner, int columns, int rows, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(colour, 1, Qt::DotLine);
    p.setPen(pen);
    for (int i = 1; i < columns; ++i) {
        const int x = inner.left() + inner.width() * i / columns;
        p.drawLine(x, inner.top() + 1, x, inner.bottom() - 1);
    }
    for (int i = 1; i < rows; ++i) {
        const int y = inner.top() + inner.height() * i / rows;
        p.drawLine(inner.left() + 1, y, inner.right() - 1, y);
    }
    p.restore();
}

void paintSliderStrip(QPainter& p, const Palette& c) {
    paintPanel(p, kSliderStripRect, c, 4);
    paintGraticule(p, kSliderStripRect, 10, 4, c.grid);
    p.setPen(mix(c.grid, c.label, 0.35));
    p.drawLine(kSliderStripRect.left() + 1, 74, kSliderStripRect.right() - 1, 74);
}

// Zigzag ornaments beside the strip: engraved vertical zigzags, the middle one brightest.
void paintZigzags(QPainter& p, const Palette& c) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    for (double cx : {31.0, 356.0}) {
        for (int k = -1; k <= 1; ++k) {
            QPolygonF zig;
            const double x0 = cx + k * 9;
            const double amp = k == 0 ? 4.0 : 3.0;
            for (int i = 0; i <= 8; ++i) {
                zig << QPointF(x0 + ((i % 2) ? amp : -amp), 51 + i * 6.0);
            }
            p.setPen(
                QPen(mix(c.dark, c.bottom, 0.2), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(zig.translated(0.8, 1.0));
            if (c.relief) {
                p.setPen(QPen(QColor(255, 255, 255, 140), 1.6, Qt::SolidLine, Qt::RoundCap,
                              Qt::RoundJoin));
                p.drawPolyline(zig.translated(-0.8, -0.8));
            }
            QColor ink = c.relief ? mix(c.top, c.light, 0.45) : c.ornament;
            if (k != 0) ink.setAlpha(150);
            p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(zig);
        }
    }
    p.restore();
}

void paintSliderGroove(QPainter& p, const Palette& c) {
    const QRect groove = kPositionSliderRect.adjusted(-2, 0, 2, 0);
    paintRim(p, groove, c);
    p.fillRect(groove, mix(c.top, c.dark, 0.25));
    drawBevel(p, groove, 1, c.light, c.dark, false);
    // The track itself, a thin dark channel through the middle.
    const QRect track(groove.left() + 8, groove.center().y() - 2, groove.width() - 16, 5);
    p.fillRect(track, mix(c.dark, c.panelTop, 0.5));
    drawBevel(p, track, 1, mix(c.light, c.top, 0.4), c.dark, false);
}

void paintButtonShelf(QPainter& p, const Palette& c) {
    const QRect shelf = kButtonRowRect.adjusted(-6, -5, 6, 5);
    paintRim(p, shelf, c);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient g(shelf.topLeft(), shelf.bottomLeft());
    g.setColorAt(0.0, mix(c.bottom, c.dark, 0.45));
    g.setColorAt(1.0, mix(c.top, c.dark, 0.15));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(shelf), 4, 4);
    p.restore();
    drawBevel(p, shelf, std::max(1, c.bevel - 1), c.light, c.dark, false);
}

void paintScope(QPainter& p, const Palette& c, bool twoChannel) {
    const QRect& scope = kScopeRect;
    paintPanel(p, scope, c, 4);
    paintGraticule(p, scope, 10, 8, c.grid);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (twoChannel) {
        // A divider between the channels and a faint baseline for each.
        p.setPen(QPen(mix(c.grid, c.label, 0.7), 1));
        p.drawLine(scope.left() + 1, 310, scope.right() - 1, 310);
        p.setPen(QPen(mix(c.grid, c.label, 0.3), 1, Qt::DashLine));
        p.drawLine(scope.left() + 1, 245, scope.right() - 1, 245);
        p.drawLine(scope.left() + 1, 375, scope.right() - 1, 375);
        p.setFont(artFont(11, QFont::Bold));
        p.setPen(c.label);
        for (int x : {scope.left() + 5, scope.right() - 13}) {
            p.drawText(QRect(x, scope.top() + 4, 10, 14), Qt::AlignCenter, QStringLiteral("L"));
            p.drawText(QRect(x, 314, 10, 14), Qt::AlignCenter, QStringLiteral("R"));
        }
    } else {
        p.setPen(QPen(mix(c.grid, c.label, 0.3), 1));
        p.drawLine(scope.left() + 1, 310, scope.right() - 1, 310);
    }
    p.restore();
}

void paintCaption(QPainter& p, const Palette& c) {
    const QRect plate(134, 449, 120, 22);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient g(plate.topLeft(), plate.bottomLeft());
    g.setColorAt(0.0, mix(c.top, c.light, 0.45));
    g.setColorAt(1.0, mix(c.bottom, c.light, 0.15));
    p.setPen(QPen(mix(c.dark, c.bottom, 0.3), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(plate).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setFont(artFont(10, QFont::Bold, 1.5));
    drawEngravedText(p, plate, Qt::AlignCenter, QStringLiteral("VECTORSCOPE"), c.captionInk,
                     QColor(255, 255, 255, 90), QColor(0, 0, 0, 60));
    p.restore();
    drawScrew(p, 22, 462, 5, mix(c.top, c.light, 0.35), 60);
    drawScrew(p, 366, 462, 5, mix(c.top, c.light, 0.35), 15);
}

}  // namespace

QImage paintSkinBackground(SkinStyle style, bool twoChannel) {
    const Palette c = paletteFor(style);
    QImage image(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    {
        QPainter p(&image);
        paintBase(p, image, c);
    }
    addGrain(image, image.rect(), c.grain, static_cast<quint32>(style) + 7, c.streak);
    QPainter p(&image);
    paintOuterEdge(p, c);
    paintBanner(p, c);
    paintSliderStrip(p, c);
    paintZigzags(p, c);
    paintSliderGroove(p, c);
    paintButtonShelf(p, c);
    paintScope(p, c, twoChannel);
    paintCaption(p, c);
    return image;
}

}  // namespace quorbel::art
