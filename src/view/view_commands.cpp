// The editor view's commands: one row each, with its handler, its enabling rule and its check
// mark. OnUpdateCommand and OnCommand both look the row up, so a command runs only while its
// enabling rule holds, whoever sends it. Ids without a row (Help > How to use, the frame's and
// the application's commands) go on along the route.

#include <algorithm>
#include <iterator>

#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace quorbel {

namespace {

using View = CQuorbelView;

// Enabling rules: whether command `id` can run in view `v` now.
using Rule = bool (*)(const View& v, int id);

bool always(const View&, int) {
    return true;
}
// A picture button's command is enabled as the button is; the transport sets them.
bool buttonEnabled(const View& v, int id) {
    return v.IsButtonEnabled(id);
}
bool hasWaveData(const View& v, int) {
    return v.m_waveData.has_value();
}
bool hasFileName(const View& v, int) {
    return !v.GetDocument().m_strFileName.empty();
}
// Undo goes back to the version before the current one: its file differs from the current's.
bool hasUndoTarget(const View& v, int) {
    return v.m_strCurrentFile != v.m_strPreviousFile;
}
bool hasRedoTarget(const View& v, int) {
    return v.GetDocument().m_history.RedoSteps() > 0;
}
bool selectionHoldsAFrame(const View& v, int) {
    return v.SelectionHoldsAFrame();
}
bool isZoomed(const View& v, int) {
    return v.IsZoomed();
}
// Something on the clipboard, and a working file to paste it into.
bool canPaste(const View& v, int) {
    const Clipboard* clipboard = v.GetContext().clipboard;
    return clipboard != nullptr && clipboard->Holds() && !v.m_strCurrentFile.empty();
}

// A radio-style check mark: checked while `field` holds `value`. It is set only while the
// command is enabled; a disabled command leaves the check mark as it is. No field: no mark.
struct CheckMark {
    int View::*field = nullptr;
    int value = 0;
};

struct ViewCommand {
    int id;
    void (View::*handler)();
    Rule enabled;
    CheckMark check{};
};

constexpr ViewCommand kViewCommands[] = {
    {ID_BUTTON_PLAY, &View::OnPlay, buttonEnabled},
    {ID_BUTTON_STOP, &View::OnStop, buttonEnabled},
    {ID_BUTTON_TOSTART, &View::OnToStart, buttonEnabled},
    {ID_BUTTON_TOEND, &View::OnToEnd, buttonEnabled},
    {ID_BUTTON_RECORD, &View::OnRecord, buttonEnabled},
    {ID_EDIT_CUT, &View::OnEditCut, hasWaveData},
    {ID_EDIT_COPY, &View::OnEditCopy, hasWaveData},
    {ID_EDIT_PASTE, &View::OnEditPaste, canPaste},
    {ID_EDIT_UNDO, &View::OnEditUndo, hasUndoTarget},
    {ID_EDIT_REDO, &View::OnEditRedo, hasRedoTarget},
    {ID_EFFECTS_REVERSE, &View::OnEffectsReverse, hasWaveData},
    {ID_FILTER_HIGHPASS, &View::OnFilterHighPass, hasFileName},
    {ID_FILTER_LOWPASS, &View::OnFilterLowPass, hasFileName},
    {ID_OCTAVE_INCREASE, &View::OnOctaveIncrease, hasFileName},
    {ID_OCTAVE_DECREASE, &View::OnOctaveDecrease, hasFileName},
    {ID_SLIDER_WAVE, &View::OnSliderWave, always, {&View::m_nSliderWaveMode, WAVEMODE_WAVE}},
    {ID_SLIDER_CLUSTERED,
     &View::OnSliderClustered,
     always,
     {&View::m_nSliderWaveMode, WAVEMODE_CLUSTERED}},
    {ID_SLIDER_NONE, &View::OnSliderNone, always, {&View::m_nSliderWaveMode, WAVEMODE_NONE}},
    {ID_MAGNIFY_100, &View::OnMagnify100, always, {&View::m_nMagnify, MAGNIFY_100}},
    {ID_MAGNIFY_200, &View::OnMagnify200, always, {&View::m_nMagnify, MAGNIFY_200}},
    {ID_MAGNIFY_300, &View::OnMagnify300, always, {&View::m_nMagnify, MAGNIFY_300}},
    {ID_SCOPE_WAVE, &View::OnScopeWave, always, {&View::m_nScopeWaveMode, WAVEMODE_WAVE}},
    {ID_SCOPE_CLUSTERED,
     &View::OnScopeClustered,
     always,
     {&View::m_nScopeWaveMode, WAVEMODE_CLUSTERED}},
    {ID_SCOPE_NONE, &View::OnScopeNone, always, {&View::m_nScopeWaveMode, WAVEMODE_NONE}},
    {ID_SKIN_NORMAL, &View::OnSkinNormal, always, {&View::m_nSkin, SKIN_NORMAL}},
    {ID_SKIN_EMBOSSED, &View::OnSkinEmbossed, always, {&View::m_nSkin, SKIN_EMBOSSED}},
    {ID_SKIN_GREY, &View::OnSkinGrey, always, {&View::m_nSkin, SKIN_GREY}},
    {ID_SKIN_NIGHTSHADE, &View::OnSkinNightShade, always, {&View::m_nSkin, SKIN_NIGHTSHADE}},
    {ID_RECORD_INSERT, &View::OnRecordInsert, always, {&View::m_nRecordMode, RECORDMODE_INSERT}},
    // Without wave data there is nothing to over-write.
    {ID_RECORD_OVERWRITE,
     &View::OnRecordOverwrite,
     hasWaveData,
     {&View::m_nRecordMode, RECORDMODE_OVERWRITE}},
    {ID_FILE_PROPERTIES, &View::OnFileProperties, hasFileName},
    {ID_EDIT_SELECT_RANGE, &View::OnEditSelectRange, hasWaveData},
    {ID_ZOOM_TO_SELECTION, &View::OnZoomToSelection, selectionHoldsAFrame},
    {ID_ZOOM_OUT, &View::OnZoomOut, isZoomed},
};

const ViewCommand* findCommand(int id) {
    const auto* row = std::ranges::find(kViewCommands, id, &ViewCommand::id);
    return row != std::end(kViewCommands) ? row : nullptr;
}

}  // namespace

bool CQuorbelView::OnUpdateCommand(int id, CommandState& state) {
    const ViewCommand* command = findCommand(id);
    if (command == nullptr) return false;
    // While an operation runs on the sound, none of the view's commands may start.
    state.Enable(!IsBusy() && command->enabled(*this, id));
    if (state.enabled && command->check.field != nullptr) {
        state.SetCheck(this->*command->check.field == command->check.value);
    }
    return true;
}

bool CQuorbelView::OnCommand(int id) {
    const ViewCommand* command = findCommand(id);
    if (command == nullptr || IsBusy() || !command->enabled(*this, id)) return false;
    (this->*command->handler)();
    return true;
}

std::vector<int> CQuorbelView::CommandIds() {
    std::vector<int> ids;
    for (const ViewCommand& command : kViewCommands) ids.push_back(command.id);
    return ids;
}

bool CQuorbelView::IsButtonEnabled(int id) const {
    return m_window.isButtonEnabled(id);
}

}  // namespace quorbel
