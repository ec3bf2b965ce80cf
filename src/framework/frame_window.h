#pragma once

#include <functional>
#include <string>

namespace quorbel {

class CDocument;

// The main frame as the core sees it: the status line (the status bar's message pane),
// the wait cursor, and the progress of a long operation.
class FrameWindow {
  public:
    virtual ~FrameWindow() = default;
    virtual void setStatusText(const std::string& text) = 0;
    virtual std::string statusText() const = 0;
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // Shows (or updates) the progress of a long operation on `owner` (null: on no window's
    // document) beside the status line: its name, how far it is, and a Cancel button (and
    // Esc) that calls `cancel`, when there is one. There is one such place for all windows: it
    // shows the operation of the active window. hideProgress takes away what `owner` showed;
    // `cancel` is not called after that.
    virtual void showProgress(const CDocument* owner, const std::string& name, int percent,
                              std::function<void()> cancel) {
        (void)owner, (void)name, (void)percent, (void)cancel;
    }
    virtual void hideProgress(const CDocument* owner) { (void)owner; }
    // Lets Esc call `cancel` for the work on `owner` before its progress shows: the progress
    // waits a moment so that short work does not flicker, but the user may stop any work from
    // its start. As showProgress, for the active window's work only; hideProgress ends it.
    virtual void offerCancel(const CDocument* owner, std::function<void()> cancel) {
        (void)owner, (void)cancel;
    }
};

}  // namespace quorbel
