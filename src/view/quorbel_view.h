#pragma once

// The editor view of one document: the player (picture buttons, position slider, position
// timer, status line) and the picture (slider strip, vectorscope, selection frame) of one
// sound. The Qt shell hosts it through the entry points below; everything else is the
// view's own logic over the ports it is given.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "audio/sound_file_reader.h"
#include "framework/app_context.h"
#include "framework/canvas.h"
#include "framework/command_target.h"
#include "framework/geometry.h"
#include "framework/view_window.h"
#include "view/display_modes.h"
#include "view/view_command.h"
#include "view/view_layout.h"
#include "wavefile/piece_list.h"
#include "wavefile/wave_format.h"

namespace quorbel {

class CQuorbelDoc;
class WaveDevices;
class RunningOperation;

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
// The timer that watches a long operation, at the pace of all long work.
inline constexpr unsigned kOperationTimerId = 2;
// While Peaks mode shows part of the sound not yet summarized, the vectorscope is repainted
// this often until it is.
inline constexpr unsigned kPeaksTimerId = 3;
inline constexpr unsigned kPeaksTimerPeriodMs = 100;

class CQuorbelView : public CommandTarget {
  public:
    CQuorbelView(CQuorbelDoc& document, ViewWindow& window, AppContext& context);
    ~CQuorbelView() override;
    CQuorbelView(const CQuorbelView&) = delete;
    CQuorbelView& operator=(const CQuorbelView&) = delete;

    // --- Entry points the shell calls -------------------------------------------------
    // False when the document's file was refused (after its box): the view shows nothing.
    bool OnInitialUpdate();
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

    // The view's commands, one table row each (view_commands.cpp): its handler, its enabling
    // rule and its check mark. A command runs only while its rule holds; ids without a row
    // return false and go on to the frame and the application.
    bool OnUpdateCommand(int id, CommandState& state) override;
    bool OnCommand(int id) override;
    // Adds rows after the view's own: the edit and effect commands, which the layers above
    // the view make and whoever makes the view hands over. A row whose id the table already
    // holds is left out, so adding the same rows twice changes nothing.
    void AddCommands(std::span<const ViewCommand> rows);
    // The ids of the table's rows, in table order.
    std::vector<int> CommandIds() const;

    CQuorbelDoc& GetDocument() const { return m_document; }
    const AppContext& GetContext() const { return m_context; }

    // --- Operations other subsystems use ----------------------------------------------
    void CreateButtons(bool hasFile);
    void CloseDevice();
    // Whether picture button `id` is enabled now (the transport sets them).
    bool IsButtonEnabled(int id) const;
    void InvalidateSliderWave();
    void InvalidateScope();

    // The sound the device holds now, a recording still running ended and included (what it
    // lost is reported). False after its box when there is none.
    bool TakeSound(LoadedSound& out);
    // Plays and draws `sound`, which `fileName` holds, from now on: the device is reopened on
    // it in memory and, unless only the samples changed, the format fields, length, slider
    // range and the document's file name are taken from it. False after its box when the
    // sound is not PCM or the device refuses it; everything then stays as it was.
    bool AdoptSound(const std::string& fileName, const LoadedSound& sound, bool samplesOnly);
    // Draws `bytes` from now on, shared rather than copied, and asks for the repaints that
    // show them; the sample count and the slider stay as they are.
    void ReplaceWaveData(const PieceList& bytes);
    void CreatePositionSlider(int maximum, int page);
    // After the document saved its sound and reopened its device under a new id: plays,
    // seeks and notices go to that id from now on, at the place the slider shows, and a
    // play the reopen cut off goes on from there.
    void AdoptDocumentDevice();

