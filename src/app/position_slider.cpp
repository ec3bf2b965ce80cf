#include "app/position_slider.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace quorbel {

PositionSlider::PositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

QRect PositionSlider::thumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void PositionSlider::sliderChange(SliderChange change) {
    if (change == SliderValueChange && !paintedThumb_.isNull() && thumbRect() == paintedThumb_)
        return;
    QSlider::sliderChange(change);
}

void PositionSlider::paintEvent(QPaintEvent* event) {
    paintedThumb_ = thumbRect();
    QSlider::paintEvent(event);
}

}  // namespace quorbel
