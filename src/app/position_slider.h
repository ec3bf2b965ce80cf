#pragma once

#include <QRect>
#include <QSlider>
#include <functional>

namespace quorbel {

// The view's position slider. While a sound plays its value changes a hundred times a
// second, but its thumb moves by a pixel only every few hundred of those changes: a value
// change that leaves the thumb where it was last painted repaints nothing, since the
// slider's picture follows the thumb's place, not the value itself.
class PositionSlider final : public QSlider {
    Q_OBJECT
  public:
    explicit PositionSlider(QWidget* parent);

    // What assistive technology reads as the slider's value: the time it stands for
    // ("0:01.250"), from `timeOf` given the slider's position.
    void setTimeText(std::function<QString(int position)> timeOf) { timeOf_ = std::move(timeOf); }
    QString timeText() const { return timeOf_ ? timeOf_(value()) : QString::number(value()); }

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect thumbRect() const;

    QRect paintedThumb_;  // null until the first paint
    std::function<QString(int)> timeOf_;
};

}  // namespace quorbel
