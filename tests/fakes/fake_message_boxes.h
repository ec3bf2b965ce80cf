#pragma once

#include <deque>
#include <string>
#include <vector>

#include "framework/message.h"
#include "framework/message_box_port.h"

namespace quorbel::testing {

// Records every box shown and answers from a queue (Ok, or the first offered button, when the
// queue is empty), so no test ever blocks on a modal box.
class FakeMessageBoxes : public MessageBoxPort {
  public:
    struct Box {
        std::string text;
        std::string caption;
        BoxIcon icon;
        BoxButtons buttons;
    };

    using MessageBoxPort::show;
    BoxAnswer show(const std::string& text, const std::string& caption, BoxIcon icon,
                   BoxButtons buttons) override {
        shown.push_back({text, caption, icon, buttons});
        if (!answers.empty()) {
            const BoxAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == BoxButtons::YesNo || buttons == BoxButtons::YesNoCancel ? BoxAnswer::Yes
                                                                                  : BoxAnswer::Ok;
    }

    std::vector<Box> shown;
    std::deque<BoxAnswer> answers;
};

}  // namespace quorbel::testing
