// Cut, Copy, Paste and Undo as the view runs them: the selection is read from the handles,
// the file work is the edit steps', and the shared edit cycle does the rest.

#include <string>

#include "audio/quorbel_doc.h"
#include "edit/clip_conversion.h"
#include "edit/edit_steps.h"
#include "framework/frame_window.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace quorbel {
void CQuorbelView::OnEditCut() {
    const EditSelection selection{GetSelStartMs(), GetSelEndMs(),   m_nBitsPerSample,
                                  m_nChannels,     m_dwWaveDataLen, &m_document.m_workingFiles};
    if (!CheckSelection(selection.startMs, selection.endMs)) return;
    RunEditCycle(EditKind::Cut,
                 [&selection](const std::string& saved) { return CutFromFile(saved, selection); });
}

void CQuorbelView::OnEditCopy() {
    const EditSelection selection{GetSelStartMs(), GetSelEndMs(), m_nBitsPerSample, m_nChannels,
                                  m_dwWaveDataLen};
    if (!CheckSelection(selection.startMs, selection.endMs)) return;
    RunEditCycle(EditKind::Copy,
                 [&selection](const std::string& saved) { return CopyFromFile(saved, selection); });
}

void CQuorbelView::OnEditPaste() {
    // Only 8 <-> 16 bits and mono <-> stereo are converted; any other pair is refused before
    // anything changes.
    if (!CanPasteBetween(g_nClipBits, g_nClipChannels, m_nBitsPerSample, m_nChannels)) {
        const std::string text = "Cannot paste " + SoundFormatName(g_nClipBits, g_nClipChannels) +
                                 " sound into " + SoundFormatName(m_nBitsPerSample, m_nChannels) +
                                 " sound: only 8 and 16 bits, mono and stereo convert.";
        if (m_context.mainFrame != nullptr) m_context.mainFrame->setStatusText(text);
        m_window.messageBox(UserMessage{text, MessageStyle::Error});
        return;
    }
    const EditSelection selection{GetSelStartMs(), 0, m_nBitsPerSample, m_nChannels,
                                  m_dwWaveDataLen};
    RunEditCycle(EditKind::Paste, [&selection](const std::string& saved) {
        return PasteIntoFile(saved, selection);
    });
}

void CQuorbelView::OnEditUndo() {
    const std::string target = m_strPreviousFile;
    RunEditCycle(EditKind::Undo, [&target](const std::string&) {
        EditOutcome back;
        back.output = target;
        return back;
    });
}

}  // namespace quorbel
