#include "app/picture_button.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/art/focus_mark.h"
#include "app/bitmap_cache.h"

namespace quorbel {

PictureButton::PictureButton(int normal, int pressed, int disabled, QWidget* parent)
    : QAbstractButton(parent), normal_(normal), pressed_(pressed), disabled_(disabled) {
    // Keyboard users reach it with Tab; a mouse click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
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
    } else {
        painter.drawImage(QPoint(0, 0), image);
    }
    if (hasFocus()) {
        art::drawFocusMark(painter, rect(), focusColour_ ? focusColour_() : QColor(0, 255, 0));
    }
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    // Space is the button's own key (pressed on the way down, clicked on the way up); Enter
    // clicks as well, showing the pressed picture for a moment.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat()) animateClick();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace quorbel
