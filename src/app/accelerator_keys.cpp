#include "app/accelerator_keys.h"

namespace quorbel {

namespace {

Qt::Key qtKey(AccelKey key) {
    switch (key) {
        case AccelKey::N:
            return Qt::Key_N;
        case AccelKey::O:
            return Qt::Key_O;
        case AccelKey::S:
            return Qt::Key_S;
        case AccelKey::Z:
            return Qt::Key_Z;
        case AccelKey::Y:
            return Qt::Key_Y;
        case AccelKey::X:
            return Qt::Key_X;
        case AccelKey::C:
            return Qt::Key_C;
        case AccelKey::V:
            return Qt::Key_V;
        case AccelKey::E:
            return Qt::Key_E;
        case AccelKey::R:
            return Qt::Key_R;
        case AccelKey::A:
            return Qt::Key_A;
        case AccelKey::T:
            return Qt::Key_T;
        case AccelKey::L:
            return Qt::Key_L;
        case AccelKey::Backspace:
            return Qt::Key_Backspace;
        case AccelKey::Delete:
            return Qt::Key_Delete;
        case AccelKey::Insert:
            return Qt::Key_Insert;
        case AccelKey::F6:
            return Qt::Key_F6;
    }
    return Qt::Key_unknown;
}

}  // namespace

QKeySequence keySequence(const Accelerator& accelerator) {
    Qt::KeyboardModifiers modifiers;
    if (accelerator.modifiers & kAccelCtrl) modifiers |= Qt::ControlModifier;
    if (accelerator.modifiers & kAccelShift) modifiers |= Qt::ShiftModifier;
    if (accelerator.modifiers & kAccelAlt) modifiers |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(modifiers, qtKey(accelerator.key)));
}

}  // namespace quorbel
