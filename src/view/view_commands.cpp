// The editor view's commands: one row each, with its handler, its enabling rule and its check
// mark. OnUpdateCommand and OnCommand both look the row up, so a command runs only while its
// enabling rule holds, whoever sends it. Ids without a row (Help > How to use, the frame's and
// the application's commands) go on along the route. The edit and effect commands are rows the
// layers above hand over (AddCommands), looked up after the view's own.

#include <algorithm>
#include <iterator>

#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"

namespace quorbel {

namespace {

using View = CQuorbelView;

// Enabling rules: whether command `id` can run in view `v` now.
bool always(const View&, int) {
    return true;
}
// A picture button's command is enabled as the button is; the transport sets them.
bool buttonEnabled(const View& v, int id) {
    return v.IsButtonEnabled(id);
}
bool selectionHoldsAFrame(const View& v, int) {
    return v.SelectionHoldsAFrame();
}
bool isZoomed(const View& v, int) {
    return v.IsZoomed();
}

// A handler of the view's own as a row's handler.
template <void (View::*Handler)()>
void run(View& v) {
    (v.*Handler)();
}

constexpr ViewCommand kViewCommands[] = {
    {ID_BUTTON_PLAY, run<&View::OnPlay>, buttonEnabled},
    {ID_BUTTON_STOP, run<&View::OnStop>, buttonEnabled},
    {ID_BUTTON_TOSTART, run<&View::OnToStart>, buttonEnabled},
    {ID_BUTTON_TOEND, run<&View::OnToEnd>, buttonEnabled},
    {ID_BUTTON_RECORD, run<&View::OnRecord>, buttonEnabled},
    {ID_SLIDER_WAVE, run<&View::OnSliderWave>, always, {&View::m_nSliderWaveMode, WAVEMODE_WAVE}},
    {ID_SLIDER_CLUSTERED,
     run<&View::OnSliderClustered>,
     always,
     {&View::m_nSliderWaveMode, WAVEMODE_CLUSTERED}},
    {ID_SLIDER_NONE, run<&View::OnSliderNone>, always, {&View::m_nSliderWaveMode, WAVEMODE_NONE}},
    {ID_MAGNIFY_100, run<&View::OnMagnify100>, always, {&View::m_nMagnify, MAGNIFY_100}},
    {ID_MAGNIFY_200, run<&View::OnMagnify200>, always, {&View::m_nMagnify, MAGNIFY_200}},
    {ID_MAGNIFY_300, run<&View::OnMagnify300>, always, {&View::m_nMagnify, MAGNIFY_300}},
    {ID_SCOPE_WAVE, run<&View::OnScopeWave>, always, {&View::m_nScopeWaveMode, WAVEMODE_WAVE}},
    {ID_SCOPE_CLUSTERED,
     run<&View::OnScopeClustered>,
     always,
     {&View::m_nScopeWaveMode, WAVEMODE_CLUSTERED}},
    {ID_SCOPE_NONE, run<&View::OnScopeNone>, always, {&View::m_nScopeWaveMode, WAVEMODE_NONE}},
    {ID_SCOPE_PEAKS, run<&View::OnScopePeaks>, always, {&View::m_nScopeWaveMode, WAVEMODE_PEAKS}},
    {ID_SKIN_NORMAL, run<&View::OnSkinNormal>, always, {&View::m_nSkin, SKIN_NORMAL}},
    {ID_SKIN_EMBOSSED, run<&View::OnSkinEmbossed>, always, {&View::m_nSkin, SKIN_EMBOSSED}},
    {ID_SKIN_GREY, run<&View::OnSkinGrey>, always, {&View::m_nSkin, SKIN_GREY}},
    {ID_SKIN_NIGHTSHADE, run<&View::OnSkinNightShade>, always, {&View::m_nSkin, SKIN_NIGHTSHADE}},
    {ID_RECORD_INSERT,
     run<&View::OnRecordInsert>,
     always,
     {&View::m_nRecordMode, RECORDMODE_INSERT}},
    // Without wave data there is nothing to over-write.
    {ID_RECORD_OVERWRITE,
     run<&View::OnRecordOverwrite>,
     HasWaveData,
     {&View::m_nRecordMode, RECORDMODE_OVERWRITE}},
    {ID_FILE_PROPERTIES, run<&View::OnFileProperties>, HasFileName},
    {ID_EDIT_SELECT_RANGE, run<&View::OnEditSelectRange>, HasWaveData},
    {ID_EDIT_SELECT_ALL, run<&View::OnEditSelectAll>, HasWaveData},
    {ID_ZOOM_TO_SELECTION, run<&View::OnZoomToSelection>, selectionHoldsAFrame},
    {ID_ZOOM_OUT, run<&View::OnZoomOut>, isZoomed},
};

}  // namespace

bool HasWaveData(const CQuorbelView& view, int) {
    return view.m_waveData.has_value();
}

bool HasFileName(const CQuorbelView& view, int) {
    return !view.GetDocument().m_strFileName.empty();
}

const ViewCommand* CQuorbelView::findCommand(int id) const {
    if (const auto* row = std::ranges::find(kViewCommands, id, &ViewCommand::id);
        row != std::end(kViewCommands)) {
        return row;
    }
    const auto row = std::ranges::find(m_addedCommands, id, &ViewCommand::id);
    return row != m_addedCommands.end() ? &*row : nullptr;
}

void CQuorbelView::AddCommands(std::span<const ViewCommand> rows) {
    for (const ViewCommand& row : rows) {
        if (findCommand(row.id) == nullptr) m_addedCommands.push_back(row);
    }
}

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
    command->handler(*this);
    return true;
}

std::vector<int> CQuorbelView::CommandIds() const {
    std::vector<int> ids;
    for (const ViewCommand& command : kViewCommands) ids.push_back(command.id);
    for (const ViewCommand& command : m_addedCommands) ids.push_back(command.id);
    return ids;
}

bool CQuorbelView::IsButtonEnabled(int id) const {
    return m_window.isButtonEnabled(id);
}

}  // namespace quorbel
