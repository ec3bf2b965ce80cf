#pragma once

#include <string>

#include "framework/message.h"

namespace quorbel {

// Shows a modal message box. The Qt shell implements it with QMessageBox; tests answer
// from a queue without any modal loop. Implementations are used on the UI thread only.
class MessageBoxPort {
  public:
    virtual ~MessageBoxPort() = default;
    virtual BoxAnswer show(const std::string& text, const std::string& caption, BoxIcon icon,
                           BoxButtons buttons = BoxButtons::Ok) = 0;

    BoxAnswer show(const UserMessage& m) { return show(m.text, m.caption(), m.icon()); }
};

}  // namespace quorbel
