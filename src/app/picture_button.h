#pragma once

#include <QAbstractButton>

namespace quorbel {

// A push button drawn entirely from bitmap resources: its normal picture, the pressed one
// while it is held down, and the disabled one while it is disabled.
class PictureButton final : public QAbstractButton {
    Q_OBJECT
  public:
    PictureButton(int normal, int pressed, int disabled, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int normal_;
    int pressed_;
    int disabled_;
};

}  // namespace quorbel
