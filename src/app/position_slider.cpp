#include "app/position_slider.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>

namespace quorbel {
namespace {

// The slider as assistive technology sees it: a slider whose value reads as the time. The
// value-changed events come from the slider itself, once for every move.
class PositionSliderAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit PositionSliderAccessible(PositionSlider* slider)
        : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return slider()->timeText();
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override { slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

  private:
    PositionSlider* slider() const { return static_cast<PositionSlider*>(widget()); }
};

QAccessibleInterface* sliderFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(PositionSlider::staticMetaObject.className())) return nullptr;
    auto* slider = qobject_cast<PositionSlider*>(object);
    return slider != nullptr ? new PositionSliderAccessible(slider) : nullptr;
}

}  // namespace

PositionSlider::PositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(&sliderFactory);
        return true;
    }();
    (void)installed;
    catchUpTimer_.setSingleShot(true);
    connect(&catchUpTimer_, &QTimer::timeout, this, &PositionSlider::catchUp);
}

void PositionSlider::follow(int position) {
    shown_ = std::clamp(position, minimum(), std::max(minimum(), maximum()));
    if (!paintedThumb_.isNull() && thumbRect() != paintedThumb_) update();
    if (shown_ == value()) return;
    if (!sinceValueSet_.isValid() || sinceValueSet_.elapsed() >= kValueIntervalMs) {
        catchUp();
    } else if (!catchUpTimer_.isActive()) {
        catchUpTimer_.start(static_cast<int>(kValueIntervalMs - sinceValueSet_.elapsed()));
    }
}

int PositionSlider::shownPosition() const {
    // A position apart from the value is the user's, while they hold or step the slider.
    return isSliderDown() || sliderPosition() != value() ? sliderPosition() : shown_;
}

void PositionSlider::catchUp() {
    catchUpTimer_.stop();
    if (shown_ == value()) return;
    sinceValueSet_.start();
    const QSignalBlocker block(this);
    setValue(shown_);
}

QRect PositionSlider::thumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    if (!isSliderDown()) option.sliderPosition = option.sliderValue = shown_;
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void PositionSlider::sliderChange(SliderChange change) {
    // A change of the value the user made, or a new range, is the position shown from now on.
    if (change != SliderValueChange || !signalsBlocked()) shown_ = value();
    if (change == SliderValueChange && !paintedThumb_.isNull() && thumbRect() == paintedThumb_)
        return;
    QSlider::sliderChange(change);
}

void PositionSlider::paintEvent(QPaintEvent*) {
    // As the slider paints itself, but with the thumb where the program last moved it.
    paintedThumb_ = thumbRect();
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    if (!isSliderDown()) option.sliderPosition = option.sliderValue = shown_;
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    if (tickPosition() != NoTicks) option.subControls |= QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
}

void PositionSlider::mousePressEvent(QMouseEvent* event) {
    catchUp();
    QSlider::mousePressEvent(event);
}

void PositionSlider::keyPressEvent(QKeyEvent* event) {
    catchUp();
    QSlider::keyPressEvent(event);
}

}  // namespace quorbel
