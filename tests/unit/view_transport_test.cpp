#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "audio/sound_file_reader.h"
#include "fakes/piece_bytes.h"
#include "fakes/temp_dir_scope.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "view/position_math.h"

namespace quorbel {
namespace {

using testing::Mono8Second;
using testing::TempDirScope;
using testing::ViewRig;
using testing::WavContent;

// Buttons read "play stop to-start to-end record", 1 = enabled.

TEST(ViewTransport, FirstDisplayEnablesPlayToEndAndRecordForAFileAndOnlyRecordWithout) {
    ViewRig withFile;
    CQuorbelView& v = withFile.open(Mono8Second());
    EXPECT_EQ(withFile.window.buttonStates(), "10011");
    EXPECT_EQ(v.m_nState, STATE_READY);
    EXPECT_TRUE(withFile.window.hasSlider());

    ViewRig fresh;
    CQuorbelView& n = fresh.openNew();
    EXPECT_EQ(fresh.window.buttonStates(), "00001");
    EXPECT_FALSE(fresh.window.hasSlider());
    EXPECT_TRUE(n.m_strCurrentFile.empty());
    EXPECT_TRUE(n.m_strPreviousFile.empty());
}

TEST(ViewTransport, PlayStartsTheTimerAndStopEndsIt) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    ASSERT_TRUE(rig.click(ID_BUTTON_PLAY));
    EXPECT_EQ(rig.window.buttonStates(), "01110");
    EXPECT_EQ(v.m_nState, STATE_PLAYING);
    EXPECT_EQ(v.m_nTimerID, kPositionTimerId);
    EXPECT_EQ(rig.window.timerPeriod, 10u);
    EXPECT_TRUE(rig.window.activeTimers.count(kPositionTimerId));

    rig.run(250);
    v.OnTimer(kPositionTimerId);
    std::uint32_t ms = 0;
    rig.devices.position(v.m_wDeviceID, ms);
    EXPECT_NEAR(ms, 250, 10);
    EXPECT_EQ(rig.window.sliderPos(), static_cast<int>(ms * 22));
    EXPECT_EQ(v.m_nPosition, static_cast<int>(ms * 22));
    EXPECT_EQ(rig.frame.statusText(),
              "Total playing time: 1.00 s  / Current file position: " + FormatSeconds(ms) + " s ");

    ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
    EXPECT_EQ(rig.window.buttonStates(), "10111");
    EXPECT_EQ(v.m_nState, STATE_STOPPED);
    EXPECT_EQ(v.m_nTimerID, 0u);
    EXPECT_TRUE(rig.window.activeTimers.empty());
    // The stop's own "aborted" notice comes after the state has moved on: nothing changes.
    EXPECT_EQ(rig.deliver(), 1);
    EXPECT_EQ(rig.window.buttonStates(), "10111");
    EXPECT_EQ(v.m_nState, STATE_STOPPED);
}

TEST(ViewTransport, DisabledButtonsDoNotRun) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    EXPECT_FALSE(rig.click(ID_BUTTON_STOP));
    EXPECT_FALSE(rig.click(ID_BUTTON_TOSTART));
    EXPECT_EQ(v.m_nState, STATE_READY);
    CommandState state;
    ASSERT_TRUE(v.OnUpdateCommand(ID_BUTTON_STOP, state));
    EXPECT_FALSE(state.enabled);
}

TEST(ViewTransport, GoToStartWhilePlayingKeepsStopAndRecordAsTheyWere) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.click(ID_BUTTON_PLAY);
    rig.run(300);
    ASSERT_TRUE(rig.click(ID_BUTTON_TOSTART));
    EXPECT_EQ(rig.window.buttonStates(), "11010");
    EXPECT_EQ(v.m_nState, STATE_AT_START);
    EXPECT_EQ(rig.window.sliderPos(), 0);
    EXPECT_EQ(v.m_nTimerID, 0u);
    rig.deliver();  // the seek's "aborted" notice finds state 7: ignored
    EXPECT_EQ(v.m_nState, STATE_AT_START);
}

