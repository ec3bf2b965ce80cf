// Construction, the first update, the device close every reopen starts with, the repaint
// requests, and the view's command table with its enabling rules.

#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace quorbel {

CQuorbelView::CQuorbelView(CQuorbelDoc& document, ViewWindow& window, AppContext& context)
    : m_document(document), m_window(window), m_context(context) {}

CQuorbelView::~CQuorbelView() {
    // The window may already be gone; only the device is released here. Closing a device
    // the document closes again later is harmless.
    if (m_context.devices != nullptr) m_context.devices->close(m_wDeviceID);
}

WaveDevices& CQuorbelView::devices() const {
    return *m_context.devices;
}

void CQuorbelView::OnInitialUpdate() {
    m_wDeviceID = m_document.m_wDeviceID;
    m_pWaveData.reset();
    m_dwWaveDataLen = 0;
    m_nTimerID = 0;

    const bool hasFile = !m_document.m_strFileName.empty();
    if (hasFile) {
        m_strPreviousFile = m_strCurrentFile = m_document.m_strFileName;
        // A refused or unreadable file leaves a view without buttons or slider, its
        // device closed.
        if (!CaptureDisplayData()) return;
    } else {
        m_strPreviousFile.clear();
        m_strCurrentFile.clear();
    }
    CreateButtons(hasFile);

    m_nSkin = SKIN_EMBOSSED;
    m_nRecordMode = RECORDMODE_INSERT;
    m_nPosition = 0;
    m_nSliderWaveMode = WAVEMODE_WAVE;
    m_nScopeWaveMode = WAVEMODE_WAVE;
    m_nMagnify = MAGNIFY_100;
    m_rcSliderWave = kSliderWaveRect;
    m_rcScope = kScopeRect;
    m_rcStartHandle = kStartHandleRect;
    m_rcEndHandle = kEndHandleRect;
    m_bStartGrabbed = m_bEndGrabbed = false;
}

void CQuorbelView::CreateButtons(bool hasFile) {
    Rect r = kFirstButtonRect;
    for (const PictureButtonSpec& b : kPictureButtons) {
        m_window.createPictureButton(b.id, r, b.bitmapNormal, b.bitmapPressed, b.bitmapDisabled);
        r = r.offset(kButtonSpacing, 0);
    }
    if (!hasFile) {
        m_window.enableButton(ID_BUTTON_TOEND, false);
        m_window.enableButton(ID_BUTTON_PLAY, false);
    }
    m_window.enableButton(ID_BUTTON_TOSTART, false);
    m_window.enableButton(ID_BUTTON_STOP, false);
}

void CQuorbelView::CloseDevice() {
    devices().close(m_wDeviceID);
    m_nState = STATE_READY;
}

void CQuorbelView::InvalidateSliderWave() {
    if (m_nSliderWaveMode != WAVEMODE_NONE) m_window.invalidateRect(m_rcSliderWave, false);
}

void CQuorbelView::InvalidateScope() {
    m_window.invalidateRect(m_rcScope, false);
}

