#include "app/lock_key_watcher.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace quorbel {

namespace {

// X11 core modifier bits: Lock, and Mod2, where every common keymap puts Num Lock.
constexpr quint32 kX11LockMask = 1u << 1;
constexpr quint32 kX11Mod2Mask = 1u << 4;

}  // namespace

LockKeyWatcher::LockKeyWatcher(QObject* parent) : QObject(parent) {
    x11_ = QGuiApplication::platformName() == QLatin1String("xcb");
    if (x11_ && qApp != nullptr) qApp->installEventFilter(this);
}

bool LockKeyWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const quint32 state = key->nativeModifiers();
        const bool caps = (state & kX11LockMask) != 0;
        const bool num = (state & kX11Mod2Mask) != 0;
        if (caps_ != caps || num_ != num) {
            caps_ = caps;
            num_ = num;
            emit changed();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quorbel
