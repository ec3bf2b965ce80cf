#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QSlider>
#include <QTimer>
#include <functional>

namespace quorbel {

// The view's position slider. While a sound plays its value changes a hundred times a
// second, but its thumb moves by a pixel only every few hundred of those changes: a value
// change that leaves the thumb where it was last painted repaints nothing, since the
// slider's picture follows the thumb's place, not the value itself.
//
// The program's moves (follow) are shown at once, but the slider's value, which assistive
// technology reads and hears of with an event at every change, catches up at most four times
// a second, and always with the last move: a screen reader is not flooded while a sound
// plays. Whatever the user does to the slider starts from the position shown.
class PositionSlider final : public QSlider {
    Q_OBJECT
  public:
    explicit PositionSlider(QWidget* parent);

    // What assistive technology reads as the slider's value: the time it stands for
    // ("0:01.250"), from `timeOf` given the slider's position.
    void setTimeText(std::function<QString(int position)> timeOf) { timeOf_ = std::move(timeOf); }
    QString timeText() const { return timeOf_ ? timeOf_(value()) : QString::number(value()); }

    // The program moves the thumb to `position` (no signal is sent).
    void follow(int position);
    // Where the thumb stands: the user's while they hold or step it, else the program's last
    // move.
    int shownPosition() const;
    // The value takes the position shown now rather than at the next catch-up: the moves have
    // stopped (playing ended), and a screen reader should hear where at once.
    void settle() { catchUp(); }

    // The least time between two changes of the value the program makes.
    static constexpr int kValueIntervalMs = 250;

  protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QRect thumbRect() const;
    // The value takes the position shown, without a signal.
    void catchUp();

    QRect paintedThumb_;  // null until the first paint
    int shown_ = 0;
    QElapsedTimer sinceValueSet_;
    QTimer catchUpTimer_;
    std::function<QString(int)> timeOf_;
};

}  // namespace quorbel
