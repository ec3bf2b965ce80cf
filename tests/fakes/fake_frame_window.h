#pragma once

#include <string>
#include <vector>

#include "framework/frame_window.h"

namespace quorbel {

// A main frame that keeps every status text it was given and counts wait-cursor calls.
class FakeFrameWindow : public FrameWindow {
  public:
    void setStatusText(const std::string& text) override { texts.push_back(text); }
    std::string statusText() const override { return texts.empty() ? "" : texts.back(); }
    void beginWaitCursor() override { ++waitBegun; }
    void endWaitCursor() override { ++waitEnded; }

    std::vector<std::string> texts;
    int waitBegun = 0;
    int waitEnded = 0;
};

}  // namespace quorbel
