#pragma once

// Work that takes long and must not freeze the window: a save, or the reading of a file to
// open. The code that asks for it waits for it and goes on in order, while the window keeps
// repainting and answering.

#include <functional>
#include <string>

#include "framework/work_progress.h"

namespace quorbel {

class CDocument;

class LongWorkPort {
  public:
    virtual ~LongWorkPort() = default;
    // Runs `work` on another thread and returns once it has ended, the window answering
    // meanwhile. After a moment the status bar shows `name` and the progress of the work on
    // `owner` (null: on no window's document); when `cancellable`, with a Cancel button (and
    // Esc) that cancels `progress`.
    virtual void run(const CDocument* owner, const std::string& name, WorkProgress& progress,
                     bool cancellable, const std::function<void()>& work) = 0;
};

// Runs `work` through `port`, or on this thread without one (the core's tests and the
// benchmarks). False when it stopped at a cancel (its WorkCancelled goes no further); any
// other exception is passed on to the caller.
bool RunLongWork(LongWorkPort* port, const CDocument* owner, const std::string& name,
                 WorkProgress& progress, bool cancellable, const std::function<void()>& work);

}  // namespace quorbel
