#pragma once

// The editor view of one document: the player (picture buttons, position slider, position
// timer, status line) and the picture (slider strip, vectorscope, selection frame) of one
// sound. The Qt shell hosts it through the entry points below; everything else is the
// view's own logic over the ports it is given.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/app_context.h"
#include "framework/canvas.h"
#include "framework/command_target.h"
#include "framework/geometry.h"
#include "framework/view_window.h"
#include "view/view_layout.h"

namespace quorbel {

class CQuorbelDoc;
class WaveDevices;
struct DisplayData;

// Transport states of the view (values 1 and 4 are never used).
inline constexpr int STATE_READY = 0;
inline constexpr int STATE_PLAYING = 2;
inline constexpr int STATE_STOPPED = 3;
inline constexpr int STATE_RECORDING = 5;
inline constexpr int STATE_AT_END = 6;
inline constexpr int STATE_AT_START = 7;

// The position timer's id and period.
inline constexpr unsigned kPositionTimerId = 1;
inline constexpr unsigned kPositionTimerPeriodMs = 10;

class CQuorbelView : public CommandTarget {
  public:
    CQuorbelView(CQuorbelDoc& document, ViewWindow& window, AppContext& context);
    ~CQuorbelView() override;
    CQuorbelView(const CQuorbelView&) = delete;
    CQuorbelView& operator=(const CQuorbelView&) = delete;

    // --- Entry points the shell calls -------------------------------------------------
    void OnInitialUpdate();
    void OnDraw(Canvas& canvas);
    void OnLButtonDown(unsigned flags, Point point);
    void OnLButtonUp(unsigned flags, Point point);
    void OnMouseMove(unsigned flags, Point point);
    void OnRButtonDown(unsigned flags, Point point);
    void OnTimer(unsigned timerId);
    // Every notification of the position slider (SB_* codes), after the slider has moved.
    // The position is read from the slider itself; `pos` is not used.
    void OnHScroll(int code, int pos);
    // Sees every posted window message first; handles the device notice (kMsgDeviceNotify,
    // wParam the notice code, lParam the id of the device that sent it).
    void WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    bool OnUpdateCommand(int id, CommandState& state) override;
    bool OnCommand(int id) override;

    CQuorbelDoc& GetDocument() const { return m_document; }

    // --- Operations other subsystems use ----------------------------------------------
    void CreateButtons(bool hasFile);
    void CloseDevice();
    void InvalidateSliderWave();
    void InvalidateScope();

    // Re-reads format and samples from `fileName` (just written by an edit) and reopens the
    // device on it. Returns false when the file was refused or unreadable (after its box);
    // the buffer and format fields then stay as they were and the device stays closed.
    bool ReloadAfterEdit(const std::string& fileName);
    void ReplaceWaveData(const std::uint8_t* bytes, std::uint32_t length);
    void CreatePositionSlider(int maximum, int page);
    // After the document saved its sound and reopened its device under a new id: plays,
    // seeks and notices go to that id from now on, at the place the slider shows, and a
    // play the reopen cut off goes on from there.
    void AdoptDocumentDevice();

    // Transport.
    void OnPlay();
    void OnStop();
    void OnToStart();
    void OnToEnd();
    void OnRecord();
    bool ShowMciError(unsigned result);
    void StopPositionTimer();
    void SliderFromDevice();
    void SeekToSlider();
    std::string FormatStatusText() const;
    void ShowStatusText();

    // Drawing steps of OnDraw.
    void DrawSliderWave(Canvas& canvas);
    void DrawScopeWave(Canvas& canvas);
    void DrawFrames(Canvas& canvas);

    // Display modes, skins and the recording mode.
    void OnSliderWave();
    void OnSliderClustered();
    void OnSliderNone();
    void OnMagnify100();
    void OnMagnify200();
    void OnMagnify300();
    void OnScopeWave();
    void OnScopeClustered();
    void OnScopeNone();
    void OnSkinNormal();
    void OnSkinEmbossed();
    void OnSkinGrey();
    void OnSkinNightShade();
    void OnRecordInsert();
    void OnRecordOverwrite();

    void OnFileProperties();

    // --- The editor state shared by the transport, display, edit and effect code --------
    int m_nSliderWaveMode = 0;  // 0 Wave, 1 Clustered, 2 None
    int m_nScopeWaveMode = 0;
    int m_nMagnify = 0;     // 0 100%, 1 200%, 2 300%
    int m_nSkin = 1;        // 0 Normal, 1 Embossed, 2 Grey, 3 NightShade
    int m_nRecordMode = 0;  // 0 Insert, 1 Over-write
    std::uint32_t m_wDeviceID = 0;
    std::unique_ptr<std::uint8_t[]> m_pWaveData;  // copy of the data chunk, for drawing
    std::uint32_t m_dwWaveDataLen = 0;
    int m_nPosition = 0;  // slider position in sample units; first sample the strip shows
    int m_nState = STATE_READY;
    unsigned m_nTimerID = 0;
    std::uint32_t m_dwLength = 0;  // sound length in ms
    Rect m_rcSliderWave = kSliderWaveRect;
    Rect m_rcScope = kScopeRect;
    std::string m_strPreviousFile;  // working file before the last edit: the Undo target
    std::string m_strCurrentFile;   // working file the device holds now
    int m_bPCM = 0;
    int m_nChannels = 0;
    int m_nBitsPerSample = 0;
    std::uint32_t m_nSamplesPerSec = 0;
    std::uint32_t m_nAvgBytesPerSec = 0;
    int m_nBlockAlign = 0;
    std::uint32_t m_nSampleCount = 0;  // data bytes, halved for 16-bit sound; slider maximum
    Rect m_rcStartHandle = kStartHandleRect;
    Rect m_rcEndHandle = kEndHandleRect;
    bool m_bStartGrabbed = false;
    bool m_bEndGrabbed = false;

  private:
    WaveDevices& devices() const;
    void setButtons(int play, int stop, int toStart, int toEnd, int record);
    void showPcmRefusal();
    // Reads `path` into a DisplayData, showing the box for a refused or unreadable file.
    bool readForDisplay(const std::string& path, DisplayData& out);
    void storeFormat(const DisplayData& data);
    // Takes the bytes read as the wave data buffer and repaints both traces.
    void adoptWaveData(DisplayData& data);
    // Opens the device on `path` and stores the id in the view and its document. Shows the
    // device's error in a box and returns false when it cannot.
    bool reopenDevice(const std::string& path);
    bool CaptureDisplayData();
    void SaveRecording();
    // When the play or recording that just ended lost sound: says how much in the status
    // line, and for a recording in a warning box too.
    void ReportLostSound();
    void onDeviceNotify(unsigned code, std::uint32_t deviceId);
    bool runCommand(int id);
    void setMode(int& field, int value, void (CQuorbelView::*repaint)());
    void repaintStripErased();
    void repaintAllErased();
    void noRepaint() {}

    CQuorbelDoc& m_document;
    ViewWindow& m_window;
    AppContext& m_context;
};

}  // namespace quorbel
