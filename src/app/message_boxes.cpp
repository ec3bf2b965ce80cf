#include "app/message_boxes.h"

#include <QMessageBox>

namespace quorbel {

namespace {

BoxScript* g_script = nullptr;

BoxAnswer safeAnswer(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::Ok:
            return BoxAnswer::Ok;
        case BoxButtons::YesNo:
            return BoxAnswer::No;
        default:
            return BoxAnswer::Cancel;
    }
}

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Error:
            return QMessageBox::Critical;
        case BoxIcon::Warning:
            return QMessageBox::Warning;
        case BoxIcon::Information:
            return QMessageBox::Information;
        case BoxIcon::Question:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons qtButtons(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case BoxButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case BoxButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

}  // namespace

void setBoxScript(BoxScript* script) {
    g_script = script;
}

BoxAnswer showMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                         BoxIcon icon, BoxButtons buttons) {
    if (g_script != nullptr) {
        g_script->shown.push_back({text, caption, icon, buttons, owner});
        if (g_script->answer) return g_script->answer(g_script->shown.back());
        if (g_script->answers.empty()) return safeAnswer(buttons);
        const BoxAnswer answer = g_script->answers.front();
        g_script->answers.pop_front();
        return answer;
    }
    QMessageBox box(qtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    qtButtons(buttons), owner);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return BoxAnswer::Yes;
        case QMessageBox::No:
            return BoxAnswer::No;
        case QMessageBox::Ok:
            return BoxAnswer::Ok;
        default:
            // Escape or the window's close button: the box's safe answer.
            return safeAnswer(buttons);
    }
}

}  // namespace quorbel
