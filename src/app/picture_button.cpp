#include "app/picture_button.h"

#include <QPainter>

#include "app/bitmap_cache.h"

namespace quorbel {

PictureButton::PictureButton(int normal, int pressed, int disabled, QWidget* parent)
    : QAbstractButton(parent), normal_(normal), pressed_(pressed), disabled_(disabled) {
    setFocusPolicy(Qt::NoFocus);
}

QSize PictureButton::sizeHint() const {
    const QImage& image = cachedBitmap(normal_);
    return image.isNull() ? QSize(58, 23) : image.size();
}

void PictureButton::paintEvent(QPaintEvent*) {
    const int id = !isEnabled() ? disabled_ : isDown() ? pressed_ : normal_;
    QPainter painter(this);
    const QImage& image = cachedBitmap(id);
    if (image.isNull()) {
        painter.fillRect(rect(), palette().button());
        return;
    }
    painter.drawImage(QPoint(0, 0), image);
}

}  // namespace quorbel
