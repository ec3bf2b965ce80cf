// Cut, Copy, Paste, Undo and Redo as the view runs them: the selection is read from the handles,
// the sample work is the edit steps', and the shared edit cycle does the rest.

#include <string>

#include "audio/quorbel_doc.h"
#include "edit/clip_conversion.h"
#include "edit/edit_steps.h"
#include "edit/running_edit.h"
#include "edit/view_edit_host.h"
#include "framework/app_context.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"

namespace quorbel {

void CQuorbelView::OnEditCut() {
    const EditSelection selection{GetSelStartMs(), GetSelEndMs(), m_nBitsPerSample, m_nChannels,
                                  WaveDataLen()};
    if (!CheckSelection(selection.startMs, selection.endMs)) return;
    RunOperation(StartEdit(EditKind::Cut, *this, CutStep(selection, *m_context.clipboard)));
}

void CQuorbelView::OnEditCopy() {
    const EditSelection selection{GetSelStartMs(), GetSelEndMs(), m_nBitsPerSample, m_nChannels,
                                  WaveDataLen()};
    if (!CheckSelection(selection.startMs, selection.endMs)) return;
    RunOperation(StartEdit(EditKind::Copy, *this, CopyStep(selection, *m_context.clipboard)));
}

void CQuorbelView::OnEditPaste() {
    // Only 8 <-> 16 bits and mono <-> stereo are converted; any other pair is refused before
    // anything changes.
    const Clipboard& clip = *m_context.clipboard;
    if (!CanPasteBetween(clip.Bits(), clip.Channels(), m_nBitsPerSample, m_nChannels)) {
        const std::string text = "Cannot paste " + SoundFormatName(clip.Bits(), clip.Channels()) +
                                 " sound into " + SoundFormatName(m_nBitsPerSample, m_nChannels) +
                                 " sound: only 8 and 16 bits, mono and stereo convert.";
        if (m_context.mainFrame != nullptr) m_context.mainFrame->setStatusText(text);
        m_window.messageBox(UserMessage{text, MessageStyle::Error});
        return;
    }
    const EditSelection selection{GetSelStartMs(), 0, m_nBitsPerSample, m_nChannels, WaveDataLen()};
    RunOperation(StartEdit(EditKind::Paste, *this,
                           PasteStep(selection, clip, [this](const SoundBlock* block) {
                               return m_document.m_history.Uses(block);
                           })));
}

void CQuorbelView::OnEditUndo() {
    ViewEditHost host(*this);
    RunUndo(host);
}

void CQuorbelView::OnEditRedo() {
    ViewEditHost host(*this);
    RunRedo(host);
}

}  // namespace quorbel