    // Long operations (view_operation.cpp). An edit or effect runs on a worker while the
    // window answers, and so does a save of the document; meanwhile every command of this
    // view is disabled.
    // Takes `operation`, just started, and completes it: at once without background work,
    // else once its worker is done.
    void RunOperation(std::unique_ptr<RunningOperation> operation);
    bool IsBusy() const;
    // The running operation's name and percentage (an edit, an effect or a save).
    std::optional<std::pair<std::string, int>> OperationProgress() const;
    // Cancels the running operation and completes it at once: the sound stays as it was.
    void CancelOperation();
    // Waits for the running operation and completes it.
    void FinishOperation();
    void PollOperation();
    // Hands the status bar the running operation's Cancel, and its progress after a moment.
    void OfferProgress();

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
    void DrawScopePeaks(Canvas& canvas, std::uint64_t from, std::uint64_t count);
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
    void OnScopePeaks();
    void OnSkinNormal();
    void OnSkinEmbossed();
    void OnSkinGrey();
    void OnSkinNightShade();
    void OnRecordInsert();
    void OnRecordOverwrite();

    void OnFileProperties();

    // Selection handles.
    std::uint32_t GetSelStartMs() const;
    std::uint32_t GetSelEndMs() const;
    // Zoom: while zoomed the vectorscope's 367 pixels stand for [m_dwZoomFromMs,
    // m_dwZoomToMs] instead of the whole sound, for its trace and for the handles.
    bool IsZoomed() const { return m_dwZoomToMs > m_dwZoomFromMs; }
    std::uint32_t ScopeFromMs() const { return IsZoomed() ? m_dwZoomFromMs : 0; }
    std::uint32_t ScopeSpanMs() const {
        return IsZoomed() ? m_dwZoomToMs - m_dwZoomFromMs : m_dwLength;
    }
    void OnZoomToSelection();
    void OnZoomOut();
    // Whether the selection holds a whole frame of sound (what Zoom to Selection needs).
    bool SelectionHoldsAFrame() const;
    // Sets the selection to exactly [startMs, endMs], zoomed so both show; Cut and Copy use
    // these values until a handle moves. Empty, or why the pair is refused.
    std::string SetSelectionMs(std::uint32_t startMs, std::uint32_t endMs);
    // Why [startMs, endMs] cannot be the selection (no sound, End not after Start, past the
    // end), or empty.
    std::string SelectionRefusal(std::uint32_t startMs, std::uint32_t endMs) const;
    void OnEditSelectRange();
    // Puts the handles at both ends, unzoomed: the whole sound is selected.
    void OnEditSelectAll();
    // Asks the window for a length of silence in milliseconds; empty when cancelled.
    std::optional<std::uint32_t> AskSilenceLength(const ViewWindow::LengthCheck& check) {
        return m_window.askSilenceLength(check);
    }
    // The keyboard's handles: Left/Right move the start handle a pixel, with Shift the end
    // handle, with Ctrl ten pixels; Home puts the start handle at the left edge, End the end
    // handle at the right edge. False when the key does nothing here.
    enum class SelectionKey { Left, Right, Home, End };
    bool OnSelectionKey(SelectionKey key, bool shift, bool ctrl);
    // "Selection 0:01.250 – 0:02.500 (1.250 s)": what Cut and Copy would take.
    std::string SelectionStatusText() const;
    // "Zoomed to <from> – <to>" while the vectorscope shows a stretch, else "".
    std::string ZoomStatusText() const;
    // What assistive technology reads of the selection and zoom: "" while the whole sound is
    // selected and shown, as after opening it.
    std::string SelectionSpokenText() const;
    bool CheckSelection(std::uint32_t startMs, std::uint32_t endMs);
    // Asks the window for a level (Amplify's gain, Normalize's peak); empty when cancelled.
    std::optional<LevelAnswer> AskLevel(const LevelQuestion& question,
                                        const ViewWindow::LevelCheck& check) {
        return m_window.askLevel(question, check);
    }
    bool MoveHandles(unsigned flags, Point point);

    // Takes the names of the document history's current version and Undo target.
    void HistoryChanged();

