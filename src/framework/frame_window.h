#pragma once

#include <string>

namespace quorbel {

// The main frame as the core sees it: the status line (the status bar's message pane)
// and the wait cursor.
class FrameWindow {
  public:
    virtual ~FrameWindow() = default;
    virtual void setStatusText(const std::string& text) = 0;
    virtual std::string statusText() const = 0;
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
};

}  // namespace quorbel
