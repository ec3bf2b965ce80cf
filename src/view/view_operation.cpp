// Edits and effects as the view runs them: started at once, watched by a timer, completed on
// the window's thread, with their progress in the status bar after a moment. Without
// background work (the core's tests, the benchmarks) the command waits for its operation.

#include <chrono>

#include "audio/quorbel_doc.h"
#include "edit/edit_steps.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"
#include "view/running_edit.h"

namespace quorbel {

void CQuorbelView::RunOperation(EditKind kind, EditStep step) {
    if (m_running) return;  // one operation at a time; its commands are disabled meanwhile
    auto running = std::make_unique<RunningEdit>(*this);
    running->operation = std::make_unique<EditOperation>(kind, running->host, std::move(step));
    m_running = std::move(running);
    if (!m_context.backgroundWork || m_running->operation->EndedAtStart()) {
        FinishOperation();
        return;
    }
    m_window.setTimer(kOperationTimerId, kOperationTimerPeriodMs);
}

bool CQuorbelView::IsBusy() const {
    return m_running != nullptr || m_document.RunningWork() != nullptr;
}

std::optional<std::pair<std::string, int>> CQuorbelView::OperationProgress() const {
    if (const DocumentWork* work = m_document.RunningWork()) {
        return std::pair<std::string, int>(work->name, work->progress->Percent());
    }
    if (!m_running) return std::nullopt;
    return std::pair<std::string, int>(m_running->operation->Name(),
                                       m_running->operation->Percent());
}

void CQuorbelView::CancelOperation() {
    if (!m_running) return;
    m_running->operation->Cancel();
    FinishOperation();
}

void CQuorbelView::FinishOperation() {
    if (!m_running) return;
    // The view answers commands again while the operation completes.
    std::unique_ptr<RunningEdit> running = std::move(m_running);
    m_window.killTimer(kOperationTimerId);
    if (running->progressShown && m_context.mainFrame != nullptr) {
        m_context.mainFrame->hideProgress(&m_document);
    }
    running->operation->Complete();
}

void CQuorbelView::PollOperation() {
    if (!m_running) return;
    EditOperation& operation = *m_running->operation;
    if (operation.Done()) {
        FinishOperation();
        return;
    }
    if (m_context.mainFrame != nullptr &&
        operation.Elapsed() >= std::chrono::milliseconds(kProgressDelayMs)) {
        m_running->progressShown = true;
        m_context.mainFrame->showProgress(&m_document, operation.Name(), operation.Percent(),
                                          [this] { CancelOperation(); });
    }
}

}  // namespace quorbel
