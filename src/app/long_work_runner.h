#pragma once

#include "framework/long_work.h"

namespace quorbel {

class FrameWindow;

// Long work on a thread of its own while the window's thread runs a local event loop, so the
// caller waits for its result in order and the window keeps repainting and answering. The
// progress shows in the main window's status bar once the work has run for a moment.
class LongWorkRunner final : public LongWorkPort {
  public:
    explicit LongWorkRunner(FrameWindow& frame) : frame_(frame) {}

    void run(const CDocument* owner, const std::string& name, WorkProgress& progress,
             bool cancellable, const std::function<void()>& work) override;

  private:
    FrameWindow& frame_;
};

}  // namespace quorbel
