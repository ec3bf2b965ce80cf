#pragma once

#include <QRect>
#include <QSlider>

namespace quorbel {

// The view's position slider. While a sound plays its value changes a hundred times a
// second, but its thumb moves by a pixel only every few hundred of those changes: a value
// change that leaves the thumb where it was last painted repaints nothing, since the
// slider's picture follows the thumb's place, not the value itself.
class PositionSlider final : public QSlider {
    Q_OBJECT
  public:
    explicit PositionSlider(QWidget* parent);

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect thumbRect() const;

    QRect paintedThumb_;  // null until the first paint
};

}  // namespace quorbel
