#pragma once

#include <QDialog>

namespace quorbel {

// The page of usage notes (template 182); "Got it!" closes it.
class HowToUseDialog final : public QDialog {
    Q_OBJECT
  public:
    explicit HowToUseDialog(QWidget* parent = nullptr);
};

}  // namespace quorbel
