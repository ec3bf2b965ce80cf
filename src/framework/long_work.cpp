#include "framework/long_work.h"

#include <exception>

namespace quorbel {

bool RunLongWork(LongWorkPort* port, const CDocument* owner, const std::string& name,
                 WorkProgress& progress, bool cancellable, const std::function<void()>& work) {
    // The work runs on another thread: what it throws is carried back to this one.
    bool cancelled = false;
    std::exception_ptr failure;
    const auto guarded = [&] {
        try {
            work();
        } catch (const WorkCancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
    };
    if (port != nullptr) {
        port->run(owner, name, progress, cancellable, guarded);
    } else {
        guarded();
    }
    if (failure) std::rethrow_exception(failure);
    return !cancelled;
}

}  // namespace quorbel
