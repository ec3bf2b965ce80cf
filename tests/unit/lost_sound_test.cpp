// Sound lost in dropouts is never lost silently: after Stop, at the end of a play or when the
// slider ends it, the status line says how much; a recording that lost sound also shows a
// warning box.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "fakes/piece_bytes.h"
#include "fakes/temp_dir_scope.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "view/lost_sound_text.h"

namespace quorbel {
namespace {

using namespace quorbel::testing;

enum class Ending { PlayEnds, PlayStopped, PlayMovedBySlider, RecordingStopped, NewSoundStopped };

struct Case {
    const char* name;
    Ending ending;
    std::uint64_t dropouts;
    std::uint64_t frames;
    std::string status;  // the status line at the end
    std::string box;     // the warning box, "" for none
};

void run(const Case& c, ViewRig& rig) {
    const bool recording =
        c.ending == Ending::RecordingStopped || c.ending == Ending::NewSoundStopped;
    CQuorbelView& v = c.ending == Ending::NewSoundStopped ? rig.openNew() : rig.open(Mono8Second());
    ASSERT_TRUE(rig.click(recording ? ID_BUTTON_RECORD : ID_BUTTON_PLAY));
    rig.run(300);
    if (recording) {
        rig.backend.simulateCaptureLoss(c.dropouts, c.frames);
    } else {
        rig.backend.simulatePlaybackLoss(c.dropouts, c.frames);
    }
    switch (c.ending) {
        case Ending::PlayEnds:
            rig.run(1000);
            break;
        case Ending::PlayMovedBySlider:
            rig.window.userMovesSlider(v, 100, SB_THUMBPOSITION);
            break;
        default:
            ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
            break;
    }
    rig.deliver();
}

TEST(LostSound, IsReportedWhenAPlayOrRecordingEnds) {
    const std::string recordingBox =
        " of sound in 3 dropouts: the computer did not keep up with the sound input. The sound "
        "recorded around the gaps is kept.";
    const Case cases[] = {
        {"play to the end", Ending::PlayEnds, 2, 441, "Playback lost 20 ms of sound (2 dropouts).",
         ""},
        {"play stopped", Ending::PlayStopped, 1, 1, "Playback lost 1 ms of sound (1 dropout).", ""},
        {"play ended by the slider", Ending::PlayMovedBySlider, 1, 2205,
         "Playback lost 100 ms of sound (1 dropout).", ""},
        {"recording into a file", Ending::RecordingStopped, 3, 11025,
         "Recording lost 500 ms of sound (3 dropouts).",
         "The recording lost 500 ms" + recordingBox},
        // A new sound records at 44100 Hz.
        {"recording into a new sound", Ending::NewSoundStopped, 3, 66150,
         "Recording lost 1.50 s of sound (3 dropouts).",
         "The recording lost 1.50 s" + recordingBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeTempDir work;
        TempDirScope tmp(work.path());
        ViewRig rig;
        run(c, rig);
        EXPECT_EQ(rig.frame.statusText(), c.status);
        if (c.box.empty()) {
            EXPECT_TRUE(rig.window.boxes.empty()) << rig.window.boxes[0].text;
        } else {
            ASSERT_EQ(rig.window.boxes.size(), 1u);
            EXPECT_EQ(rig.window.boxes[0].text, c.box);
            EXPECT_EQ(rig.window.boxes[0].caption, "Quorbel");
            EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::Warning);
        }
        // Reported once: a later Stop says nothing more.
        rig.frame.texts.clear();
        rig.click(ID_BUTTON_STOP);
        EXPECT_TRUE(rig.frame.texts.empty() ||
                    rig.frame.statusText().find("lost") == std::string::npos);
    }
}

TEST(LostSound, ARecoveryCopyThatCouldNotBeWrittenIsToldWithWhy) {
    const std::string why = "Cannot write the file /r/take.wav: No space left on device";
    const std::string copy = "The recovery copy of the recording could not be written.";
    const std::string kept = copy + " " + why + ". The recording itself is kept.";
    LostSound alone{true, 0, 0, 44100};
    alone.spoolError = why;
    EXPECT_TRUE(alone);
    EXPECT_EQ(LostSoundStatusText(alone), copy);
    EXPECT_EQ(LostRecordingBoxText(alone), kept);

    LostSound withGaps{true, 2, 882, 44100};
    withGaps.spoolError = why;
    EXPECT_EQ(LostSoundStatusText(withGaps), "Recording lost 20 ms of sound (2 dropouts). " + copy);
    EXPECT_EQ(LostRecordingBoxText(withGaps),
              "The recording lost 20 ms of sound in 2 dropouts: the computer did not keep up "
              "with the sound input. The sound recorded around the gaps is kept. " +
                  kept);
}

TEST(LostSound, NothingIsSaidWhenNothingWasLost) {
    ViewRig rig;
    rig.open(Mono8Second());
    rig.click(ID_BUTTON_PLAY);
    rig.run(1300);
    rig.deliver();
    EXPECT_EQ(rig.frame.statusText().find("lost"), std::string::npos);
    EXPECT_TRUE(rig.window.boxes.empty());
}

// A take no working file can hold (the folder is full) is still the sound the window shows,
// selects, cuts and saves.
TEST(LostSound, ATakeThatCouldNotBeWrittenIsShownEditedAndSavedWhole) {
    FakeTempDir work;
    TempDirScope tmp{work.path()};
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    ASSERT_TRUE(rig.click(ID_BUTTON_TOEND));
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit full = saved;
    full.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    ASSERT_TRUE(rig.click(ID_BUTTON_RECORD));
    rig.run(2000);
    ASSERT_TRUE(rig.click(ID_BUTTON_STOP));
    ASSERT_FALSE(rig.window.boxes.empty());
    EXPECT_NE(rig.window.boxes.back().text.find("File too large"), std::string::npos);

    EXPECT_EQ(v.m_dwLength, 3000u);
    EXPECT_EQ(v.WaveDataLen(), 3u * 22050u);
    rig.window.rangeAnswer = {2500, 2800};
    ASSERT_TRUE(rig.click(ID_EDIT_SELECT_RANGE));
    ASSERT_TRUE(rig.click(ID_EDIT_CUT));
    EXPECT_EQ(v.m_dwLength, 2700u);
    EXPECT_NE(rig.frame.statusText().find("a crash would lose it"), std::string::npos);
    const std::vector<std::uint8_t> shown = BytesOf(v.m_waveData);

    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    const std::string file = rig.folder.file("saved.wav");
    ASSERT_TRUE(rig.doc.OnSaveDocument(file));
    EXPECT_EQ(SavedData(ReadBytes(file)), shown);
}

}  // namespace
}  // namespace quorbel
