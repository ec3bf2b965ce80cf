#pragma once

// A long operation on a window's sound (an edit or an effect) that runs on a worker while the
// window answers. The window holds it, watches it with a timer and completes it on its own
// thread; the layer that edits sounds makes it.

#include <chrono>

namespace quorbel {

class RunningOperation {
  public:
    virtual ~RunningOperation() = default;

    // The operation's name, as its progress and a refusing box show it.
    virtual const char* Name() const = 0;
    // Whether the worker is done (Complete then returns at once).
    virtual bool Done() const = 0;
    // Whether it ended as it began (refused, or no sound): no worker was started.
    virtual bool EndedAtStart() const = 0;
    virtual int Percent() const = 0;
    // How long it has run.
    virtual std::chrono::steady_clock::duration Elapsed() const = 0;
    // Asks the work to stop: Complete then leaves the sound as it was.
    virtual void Cancel() = 0;
    // Waits for the worker, then ends the operation on the window: true when it took effect.
    virtual bool Complete() = 0;
};

}  // namespace quorbel
