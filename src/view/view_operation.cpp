// Edits and effects as the view runs them: started at once, watched by a timer, completed on
// the window's thread, with their progress in the status bar after a moment (Esc cancels them
// from the start). Without background work (the core's tests, the benchmarks) the command
// waits for its operation.

#include <chrono>
#include <utility>

#include "audio/quorbel_doc.h"
#include "framework/frame_window.h"
#include "framework/running_operation.h"
#include "view/quorbel_view.h"

namespace quorbel {

void CQuorbelView::RunOperation(std::unique_ptr<RunningOperation> operation) {
    // One operation at a time: its commands are disabled meanwhile.
    if (m_running) {
        operation->Cancel();
        operation->Complete();
        return;
    }
    m_running = std::move(operation);
    m_progressShown = false;
    if (!m_context.backgroundWork || m_running->EndedAtStart()) {
        FinishOperation();
        return;
    }
    m_window.setTimer(kOperationTimerId, kOperationTimerPeriodMs);
    OfferProgress();
}

bool CQuorbelView::IsBusy() const {
    return m_running != nullptr || m_document.RunningWork() != nullptr;
}

std::optional<std::pair<std::string, int>> CQuorbelView::OperationProgress() const {
    if (const DocumentWork* work = m_document.RunningWork()) {
        return std::pair<std::string, int>(work->name, work->progress->Percent());
    }
    if (!m_running) return std::nullopt;
    return std::pair<std::string, int>(m_running->Name(), m_running->Percent());
}

void CQuorbelView::CancelOperation() {
    if (!m_running) return;
    m_running->Cancel();
    FinishOperation();
}

void CQuorbelView::FinishOperation() {
    if (!m_running) return;
    // The view answers commands again while the operation completes.
    std::unique_ptr<RunningOperation> running = std::move(m_running);
    m_window.killTimer(kOperationTimerId);
    if (std::exchange(m_progressShown, false) && m_context.mainFrame != nullptr) {
        m_context.mainFrame->hideProgress(&m_document);
    }
    running->Complete();
}

void CQuorbelView::PollOperation() {
    if (!m_running) return;
    RunningOperation& operation = *m_running;
    if (operation.Done()) {
        FinishOperation();
        return;
    }
    OfferProgress();
}

void CQuorbelView::OfferProgress() {
    if (m_context.mainFrame == nullptr) return;
    RunningOperation& operation = *m_running;
    m_progressShown = true;
    // Esc stops the operation from its start; its progress shows once it has run a moment.
    if (operation.Elapsed() < std::chrono::milliseconds(kProgressDelayMs)) {
        m_context.mainFrame->offerCancel(&m_document, [this] { CancelOperation(); });
    } else {
        m_context.mainFrame->showProgress(&m_document, operation.Name(), operation.Percent(),
                                          [this] { CancelOperation(); });
    }
}

}  // namespace quorbel
