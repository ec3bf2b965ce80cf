// Play, stop, go to start or end, record; the position slider, the 10 ms position timer,
// the status line, and the device's completion notices.
//
// Positions: the device counts milliseconds, the slider counts samples. The factor is u =
// slider maximum / length in ms (whole units). A sound with fewer samples than milliseconds,
// or of length 0, has u = 0: its positions are then converted proportionally in 64-bit
// arithmetic (slider = ms x maximum / length, ms = slider x length / maximum), and a length
// or maximum of 0 gives position 0, so nothing ever divides by zero (see position_math.h).

#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "framework/command_ids.h"
#include "framework/frame_window.h"
#include "res/wave_messages.h"
#include "view/lost_sound_text.h"
#include "view/position_math.h"
#include "view/quorbel_view.h"

namespace quorbel {

namespace {

std::uint32_t Unsigned(int v) {
    return v < 0 ? 0u : static_cast<std::uint32_t>(v);
}

}  // namespace

// 1 enables, 0 disables, -1 leaves a button as it is.
void CQuorbelView::setButtons(int play, int stop, int toStart, int toEnd, int record) {
    const std::pair<int, int> buttons[] = {{ID_BUTTON_PLAY, play},
                                           {ID_BUTTON_STOP, stop},
                                           {ID_BUTTON_TOSTART, toStart},
                                           {ID_BUTTON_TOEND, toEnd},
                                           {ID_BUTTON_RECORD, record}};
    for (const auto& [id, on] : buttons) {
        if (on >= 0) m_window.enableButton(id, on == 1);
    }
}

bool CQuorbelView::ShowMciError(unsigned result) {
    if (result == kDeviceOk) return false;
    m_window.messageBox(devices().errorText(result), kAppTitle, BoxIcon::Error);
    return true;
}

void CQuorbelView::StopPositionTimer() {
    if (m_nTimerID == 0) return;
    m_window.killTimer(m_nTimerID);
    m_nTimerID = 0;
}

void CQuorbelView::SliderFromDevice() {
    std::uint32_t ms = 0;
    devices().position(m_wDeviceID, ms);
    const std::uint32_t maximum = Unsigned(m_window.sliderMax());
    const auto slider = static_cast<int>(SliderFromMs(ms, maximum, m_dwLength));
    if (m_window.hasSlider()) m_window.setSliderPos(slider, true);
    m_nPosition = slider;
    InvalidateSliderWave();
}

void CQuorbelView::SeekToSlider() {
    const std::uint32_t slider = Unsigned(m_window.sliderPos());
    const std::uint32_t maximum = Unsigned(m_window.sliderMax());
    devices().seekTo(m_wDeviceID, MsFromSlider(slider, maximum, m_dwLength));
}

std::string CQuorbelView::FormatStatusText() const {
    const std::uint32_t slider = Unsigned(m_window.sliderPos());
    const std::uint32_t maximum = Unsigned(m_window.sliderMax());
    return quorbel::FormatStatusText(m_dwLength, MsFromSlider(slider, maximum, m_dwLength));
}

void CQuorbelView::ShowStatusText() {
    if (m_context.mainFrame != nullptr) m_context.mainFrame->setStatusText(FormatStatusText());
}

void CQuorbelView::OnPlay() {
    if (ShowMciError(devices().play(m_wDeviceID, &m_window))) return;
    setButtons(0, 1, 1, 1, 0);
    m_nState = STATE_PLAYING;
    m_nTimerID = m_window.setTimer(kPositionTimerId, kPositionTimerPeriodMs);
}

void CQuorbelView::OnStop() {
    StopPositionTimer();
    if (m_nState == STATE_RECORDING) {
        if (!m_document.m_strFileName.empty()) OnToStart();
        SaveRecording();
        setButtons(1, 0, 0, 1, 1);
    } else {
        setButtons(1, 0, 1, 1, 1);
    }
    devices().stop(m_wDeviceID);
    ReportLostSound();
    m_nState = STATE_STOPPED;
}

void CQuorbelView::ReportLostSound() {
    LostSound lost;
    if (devices().takeLostSound(m_wDeviceID, lost) != kDeviceOk || !lost) return;
    if (m_context.mainFrame != nullptr)
        m_context.mainFrame->setStatusText(LostSoundStatusText(lost));
    if (lost.recording)
        m_window.messageBox(LostRecordingBoxText(lost), kAppTitle, BoxIcon::Warning);
}

void CQuorbelView::OnToStart() {
    StopPositionTimer();
    devices().seekToStart(m_wDeviceID);
    SliderFromDevice();
    ShowStatusText();
    m_nState = STATE_AT_START;
    setButtons(1, -1, 0, 1, -1);
}

void CQuorbelView::OnToEnd() {
    StopPositionTimer();
    devices().seekToEnd(m_wDeviceID);
    SliderFromDevice();
    ShowStatusText();
    if (m_nState == STATE_PLAYING || m_nState == STATE_STOPPED || m_nState == STATE_AT_START) {
        m_nState = STATE_AT_END;
        setButtons(0, 0, 1, 0, 1);
    }
}

void CQuorbelView::OnRecord() {
    const RecordMode mode =
        m_nRecordMode == RECORDMODE_INSERT ? RecordMode::Insert : RecordMode::Overwrite;
    // The recording is written to the document's folder as it is made, so a crash loses at
    // most its last moments.
    const std::string file = m_document.NewRecordingFile();
    if (ShowMciError(devices().record(m_wDeviceID, mode, &m_window, file))) return;
    std::uint64_t start = 0;
    if (devices().recordStartFrame(m_wDeviceID, start) == kDeviceOk)
        m_document.RecordingStarted(file, start, mode == RecordMode::Overwrite);
    StopPositionTimer();
    if (m_context.mainFrame != nullptr)
        m_context.mainFrame->setStatusText("Recording from audio source...");
    setButtons(0, 1, 0, 0, 0);
    m_nState = STATE_RECORDING;
    m_document.SetModifiedFlag();
}

void CQuorbelView::SaveRecording() {
    // The recorded sound goes to a new working file and becomes a version of the history:
    // Undo goes back to the sound before the take. A recording into a new, empty document is
    // where its history starts.
    LoadedSound sound;
    if (!TakeSound(sound)) return;
    SoundHistory& history = m_document.m_history;
    // Nothing recorded, or an edit that ended the recording has made it a version already:
    // the recording's own file is not needed any more.
    if (!history.Empty() && history.Current().sound.data.SameAs(sound.data) &&
        !sound.data.empty()) {
        m_document.SoundChanged();
        return;
    }
    // Only the take is written to a working file of its own: the sound around it is pieces
    // of blocks that files already hold.
    SoundVersion take = m_document.VersionOf(std::move(sound), {});
    // A take no file can hold (a full disk) is still the sound the window shows, edits and
    // saves; until then, a crash brings back what the recording's own file holds.
    if (WaveError unhoused = m_document.HouseBlocks(take.sound, "newfile"))
        m_window.messageBox(MessageFor(*unhoused));
    NameByItsFile(take);
    if (!AdoptSound(take.file, take.sound, false)) return;
    if (history.Empty() || (history.UndoSteps() == 0 && history.Current().sound.data.empty() &&
                            history.Current().file.empty())) {
        m_document.LetGo(history.TakeAll());
        history.Reset(std::move(take));
    } else {
        m_document.LetGo(history.Push(std::move(take)));
        if (m_document.KeepHistoryWithinBudget() && m_context.mainFrame != nullptr)
            m_context.mainFrame->setStatusText(kOlderStepsLetGoText);
    }
    HistoryChanged();
}

void CQuorbelView::AdoptDocumentDevice() {
    if (m_wDeviceID == m_document.m_wDeviceID) return;
    // The old device is closed; its abort notice carries the old id and will be ignored.
    m_wDeviceID = m_document.m_wDeviceID;
    if (m_wDeviceID == 0) return;  // the reopen failed and the document has said why
    // A recording the save ended is in the reopened sound: Stop still shows it.
    if (m_nState == STATE_RECORDING) return;
    SeekToSlider();
    if (m_nState == STATE_PLAYING && ShowMciError(devices().play(m_wDeviceID, &m_window))) {
        StopPositionTimer();
        m_nState = STATE_STOPPED;
        setButtons(1, 0, 1, 1, 1);
    }
}

void CQuorbelView::OnTimer(unsigned timerId) {
    if (timerId == kOperationTimerId) {
        PollOperation();
        return;
    }
    if (timerId == kPeaksTimerId) {
        // The next paint starts the timer again while summaries are still being made.
        m_window.killTimer(kPeaksTimerId);
        m_peaksTimer = false;
        InvalidateScope();
        return;
    }
    SliderFromDevice();
    ShowStatusText();
}

void CQuorbelView::OnHScroll(int, int) {
    StopPositionTimer();
    m_nPosition = m_window.sliderPos();
    SeekToSlider();
    ShowStatusText();
    InvalidateSliderWave();
}

void CQuorbelView::WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == kMsgDeviceNotify)
        onDeviceNotify(static_cast<unsigned>(wParam), static_cast<std::uint32_t>(lParam));
}

void CQuorbelView::onDeviceNotify(unsigned code, std::uint32_t deviceId) {
    // A notice from a device this view has since closed (an edit or a reload came between)
    // says nothing about the device it plays now.
    if (deviceId != m_wDeviceID) return;
    if (code == kNotifySuccessful && (m_nState == STATE_PLAYING || m_nState == STATE_AT_START)) {
        StopPositionTimer();
        m_nState = STATE_STOPPED;
        setButtons(1, 0, 0, 1, 1);
        OnToStart();
        ReportLostSound();
    } else if (code == kNotifySuccessful && m_nState == STATE_RECORDING) {
        // The device ended the recording itself: a WAVE file holds no more.
        OnStop();
    } else if (code == kNotifyAborted && m_nState == STATE_PLAYING) {
        m_nState = STATE_STOPPED;
        setButtons(1, 0, 1, 1, 1);
        SliderFromDevice();
        ReportLostSound();
    }
}

}  // namespace quorbel
