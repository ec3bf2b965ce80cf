#include "app/script/script_mouse.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

// The window-system entry point Qt Test's QWindow mouse helpers call; exported by Qt GUI.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button,
                                      QEvent::Type type, Qt::KeyboardModifiers mods, int timestamp);

namespace quorbel {

namespace {

// Far enough apart that two clicks never make a double click.
constexpr int kClickGapMs = 1000;

}  // namespace

void ScriptMouse::send(QWidget& widget, QPoint pos, Qt::MouseButton button, int type,
                       Qt::KeyboardModifiers mods) {
    QWidget* top = widget.window();
    QWindow* window = top->windowHandle();
    if (window == nullptr) return;
    const QPoint local = widget.mapTo(top, pos);
    const QPointF global = window->mapToGlobal(local);
    timestamp_ += type == QEvent::MouseButtonRelease ? kClickGapMs : 1;
    qt_handleMouseEvent(window, local, global, held_, button, static_cast<QEvent::Type>(type), mods,
                        timestamp_);
}

void ScriptMouse::press(QWidget& widget, QPoint pos, Qt::MouseButton button,
                        Qt::KeyboardModifiers mods) {
    held_.setFlag(button, true);
    send(widget, pos, button, QEvent::MouseButtonPress, mods);
}

void ScriptMouse::release(QWidget& widget, QPoint pos, Qt::MouseButton button,
                          Qt::KeyboardModifiers mods) {
    held_.setFlag(button, false);
    send(widget, pos, button, QEvent::MouseButtonRelease, mods);
}

void ScriptMouse::move(QWidget& widget, QPoint pos, Qt::MouseButtons buttons,
                       Qt::KeyboardModifiers mods) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        if (held_.testFlag(button) && !buttons.testFlag(button)) {
            release(widget, pos, button, mods);
        }
    }
    // A move that names a button the script never pressed still carries it, as the key
    // flags of a move message would.
    held_ = buttons;
    send(widget, pos, Qt::NoButton, QEvent::MouseMove, mods);
}

}  // namespace quorbel