    // --- The editor state shared by the transport, display, edit and effect code --------
    int m_nSliderWaveMode = WAVEMODE_WAVE;  // WAVEMODE_*
    int m_nScopeWaveMode = WAVEMODE_WAVE;   // WAVEMODE_*
    int m_nMagnify = MAGNIFY_100;           // MAGNIFY_*
    int m_nSkin = SKIN_EMBOSSED;            // SKIN_*
    int m_nRecordMode = RECORDMODE_INSERT;  // RECORDMODE_*
    std::uint32_t m_wDeviceID = 0;
    // The sound the view draws, once it shows one: the very pieces the device plays.
    std::optional<PieceList> m_waveData;
    // Its length in bytes.
    std::uint64_t WaveDataLen() const { return m_waveData ? m_waveData->size() : 0; }
    // How the sound's samples are stored, from its bits and format tag.
    SampleType SampleTypeOfSound() const;
    int m_nPosition = 0;  // slider position in sample units; first sample the strip shows
    int m_nState = STATE_READY;
    unsigned m_nTimerID = 0;
    std::uint32_t m_dwLength = 0;  // sound length in ms
    Rect m_rcSliderWave = kSliderWaveRect;
    Rect m_rcScope = kScopeRect;
    // The files of the history's current version and of the version Undo returns to (the
    // same as the current one when Undo cannot go back).
    std::string m_strPreviousFile;
    std::string m_strCurrentFile;
    std::unique_ptr<RunningOperation> m_running;  // the edit or effect running now
    bool m_progressShown = false;                 // the status bar holds its progress or Cancel
    bool m_holdsDocumentWork = false;             // the running operation is the document's work
    bool m_peaksTimer = false;                    // kPeaksTimerId runs
    int m_bPCM = 0;                               // the samples' format tag: 1 integer, 3 float
    int m_nChannels = 0;
    int m_nBitsPerSample = 0;
    std::uint32_t m_nSamplesPerSec = 0;
    std::uint32_t m_nAvgBytesPerSec = 0;
    int m_nBlockAlign = 0;
    std::uint64_t m_nSampleCount = 0;  // stored samples (bytes of 8-bit sound); slider maximum
    Rect m_rcStartHandle = kStartHandleRect;
    Rect m_rcEndHandle = kEndHandleRect;
    bool m_bStartGrabbed = false;
    bool m_bEndGrabbed = false;
    std::uint32_t m_dwZoomFromMs = 0;  // both 0: the whole sound
    std::uint32_t m_dwZoomToMs = 0;
    // A selection set in exact milliseconds, kept until a handle moves.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> m_exactSelection;

  private:
    const ViewCommand* findCommand(int id) const;
    WaveDevices& devices() const;
    void setButtons(int play, int stop, int toStart, int toEnd, int record);
    // The PCM fields of `sound` (integer or float samples), or empty after the "not PCM" box.
    std::optional<WaveFormat> pcmFormatOf(const LoadedSound& sound);
    // A float sound holding NaN or infinite samples: a warning box that says how many.
    void warnNonFinite(const PieceList& data);
    void storeFormat(const WaveFormat& format, std::uint64_t dataBytes);
    void setSliderRange(std::uint64_t dataBytes);
    bool CaptureDisplayData();
    bool captureUnplayable();
    void SaveRecording();
    // When the play or recording that just ended lost sound: says how much in the status
    // line, and for a recording in a warning box too.
    void ReportLostSound();
    void onDeviceNotify(unsigned code, std::uint32_t deviceId);
    void setMode(int& field, int value, void (CQuorbelView::*repaint)());
    // Puts the handles where [startMs, endMs] fall in the stretch the vectorscope shows.
    void placeHandles(std::uint32_t startMs, std::uint32_t endMs);
    // Repaints the frame and the handles after they moved.
    void invalidateHandles();
    // Tells the status line and assistive technology what the selection is now.
    void selectionChanged();
    void repaintStripErased();
    void repaintAllErased();
    void noRepaint() {}

    // The edit cycle's window on this view.
    friend class ViewEditHost;

    CQuorbelDoc& m_document;
    ViewWindow& m_window;
    AppContext& m_context;
    std::vector<ViewCommand> m_addedCommands;  // the rows AddCommands added
};

}  // namespace quorbel
