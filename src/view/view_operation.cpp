// Edits and effects as the view runs them: started at once, watched by a timer, completed on
// the window's thread, with their progress in the status bar after a moment (Esc cancels them
// from the start). Without background work (the core's tests, the benchmarks) the command
// waits for its operation.

#include <utility>

#include "audio/quorbel_doc.h"
#include "framework/frame_window.h"
#include "framework/running_operation.h"
#include "framework/work_pace.h"
#include "view/quorbel_view.h"

namespace quorbel {

void CQuorbelView::RunOperation(std::unique_ptr<RunningOperation> operation) {
    // One work at a time on the document (an edit, or the saving of its file): commands are
    // disabled meanwhile.
    if (IsBusy()) {
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
    RunningOperation& running = *m_running;
    m_document.BeginWork(
        {running.Name(), [&running] { return running.Percent(); }, [this] { CancelOperation(); }});
    m_holdsDocumentWork = true;
    m_window.setTimer(kOperationTimerId, kWorkPollMs);
    OfferProgress();
}

bool CQuorbelView::IsBusy() const {
    return m_running != nullptr || m_document.RunningWork() != nullptr;
}

std::optional<std::pair<std::string, int>> CQuorbelView::OperationProgress() const {
    if (const DocumentWork* work = m_document.RunningWork()) {
        return std::pair<std::string, int>(work->name, work->percent());
    }
    return std::nullopt;
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
    if (std::exchange(m_holdsDocumentWork, false)) m_document.EndWork();
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
    m_progressShown =
        OfferWorkProgress(*m_context.mainFrame, &m_document, operation.Name(), operation.Percent(),
                          operation.Elapsed(), [this] { CancelOperation(); });
}

}  // namespace quorbel
