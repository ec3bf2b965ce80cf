#pragma once

#include <QDialog>

namespace quorbel {

class BuiltinSoundPlayer;

// The About box (template 100): the picture, the product line, OK, and "Click Me", which
// plays the built-in sound and shows a box of information.
class CAboutDialog final : public QDialog {
    Q_OBJECT
  public:
    CAboutDialog(BuiltinSoundPlayer& sound, QWidget* parent = nullptr);

  private:
    void OnClickMe();

    BuiltinSoundPlayer& sound_;
};

}  // namespace quorbel