TEST(ViewTransport, GoToEndFromPlayingStoppedAndAtStartStopsAtTheEnd) {
    for (const char* before : {"playing", "stopped", "at start"}) {
        SCOPED_TRACE(before);
        ViewRig rig;
        CQuorbelView& v = rig.open(Mono8Second());
        rig.click(ID_BUTTON_PLAY);
        if (std::string(before) == "stopped") rig.click(ID_BUTTON_STOP);
        if (std::string(before) == "at start") rig.click(ID_BUTTON_TOSTART);
        ASSERT_TRUE(rig.click(ID_BUTTON_TOEND));
        EXPECT_EQ(rig.window.buttonStates(), "00101");
        EXPECT_EQ(v.m_nState, STATE_AT_END);
        // u = 22050 / 1000 = 22 whole units per ms: the end is 22000, not 22050.
        EXPECT_EQ(rig.window.sliderPos(), 22000);
        EXPECT_EQ(v.m_nPosition, 22000);
        rig.deliver();
        EXPECT_EQ(v.m_nState, STATE_AT_END);
    }
}

TEST(ViewTransport, GoToEndInStateReadyOrAtEndMovesOnlyTheSlider) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    // The menu route keeps commands whose button is disabled from running; OnToEnd itself is
    // what Go to end runs.
    v.OnToEnd();
    EXPECT_EQ(v.m_nState, STATE_READY);
    EXPECT_EQ(rig.window.buttonStates(), "10011");
    EXPECT_EQ(rig.window.sliderPos(), 22000);
    EXPECT_EQ(rig.frame.statusText(),
              "Total playing time: 1.00 s  / Current file position: 1.00 s ");

    rig.click(ID_BUTTON_PLAY);  // at the end: the play is over at once
    rig.deliver();
    EXPECT_EQ(v.m_nState, STATE_AT_START);
    v.OnToEnd();
    EXPECT_EQ(v.m_nState, STATE_AT_END);
    v.OnToEnd();
    EXPECT_EQ(v.m_nState, STATE_AT_END);
    EXPECT_EQ(rig.window.buttonStates(), "00101");
}

TEST(ViewTransport, PlayToTheEndRewindsAndEndsAtStart) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.click(ID_BUTTON_PLAY);
    rig.run(1200);
    EXPECT_EQ(rig.deliver(), 1);
    EXPECT_EQ(v.m_nState, STATE_AT_START);
    EXPECT_EQ(rig.window.buttonStates(), "10011");
    EXPECT_EQ(rig.window.sliderPos(), 0);
    EXPECT_EQ(v.m_nTimerID, 0u);
}

TEST(ViewTransport, MovingTheSliderWhilePlayingAbortsThePlayThere) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.click(ID_BUTTON_PLAY);
    rig.run(100);
    rig.window.userMovesSlider(v, 11000, SB_THUMBTRACK);
    EXPECT_EQ(v.m_nPosition, 11000);
    EXPECT_EQ(v.m_nTimerID, 0u);
    std::uint32_t ms = 0;
    rig.devices.position(v.m_wDeviceID, ms);
    EXPECT_EQ(ms, 500u);
    EXPECT_EQ(rig.frame.statusText(),
              "Total playing time: 1.00 s  / Current file position: 0.50 s ");
    EXPECT_EQ(rig.deliver(), 1);
    EXPECT_EQ(v.m_nState, STATE_STOPPED);
    EXPECT_EQ(rig.window.buttonStates(), "10111");
    EXPECT_EQ(rig.window.sliderPos(), 11000);
}

TEST(ViewTransport, EverySliderNotificationSeeksAndRepaintsTheStrip) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    for (int code : {SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT, SB_THUMBPOSITION,
                     SB_THUMBTRACK, SB_LEFT, SB_RIGHT, SB_ENDSCROLL}) {
        rig.window.invalidations.clear();
        const int pos = 2200 * (code + 1);
        rig.window.userMovesSlider(v, pos, code);
        std::uint32_t ms = 0;
        rig.devices.position(v.m_wDeviceID, ms);
        EXPECT_EQ(ms, static_cast<std::uint32_t>(pos / 22)) << code;
        EXPECT_EQ(v.m_nPosition, pos);
        ASSERT_FALSE(rig.window.invalidations.empty());
        EXPECT_EQ(rig.window.invalidations.back().rect, kSliderWaveRect);
    }
}

