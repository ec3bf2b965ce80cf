#include "framework/work_pace.h"

#include <utility>

#include "framework/frame_window.h"

namespace quorbel {

bool OfferWorkProgress(FrameWindow& frame, const CDocument* owner, const std::string& name,
                       int percent, std::chrono::steady_clock::duration elapsed,
                       std::function<void()> cancel) {
    if (elapsed >= kProgressDelay) {
        frame.showProgress(owner, name, percent, std::move(cancel));
        return true;
    }
    if (!cancel) return false;
    frame.offerCancel(owner, std::move(cancel));
    return true;
}

}  // namespace quorbel
