#include "app/position_slider.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QStyle>
#include <QStyleOptionSlider>

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
}

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
