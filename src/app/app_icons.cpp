#include "app/app_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace quorbel {

namespace {

QPixmap drawIcon(int size, bool document) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(0.5, 0.5, size - 1.0, size - 1.0);
    if (document) {
        painter.setPen(QPen(QColor(70, 70, 90), 1));
        painter.setBrush(QColor(250, 250, 245));
        painter.drawRect(plate.adjusted(size * 0.12, 0, -size * 0.12, 0));
    } else {
        painter.setPen(QPen(QColor(20, 40, 110), 1));
        painter.setBrush(QColor(40, 80, 170));
        painter.drawRoundedRect(plate, size * 0.18, size * 0.18);
    }
    QPainterPath trace;
    const double mid = size / 2.0;
    const double left = size * 0.18;
    const double width = size * 0.64;
    for (int i = 0; i <= 32; ++i) {
        const double t = i / 32.0;
        const double y = mid - std::sin(t * 2 * M_PI * 2) * (size * 0.3) * std::sin(t * M_PI);
        if (i == 0) {
            trace.moveTo(left, y);
        } else {
            trace.lineTo(left + t * width, y);
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(document ? QColor(30, 70, 160) : QColor(255, 220, 60), std::max(1.0, size / 12.0)));
    painter.drawPath(trace);
    return pixmap;
}

QIcon makeIcon(bool document) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(drawIcon(size, document));
    return icon;
}

}  // namespace

QIcon applicationIcon() {
    return makeIcon(false);
}
QIcon documentIcon() {
    return makeIcon(true);
}

}  // namespace quorbel
