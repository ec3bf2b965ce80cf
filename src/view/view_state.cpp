// Construction, the first update, the device close every reopen starts with, and the repaint
// requests. The view's commands are in view_commands.cpp.

#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "framework/frame_window.h"
#include "framework/running_operation.h"
#include "view/quorbel_view.h"
#include "wavefile/background_release.h"

namespace quorbel {

CQuorbelView::CQuorbelView(CQuorbelDoc& document, ViewWindow& window, AppContext& context)
    : m_document(document), m_window(window), m_context(context) {}

CQuorbelView::~CQuorbelView() {
    // An operation still running is cancelled; its working file goes with the document's.
    if (m_running && m_progressShown && m_context.mainFrame != nullptr) {
        m_context.mainFrame->hideProgress(&m_document);
    }
    m_running.reset();
    if (m_holdsDocumentWork) m_document.EndWork();
    // The window may already be gone; only the device is released here. Closing a device
    // the document closes again later is harmless.
    if (m_context.devices != nullptr) m_context.devices->close(m_wDeviceID);
    // Closing returns at once: a large sound leaves memory, and a large working file the
    // disk, on a thread of their own.
    if (m_waveData) ReleaseInBackground(std::move(*m_waveData));
    m_document.LetGo(m_document.m_history.TakeAll());
}

WaveDevices& CQuorbelView::devices() const {
    return *m_context.devices;
}

bool CQuorbelView::OnInitialUpdate() {
    m_wDeviceID = m_document.m_wDeviceID;
    m_waveData.reset();
    m_nTimerID = 0;

    const bool hasFile = !m_document.m_strFileName.empty();
    // The history starts with the sound as opened (or the new, empty one).
    LoadedSound first;
    if (hasFile) {
        // A refused or unreadable file leaves a view without buttons or slider, its
        // device closed: the shell closes its window.
        if (!CaptureDisplayData()) return false;
        devices().sound(m_wDeviceID, first);
    }
    m_document.m_history.Reset(m_document.VersionOf(std::move(first), m_document.m_strFileName));
    HistoryChanged();
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
    return true;
}

void CQuorbelView::HistoryChanged() {
    const SoundHistory& history = m_document.m_history;
    if (history.Empty()) {
        m_strCurrentFile.clear();
        m_strPreviousFile.clear();
        return;
    }
    m_strCurrentFile = history.Current().file;
    m_strPreviousFile =
        history.UndoTarget() != nullptr ? history.UndoTarget()->file : m_strCurrentFile;
    // The note for recovery describes the version now shown, before an older recording's
    // file goes.
    m_document.SoundChanged();
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

}  // namespace quorbel
