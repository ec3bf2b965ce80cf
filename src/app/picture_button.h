#pragma once

#include <QAbstractButton>
#include <QColor>
#include <functional>

namespace quorbel {

// A push button drawn entirely from bitmap resources: its normal picture, the pressed one
// while it is held down, and the disabled one while it is disabled. Tab reaches it (a click
// does not take the focus), Space or Enter presses it, and while it has the focus a mark in
// the colour `focusColour` gives is drawn on its picture.
class PictureButton final : public QAbstractButton {
    Q_OBJECT
  public:
    PictureButton(int normal, int pressed, int disabled, QWidget* parent);
    QSize sizeHint() const override;
    void setFocusColour(std::function<QColor()> colour) { focusColour_ = std::move(colour); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int normal_;
    int pressed_;
    int disabled_;
    std::function<QColor()> focusColour_;
};

}  // namespace quorbel
