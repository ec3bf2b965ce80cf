#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/message_box_port.h"

class QWidget;

namespace quorbel {

// A box the shell showed while a script was installed.
struct ShownBox {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    QWidget* owner = nullptr;
};

// Answers message boxes without a modal loop: every box is recorded and answered from the
// queue (an empty queue gives the box's safe answer: Ok, Cancel or No). Tests install one.
struct BoxScript {
    std::deque<BoxAnswer> answers;
    std::vector<ShownBox> shown;
    // When set, answers every box instead of the queue (the automation script's answers).
    std::function<BoxAnswer(const ShownBox&)> answer;
};

// Installs `script` for every box the shell shows; nullptr restores real modal boxes.
void setBoxScript(BoxScript* script);

// Shows a modal box owned by `owner` (none when null) and returns the button pressed.
BoxAnswer showMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                         BoxIcon icon, BoxButtons buttons = BoxButtons::Ok);

// The message-box port over showMessageBox; `owner` picks the owning window at each call
// (no owner when empty or when it returns null).
class QtMessageBoxes final : public MessageBoxPort {
  public:
    explicit QtMessageBoxes(std::function<QWidget*()> owner = {}) : owner_(std::move(owner)) {}
    using MessageBoxPort::show;
    BoxAnswer show(const std::string& text, const std::string& caption, BoxIcon icon,
                   BoxButtons buttons) override {
        return showMessageBox(owner_ ? owner_() : nullptr, text, caption, icon, buttons);
    }

  private:
    std::function<QWidget*()> owner_;
};

}  // namespace quorbel