bool CQuorbelView::OnUpdateCommand(int id, CommandState& state) {
    const bool hasFile = !m_document.m_strFileName.empty();
    auto check = [&state](int field, int value) {
        state.Enable(true);
        state.SetCheck(field == value);
        return true;
    };
    switch (id) {
        case ID_BUTTON_PLAY:
        case ID_BUTTON_STOP:
        case ID_BUTTON_TOSTART:
        case ID_BUTTON_TOEND:
        case ID_BUTTON_RECORD:
            state.Enable(m_window.isButtonEnabled(id));
            return true;
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
            state.Enable(m_pWaveData != nullptr);
            return true;
        case ID_EDIT_PASTE:
            state.Enable(m_context.clipboard != nullptr && m_context.clipboard->Holds() &&
                         !m_strCurrentFile.empty());
            return true;
        case ID_EDIT_UNDO:
            state.Enable(m_strCurrentFile != m_strPreviousFile);
            return true;
        case ID_EFFECTS_REVERSE:
            state.Enable(m_pWaveData != nullptr);
            return true;
        case ID_FILTER_HIGHPASS:
        case ID_FILTER_LOWPASS:
        case ID_OCTAVE_INCREASE:
        case ID_OCTAVE_DECREASE:
            state.Enable(hasFile);
            return true;
        case ID_SLIDER_WAVE:
            return check(m_nSliderWaveMode, WAVEMODE_WAVE);
        case ID_SLIDER_CLUSTERED:
            return check(m_nSliderWaveMode, WAVEMODE_CLUSTERED);
        case ID_SLIDER_NONE:
            return check(m_nSliderWaveMode, WAVEMODE_NONE);
        case ID_MAGNIFY_100:
            return check(m_nMagnify, MAGNIFY_100);
        case ID_MAGNIFY_200:
            return check(m_nMagnify, MAGNIFY_200);
        case ID_MAGNIFY_300:
            return check(m_nMagnify, MAGNIFY_300);
        case ID_SCOPE_WAVE:
            return check(m_nScopeWaveMode, WAVEMODE_WAVE);
        case ID_SCOPE_CLUSTERED:
            return check(m_nScopeWaveMode, WAVEMODE_CLUSTERED);
        case ID_SCOPE_NONE:
            return check(m_nScopeWaveMode, WAVEMODE_NONE);
        case ID_SKIN_NORMAL:
            return check(m_nSkin, SKIN_NORMAL);
        case ID_SKIN_EMBOSSED:
            return check(m_nSkin, SKIN_EMBOSSED);
        case ID_SKIN_GREY:
            return check(m_nSkin, SKIN_GREY);
        case ID_SKIN_NIGHTSHADE:
            return check(m_nSkin, SKIN_NIGHTSHADE);
        case ID_RECORD_INSERT:
            return check(m_nRecordMode, RECORDMODE_INSERT);
        case ID_RECORD_OVERWRITE:
            // Without wave data there is nothing to over-write; the check mark is left alone.
            if (!m_pWaveData) {
                state.Enable(false);
                return true;
            }
            return check(m_nRecordMode, RECORDMODE_OVERWRITE);
        case ID_FILE_PROPERTIES:
            state.Enable(hasFile);
            return true;
        default:
            // Help > How to use and everything else go on to the frame and the application.
            return false;
    }
}

bool CQuorbelView::OnCommand(int id) {
    // A command runs only while its enabling rule holds, whoever sends it.
    CommandState state;
    if (!OnUpdateCommand(id, state) || !state.enabled) return false;
    return runCommand(id);
}

bool CQuorbelView::runCommand(int id) {
    switch (id) {
        case ID_BUTTON_PLAY:
            OnPlay();
            return true;
        case ID_BUTTON_STOP:
            OnStop();
            return true;
        case ID_BUTTON_TOSTART:
            OnToStart();
            return true;
        case ID_BUTTON_TOEND:
            OnToEnd();
            return true;
        case ID_BUTTON_RECORD:
            OnRecord();
            return true;
        case ID_EDIT_CUT:
            OnEditCut();
            return true;
        case ID_EDIT_COPY:
            OnEditCopy();
            return true;
        case ID_EDIT_PASTE:
            OnEditPaste();
            return true;
        case ID_EDIT_UNDO:
            OnEditUndo();
            return true;
        case ID_EFFECTS_REVERSE:
            OnEffectsReverse();
            return true;
        case ID_FILTER_LOWPASS:
            OnFilterLowPass();
            return true;
        case ID_FILTER_HIGHPASS:
            OnFilterHighPass();
            return true;
        case ID_OCTAVE_INCREASE:
            OnOctaveIncrease();
            return true;
        case ID_OCTAVE_DECREASE:
            OnOctaveDecrease();
            return true;
        case ID_SLIDER_WAVE:
            OnSliderWave();
            return true;
        case ID_SLIDER_CLUSTERED:
            OnSliderClustered();
            return true;
        case ID_SLIDER_NONE:
            OnSliderNone();
            return true;
        case ID_MAGNIFY_100:
            OnMagnify100();
            return true;
        case ID_MAGNIFY_200:
            OnMagnify200();
            return true;
        case ID_MAGNIFY_300:
            OnMagnify300();
            return true;
        case ID_SCOPE_WAVE:
            OnScopeWave();
            return true;
        case ID_SCOPE_CLUSTERED:
            OnScopeClustered();
            return true;
        case ID_SCOPE_NONE:
            OnScopeNone();
            return true;
        case ID_SKIN_NORMAL:
            OnSkinNormal();
            return true;
        case ID_SKIN_EMBOSSED:
            OnSkinEmbossed();
            return true;
        case ID_SKIN_GREY:
            OnSkinGrey();
            return true;
        case ID_SKIN_NIGHTSHADE:
            OnSkinNightShade();
            return true;
        case ID_RECORD_INSERT:
            OnRecordInsert();
            return true;
        case ID_RECORD_OVERWRITE:
            OnRecordOverwrite();
            return true;
        case ID_FILE_PROPERTIES:
            OnFileProperties();
            return true;
        default:
            return false;
    }
}

}  // namespace quorbel
