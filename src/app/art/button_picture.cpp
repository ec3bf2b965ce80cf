#include "app/art/button_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/art/art_paint.h"

namespace quorbel::art {
namespace {

struct PlateColours {
    QColor top;
    QColor middle;
    QColor bottom;
    QColor rim;
    QColor symbol;
    QColor symbolShadow;
    int glossAlpha;
};

PlateColours coloursFor(ButtonLook look) {
    switch (look) {
        case ButtonLook::Normal:
            return {QColor(104, 156, 236),
                    QColor(46, 92, 182),
                    QColor(30, 64, 146),
                    QColor(8, 20, 52),
                    QColor(255, 226, 60),
                    QColor(70, 44, 0, 200),
                    90};
        case ButtonLook::Pressed:
            return {QColor(14, 32, 80),
                    QColor(24, 50, 112),
                    QColor(36, 70, 140),
                    QColor(4, 12, 34),
                    QColor(255, 255, 255),
                    QColor(0, 8, 30, 200),
                    0};
        case ButtonLook::Disabled:
            break;
    }
    return {QColor(168, 170, 176),
            QColor(138, 140, 146),
            QColor(120, 122, 128),
            QColor(64, 66, 72),
            QColor(244, 244, 246),
            QColor(80, 82, 90, 170),
            40};
}

// The symbol as a filled outline centred on the plate.
QPainterPath symbolPath(ButtonSymbol symbol) {
    const QPointF c(29.0, 11.5);
    QPainterPath path;
    switch (symbol) {
        case ButtonSymbol::Play: {
            QPolygonF tri;
            tri << QPointF(c.x() - 4.5, c.y() - 6.5) << QPointF(c.x() + 6.5, c.y())
                << QPointF(c.x() - 4.5, c.y() + 6.5);
            path.addPolygon(tri);
            path.closeSubpath();
            break;
        }
        case ButtonSymbol::Stop:
            path.addRoundedRect(QRectF(c.x() - 5.5, c.y() - 5.5, 11, 11), 1.2, 1.2);
            break;
        case ButtonSymbol::Record:
            path.addEllipse(c, 6.0, 6.0);
            break;
        case ButtonSymbol::ToStart:
        case ButtonSymbol::ToEnd: {
            // Three chevrons drawn as stroked polylines, turned into one outline.
            const double dir = symbol == ButtonSymbol::ToEnd ? 1.0 : -1.0;
            QPainterPath lines;
            for (int k = -1; k <= 1; ++k) {
                const double x = c.x() + k * 6.5;
                lines.moveTo(x - dir * 2.5, c.y() - 5.0);
                lines.lineTo(x + dir * 2.5, c.y());
                lines.lineTo(x - dir * 2.5, c.y() + 5.0);
            }
            QPainterPathStroker stroker;
            stroker.setWidth(2.2);
            stroker.setCapStyle(Qt::RoundCap);
            stroker.setJoinStyle(Qt::MiterJoin);
            path = stroker.createStroke(lines).simplified();
            break;
        }
    }
    return path;
}

}  // namespace

QImage paintButtonPicture(ButtonSymbol symbol, ButtonLook look) {
    const PlateColours c = coloursFor(look);
    QImage image(kButtonWidth, kButtonHeight, QImage::Format_RGB32);
    image.fill(c.rim);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QRectF plate(0.5, 0.5, kButtonWidth - 1.0, kButtonHeight - 1.0);
        QLinearGradient g(0, 0, 0, kButtonHeight);
        g.setColorAt(0.0, c.top);
        g.setColorAt(0.5, c.middle);
        g.setColorAt(1.0, c.bottom);
        p.setPen(QPen(c.rim, 1.0));
        p.setBrush(g);
        p.drawRoundedRect(plate, 3.5, 3.5);
        if (look == ButtonLook::Pressed) {
            // Pushed in: a shadow falls on the upper edge from the frame.
            QLinearGradient inner(0, 1, 0, 7);
            inner.setColorAt(0.0, QColor(0, 0, 0, 120));
            inner.setColorAt(1.0, QColor(0, 0, 0, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(inner);
            p.drawRoundedRect(plate.adjusted(1, 1, -1, -1), 3, 3);
        } else {
            // Raised: a gloss on the upper half and a bright lip on the top edge.
            QLinearGradient gloss(0, 1, 0, 11);
            gloss.setColorAt(0.0, QColor(255, 255, 255, c.glossAlpha));
            gloss.setColorAt(1.0, QColor(255, 255, 255, c.glossAlpha / 6));
            p.setPen(Qt::NoPen);
            p.setBrush(gloss);
            p.drawRoundedRect(QRectF(2, 1.5, kButtonWidth - 4.0, 9.5), 2.5, 2.5);
            p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
            p.drawLine(QPointF(4, 1.5), QPointF(kButtonWidth - 4, 1.5));
            p.setPen(QPen(QColor(0, 0, 0, 60), 1.0));
            p.drawLine(QPointF(4, kButtonHeight - 2.5),
                       QPointF(kButtonWidth - 4, kButtonHeight - 2.5));
        }
        const QPointF shift = look == ButtonLook::Pressed ? QPointF(1, 1) : QPointF(0, 0);
        const QPainterPath path = symbolPath(symbol).translated(shift);
        p.setPen(Qt::NoPen);
        p.setBrush(c.symbolShadow);
        p.drawPath(path.translated(0.8, 1.0));
        QLinearGradient ink(0, 4, 0, 19);
        ink.setColorAt(0.0, c.symbol.lighter(115));
        ink.setColorAt(1.0,
                       look == ButtonLook::Normal ? QColor(236, 170, 20) : c.symbol.darker(108));
        p.setBrush(ink);
        p.drawPath(path);
    }
    return image;
}

}  // namespace quorbel::art
