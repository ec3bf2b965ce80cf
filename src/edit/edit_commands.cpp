// Cut, Copy, Paste, Undo, Redo, Delete, Trim, Silence and Insert Silence as the view runs them: the
// selection is read from the handles, the sample work is the edit steps', and the shared edit cycle
// does the rest.

#include "edit/edit_commands.h"

#include <string>

#include "audio/quorbel_doc.h"
#include "edit/clip_conversion.h"
#include "edit/edit_steps.h"
#include "edit/running_edit.h"
#include "edit/view_edit_host.h"
#include "framework/app_context.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace quorbel {
namespace {

EditSelection SelectionOf(const CQuorbelView& view, std::uint32_t endMs) {
    return EditSelection{view.GetSelStartMs(),  endMs,
                         view.m_nBitsPerSample, view.m_nChannels,
                         view.WaveDataLen(),    view.m_bPCM == kWaveFormatFloat};
}

void OnEditCut(CQuorbelView& view) {
    const EditSelection selection = SelectionOf(view, view.GetSelEndMs());
    if (!view.CheckSelection(selection.startMs, selection.endMs)) return;
    view.RunOperation(
        StartEdit(EditKind::Cut, view, CutStep(selection, *view.GetContext().clipboard)));
}

void OnEditDelete(CQuorbelView& view) {
    const EditSelection selection = SelectionOf(view, view.GetSelEndMs());
    if (!view.CheckSelection(selection.startMs, selection.endMs)) return;
    view.RunOperation(StartEdit(EditKind::Delete, view, DeleteStep(selection)));
}

void OnEditTrim(CQuorbelView& view) {
    const EditSelection selection = SelectionOf(view, view.GetSelEndMs());
    if (!view.CheckSelection(selection.startMs, selection.endMs)) return;
    view.RunOperation(StartEdit(EditKind::Trim, view, TrimStep(selection)));
}

void OnEditSilence(CQuorbelView& view) {
    const EditSelection selection = SelectionOf(view, view.GetSelEndMs());
    if (!view.CheckSelection(selection.startMs, selection.endMs)) return;
    view.RunOperation(StartEdit(EditKind::Silence, view, SilenceStep(selection)));
}

void OnEditInsertSilence(CQuorbelView& view) {
    const std::uint32_t rate = view.m_nSamplesPerSec;
    const auto lengthMs = view.AskSilenceLength([rate](std::uint32_t ms) {
        return SilenceFrames(ms, rate) == 0 ? std::string("The length must be at least one frame.")
                                            : std::string();
    });
    if (!lengthMs) return;
    // Where Paste would insert: the end of the selection plays no part.
    view.RunOperation(
        StartEdit(EditKind::InsertSilence, view,
                  InsertSilenceStep(SelectionOf(view, 0), SilenceFrames(*lengthMs, rate))));
}

void OnEditCopy(CQuorbelView& view) {
    const EditSelection selection = SelectionOf(view, view.GetSelEndMs());
    if (!view.CheckSelection(selection.startMs, selection.endMs)) return;
    view.RunOperation(
        StartEdit(EditKind::Copy, view, CopyStep(selection, *view.GetContext().clipboard)));
}

void OnEditPaste(CQuorbelView& view) {
    // Every layout converts to every other in mono and stereo; a block with more channels is
    // refused before anything changes.
    const Clipboard& clip = *view.GetContext().clipboard;
    const SampleType from = SampleTypeFor(clip.Bits(), clip.Float());
    const SampleType to = view.SampleTypeOfSound();
    if (!CanPasteBetween(from, clip.Channels(), to, view.m_nChannels)) {
        const std::string text = "Cannot paste " + SampleFormatName(from, clip.Channels()) +
                                 " sound into " + SampleFormatName(to, view.m_nChannels) +
                                 " sound: only mono and stereo convert.";
        ViewEditHost host(view);
        host.Status(text.c_str());
        host.Box(UserMessage{text, MessageStyle::Error});
        return;
    }
    CQuorbelDoc& document = view.GetDocument();
    view.RunOperation(
        StartEdit(EditKind::Paste, view,
                  PasteStep(SelectionOf(view, 0), clip, [&document](const SoundBlock* block) {
                      return document.m_history.Uses(block);
                  })));
}

void OnEditUndo(CQuorbelView& view) {
    ViewEditHost host(view);
    RunUndo(host);
}

void OnEditRedo(CQuorbelView& view) {
    ViewEditHost host(view);
    RunRedo(host);
}

// Something on the clipboard, and a working file to paste it into.
bool canPaste(const CQuorbelView& view, int) {
    const Clipboard* clipboard = view.GetContext().clipboard;
    return clipboard != nullptr && clipboard->Holds() && !view.m_strCurrentFile.empty();
}
// Undo goes back to the version before the current one: its file differs from the current's.
bool hasUndoTarget(const CQuorbelView& view, int) {
    return view.m_strCurrentFile != view.m_strPreviousFile;
}
bool hasRedoTarget(const CQuorbelView& view, int) {
    return view.GetDocument().m_history.RedoSteps() > 0;
}

constexpr ViewCommand kEditCommands[] = {
    {ID_EDIT_CUT, OnEditCut, HasWaveData},
    {ID_EDIT_COPY, OnEditCopy, HasWaveData},
    {ID_EDIT_PASTE, OnEditPaste, canPaste},
    {ID_EDIT_UNDO, OnEditUndo, hasUndoTarget},
    {ID_EDIT_REDO, OnEditRedo, hasRedoTarget},
    {ID_EDIT_CLEAR, OnEditDelete, HasWaveData},
    {ID_EDIT_TRIM, OnEditTrim, HasWaveData},
    {ID_EDIT_SILENCE, OnEditSilence, HasWaveData},
    {ID_EDIT_INSERT_SILENCE, OnEditInsertSilence, HasWaveData},
};

}  // namespace

std::span<const ViewCommand> EditCommands() {
    return kEditCommands;
}

}  // namespace quorbel