TEST(ViewTransport, TheSliderCountsSamplesWhateverTheirWidth) {
    // One second at 22050 Hz is 22050 slider units, 22 per ms, for every sample width.
    for (const std::uint16_t bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(::testing::Message() << bits << "-bit");
        ViewRig rig;
        WavContent wav;
        wav.bits = bits;
        wav.data.assign(22050u * (bits / 8), bits == 8 ? 128 : 0);
        CQuorbelView& v = rig.open(wav);
        ASSERT_EQ(v.m_dwLength, 1000u);
        ASSERT_TRUE(rig.click(ID_BUTTON_PLAY));
        rig.run(250);
        v.OnTimer(kPositionTimerId);
        std::uint32_t ms = 0;
        rig.devices.position(v.m_wDeviceID, ms);
        EXPECT_EQ(rig.window.sliderPos(), static_cast<int>(ms * 22));
        ASSERT_TRUE(rig.click(ID_BUTTON_TOEND));
        EXPECT_EQ(rig.window.sliderPos(), 22000);
        rig.window.userMovesSlider(v, 11000, SB_THUMBPOSITION);
        rig.devices.position(v.m_wDeviceID, ms);
        EXPECT_EQ(ms, 500u);
    }
}

TEST(ViewTransport, ANoticeFromADeviceClosedSinceIsIgnored) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.click(ID_BUTTON_PLAY);
    const std::uint32_t oldId = v.m_wDeviceID;
    // An edit hands the view its new sound: the old device is closed (its play aborted), a new
    // one opened.
    LoadedSound sound;
    ASSERT_FALSE(readSoundFile(rig.doc.m_strFileName, sound));
    ASSERT_TRUE(v.AdoptSound(rig.doc.m_strFileName, sound, false));
    EXPECT_NE(v.m_wDeviceID, oldId);
    EXPECT_EQ(rig.doc.m_wDeviceID, v.m_wDeviceID);
    EXPECT_EQ(v.m_nState, STATE_READY);
    // The new sound left the buttons of the play: Stop, then Play on the new device.
    ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
    ASSERT_TRUE(rig.click(ID_BUTTON_PLAY));
    rig.deliver();
    EXPECT_EQ(v.m_nState, STATE_PLAYING) << "the old device's abort must not stop the new play";
    EXPECT_EQ(rig.window.buttonStates(), "01110");
}

TEST(ViewTransport, PlayRefusedByTheDeviceShowsItsErrorAndChangesNothing) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    rig.backend.setOutputAvailable(false);
    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].caption, "Quorbel");
    EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::Error);
    EXPECT_FALSE(rig.window.boxes[0].text.empty());
    EXPECT_EQ(v.m_nState, STATE_READY);
    EXPECT_EQ(rig.window.buttonStates(), "10011");
    EXPECT_TRUE(rig.window.activeTimers.empty());
}

