#pragma once

#include <QPoint>
#include <Qt>

class QWidget;

namespace quorbel {

// Delivers mouse events to a widget through its top-level QWindow, the way the window system
// would (the same entry Qt Test uses): the platform layer's implicit grab, enter and leave,
// and the widget under the pointer all behave as for a real mouse. It remembers which
// buttons are held, so a move carries them and a release can be sent for them.
class ScriptMouse {
  public:
    // Press or release `button` at `pos` in `widget`'s coordinates.
    void press(QWidget& widget, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void release(QWidget& widget, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    // A move to `pos` with `buttons` held. Held buttons that `buttons` leaves out are released
    // at `pos` first, as when the user lets go and then moves.
    void move(QWidget& widget, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    Qt::MouseButtons held() const { return held_; }

  private:
    void send(QWidget& widget, QPoint pos, Qt::MouseButton button, int type,
              Qt::KeyboardModifiers mods);

    Qt::MouseButtons held_;
    int timestamp_ = 0;
};

}  // namespace quorbel