TEST(ViewTransport, RecordingIntoANewDocumentCreatesTheSliderAndANewWorkingFile) {
    ViewRig rig;
    TempDirScope tmp(rig.folder.path());
    CQuorbelView& v = rig.openNew();
    ASSERT_TRUE(rig.click(ID_BUTTON_RECORD));
    EXPECT_EQ(rig.window.buttonStates(), "01000");
    EXPECT_EQ(v.m_nState, STATE_RECORDING);
    EXPECT_EQ(rig.frame.statusText(), "Recording from audio source...");
    EXPECT_TRUE(rig.doc.IsModified());

    rig.run(500);
    ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
    EXPECT_EQ(rig.window.buttonStates(), "10011");
    EXPECT_EQ(v.m_nState, STATE_STOPPED);
    EXPECT_TRUE(rig.window.boxes.empty());
    ASSERT_TRUE(rig.window.hasSlider());
    // 500 ms of 44100 Hz 16-bit stereo: 88200 bytes, 44100 words.
    EXPECT_EQ(v.WaveDataLen(), 88200u);
    EXPECT_EQ(rig.window.sliderMax(), 44100);
    EXPECT_EQ(rig.window.sliderPage, 8820);
    EXPECT_EQ(v.m_dwLength, 500u);
    const std::filesystem::path working = v.m_strCurrentFile;
    EXPECT_EQ(working.parent_path(), rig.folder.path());
    EXPECT_EQ(working.filename().string().substr(0, 3), "new");
    EXPECT_EQ(v.m_strPreviousFile, v.m_strCurrentFile) << "a first take cannot be undone";
    EXPECT_EQ(rig.doc.m_strFileName, v.m_strCurrentFile);
    EXPECT_EQ(rig.doc.m_wDeviceID, v.m_wDeviceID);
    // The status line keeps the recording text until the next time display.
    EXPECT_EQ(rig.frame.statusText(), "Recording from audio source...");
    // The first recording made the file commands available.
    CommandState props;
    v.OnUpdateCommand(ID_FILE_PROPERTIES, props);
    EXPECT_TRUE(props.enabled);

    // A second recording only resets the slider's range.
    rig.click(ID_BUTTON_RECORD);
    rig.run(500);
    rig.click(ID_BUTTON_STOP);
    EXPECT_EQ(rig.window.sliderMax(), 88200);
}

TEST(ViewTransport, ARecordingThatCannotGetAWorkingFileStaysInTheDevice) {
    ViewRig rig;
    TempDirScope tmp(rig.folder.path() / "missing");
    CQuorbelView& v = rig.openNew();
    rig.click(ID_BUTTON_RECORD);
    rig.run(200);
    rig.click(ID_BUTTON_STOP);
    ASSERT_EQ(rig.window.boxes.size(), 1u);
    EXPECT_EQ(rig.window.boxes[0].caption, "Error");
    EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::Error);
    EXPECT_NE(rig.window.boxes[0].text.find("missing"), std::string::npos);
    // The device was not closed: the recorded sound is still there for File Save.
    std::uint32_t ms = 0;
    EXPECT_EQ(rig.devices.length(v.m_wDeviceID, ms), 0u);
    EXPECT_EQ(ms, 200u);
    EXPECT_EQ(v.m_nState, STATE_STOPPED);
    EXPECT_TRUE(rig.doc.IsModified());
}

TEST(ViewTransport, AnEmptyRecordingGivesAnEmptySoundWithDefinedPositions) {
    ViewRig rig;
    TempDirScope tmp(rig.folder.path());
    CQuorbelView& v = rig.openNew();
    rig.click(ID_BUTTON_RECORD);
    rig.click(ID_BUTTON_STOP);
    EXPECT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
    ASSERT_TRUE(rig.window.hasSlider());
    EXPECT_EQ(v.m_dwLength, 0u);
    EXPECT_EQ(rig.window.sliderMax(), 0);
    ASSERT_TRUE(rig.click(ID_BUTTON_TOEND));
    EXPECT_EQ(rig.window.sliderPos(), 0);
    EXPECT_EQ(rig.frame.statusText(),
              "Total playing time: 0.00 s  / Current file position: 0.00 s ");
}

// Records 100 ms of bytes 0x10 at 500 ms into the rising 8-bit test sound.
std::vector<std::uint8_t> RecordAtHalfSecond(int mode) {
    ViewRig rig;
    TempDirScope tmp(rig.folder.path());
    CQuorbelView& v = rig.open(Mono8Second());
    const std::string original = rig.doc.m_strFileName;
    if (mode == 1) rig.click(ID_RECORD_OVERWRITE);
    rig.window.userMovesSlider(v, 11000, SB_THUMBPOSITION);
    const std::vector<std::byte> fed(2205, std::byte{0x10});
    rig.backend.feedCapture(fed);
    EXPECT_TRUE(rig.click(ID_BUTTON_RECORD));
    rig.run(100);
    EXPECT_TRUE(rig.click(ID_BUTTON_STOP));
    EXPECT_TRUE(rig.doc.IsModified());
    EXPECT_EQ(rig.window.buttonStates(), "10011");
    EXPECT_NE(v.m_strCurrentFile, original);
    EXPECT_EQ(v.m_strPreviousFile, original) << "Undo goes back to the sound before the take";
    EXPECT_EQ(rig.doc.m_strFileName, v.m_strCurrentFile);
    // Stopping a recording in a file rewinds before it saves.
    EXPECT_EQ(rig.window.sliderPos(), 0);
    return BytesOf(v.m_waveData);
}

TEST(ViewTransport, InsertRecordingAddsTheSoundAtThePosition) {
    const std::vector<std::uint8_t> data = RecordAtHalfSecond(0);
    ASSERT_EQ(data.size(), 22050u + 2205u);
    // The seek went to 500 ms, frame 11025.
    EXPECT_EQ(data[11024], static_cast<std::uint8_t>(11024));
    for (std::size_t i = 11025; i < 11025 + 2205; ++i) ASSERT_EQ(data[i], 0x10) << i;
    EXPECT_EQ(data[11025 + 2205], static_cast<std::uint8_t>(11025));
}

TEST(ViewTransport, OverwriteRecordingReplacesTheSoundFromThePosition) {
    const std::vector<std::uint8_t> data = RecordAtHalfSecond(1);
    ASSERT_EQ(data.size(), 22050u);
    EXPECT_EQ(data[11024], static_cast<std::uint8_t>(11024));
    for (std::size_t i = 11025; i < 11025 + 2205; ++i) ASSERT_EQ(data[i], 0x10) << i;
    EXPECT_EQ(data[11025 + 2205], static_cast<std::uint8_t>(11025 + 2205));
}

TEST(ViewTransport, FewerSamplesThanMillisecondsConvertProportionally) {
    // 50 bytes at 100 Hz: 500 ms but only 50 slider units, so u = 0.
    ViewRig rig;
    WavContent wav;
    wav.rate = 100;
    wav.data.assign(50, 128);
    CQuorbelView& v = rig.open(wav);
    ASSERT_EQ(v.m_dwLength, 500u);
    rig.click(ID_BUTTON_TOEND);
    EXPECT_EQ(rig.window.sliderPos(), 50);
    rig.window.userMovesSlider(v, 25, SB_THUMBPOSITION);
    std::uint32_t ms = 0;
    rig.devices.position(v.m_wDeviceID, ms);
    EXPECT_EQ(ms, 250u);
    EXPECT_EQ(rig.frame.statusText(),
              "Total playing time: 0.50 s  / Current file position: 0.25 s ");
}

TEST(ViewPositionMath, StatusTextTruncatesAndPadsHundredths) {
    EXPECT_EQ(FormatStatusText(83456, 5030),
              "Total playing time: 83.45 s  / Current file position: 5.03 s ");
    EXPECT_EQ(FormatSeconds(999), "0.99");
    EXPECT_EQ(FormatSeconds(10), "0.01");
    EXPECT_EQ(FormatSeconds(0), "0.00");
    EXPECT_EQ(FormatSeconds(4294967295u), "4294967.29");
}

TEST(ViewPositionMath, ConversionsNeverDivideByZeroOrLeaveTheirRange) {
    EXPECT_EQ(UnitsPerMs(22050, 1000), 22u);
    EXPECT_EQ(SliderFromMs(1000, 22050, 1000), 22000u);
    EXPECT_EQ(MsFromSlider(22050, 22050, 1000), 1000u) << "22050 / 22 would pass the end";
    EXPECT_EQ(SliderFromMs(7, 0, 0), 0u);
    EXPECT_EQ(MsFromSlider(7, 0, 0), 0u);
    EXPECT_EQ(MsFromSlider(0, 0, 1000), 0u);
    EXPECT_EQ(SliderFromMs(1000, 0, 1000), 0u);
    EXPECT_EQ(SliderFromMs(4000000000u, 4000000000u, 4000000000u), 4000000000u);
}

}  // namespace
}  // namespace quorbel
