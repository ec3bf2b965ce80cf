// Recording through the real shell with the null audio backend (it records silence): into a
// new document, and in Insert and Over-write mode into an opened file, then File Save and
// what the saved file holds. After a save the view must go on playing the reopened sound.
#include <QFileInfo>
#include <QSlider>

#include "app/child_frame.h"
#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "player_waves.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"

namespace quorbel::test {
namespace {

class PlayerRecordTest : public ShellTest {
  protected:
    ViewWidget& view() const { return *documents().front()->viewWidget(); }
    CQuorbelDoc& document() const { return documents().front()->document(); }

    void click(int button) {
        QWidget* widget = view().buttonWidget(button);
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(widget->isEnabled()) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    void recordFor(int ms) {
        click(ID_BUTTON_RECORD);
        ASSERT_EQ(view().view().m_nState, STATE_RECORDING);
        EXPECT_EQ(frame().statusText(), "Recording from audio source...");
        QTest::qWait(ms);
        click(ID_BUTTON_STOP);
    }

    // Moves the slider as a user's drag would, to `fraction` of its range.
    void moveSliderTo(double fraction) {
        QSlider& slider = *view().slider();
        slider.setSliderPosition(static_cast<int>(slider.maximum() * fraction));
        slider.triggerAction(QAbstractSlider::SliderMove);
    }

    // Play runs on the view's device: it starts without a box and moves the slider.
    void expectPlayable() {
        const std::size_t boxesBefore = boxes.shown.size();
        click(ID_BUTTON_PLAY);
        EXPECT_EQ(boxes.shown.size(), boxesBefore) << "Play showed: " << boxes.shown.back().text;
        EXPECT_EQ(view().view().m_nState, STATE_PLAYING);
        EXPECT_TRUE(waitUntil([&] { return view().sliderPos() > 0; }, 2000));
        if (view().isButtonEnabled(ID_BUTTON_STOP)) click(ID_BUTTON_STOP);
    }

    // Opens one second of 16-bit stereo sine.
    void openSine() {
        original = sineSound(2, 16, 22050, 22050, 441, 0.5);
        path = writeWave(dir, "recorded.wav", original);
        ASSERT_TRUE(start({QString::fromStdString(path)}));
    }

    // Records about 300 ms at the middle in `mode`, saves, and reads the saved file.
    PcmSound recordAtMiddleAndSave(int mode) {
        EXPECT_TRUE(app->dispatchCommand(mode));
        moveSliderTo(0.5);
        recordFor(300);
        EXPECT_TRUE(document().IsModified());
        EXPECT_EQ(view().view().m_nState, STATE_STOPPED);
        EXPECT_TRUE(app->dispatchCommand(ID_FILE_SAVE));
        EXPECT_FALSE(document().IsModified());
        std::optional<PcmSound> saved = readWave(path);
        EXPECT_TRUE(saved.has_value()) << "the saved file is no PCM WAVE file";
        return saved.value_or(PcmSound{});
    }

    // First frame where `saved` differs from the original.
    std::size_t firstDifference(const PcmSound& saved) const {
        std::size_t f = 0;
        while (f < saved.frames() && f < original.frames() &&
               saved.samples[2 * f] == original.samples[2 * f] &&
               saved.samples[2 * f + 1] == original.samples[2 * f + 1])
            ++f;
        return f;
    }

    static bool silent(const PcmSound& s, std::size_t from, std::size_t to) {
        for (std::size_t i = 2 * from; i < 2 * to; ++i)
            if (s.samples[i] != 0) return false;
        return true;
    }

    PcmSound original;
    std::string path;
};

TEST_F(PlayerRecordTest, RecordingIntoANewDocumentMakesItPlayable) {
    ASSERT_TRUE(start());
    EXPECT_FALSE(view().hasSlider());
    recordFor(400);
    CQuorbelView& player = view().view();
    EXPECT_TRUE(view().hasSlider());
    EXPECT_EQ(player.m_nState, STATE_STOPPED);
    // The recording lives in a fresh working file now.
    const QString working = QFileInfo(QString::fromStdString(player.m_strCurrentFile)).fileName();
    EXPECT_TRUE(working.startsWith("new")) << working.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(player.m_strCurrentFile)));
    EXPECT_GE(player.m_dwLength, 300u);
    EXPECT_LE(player.m_dwLength, 2000u);
    EXPECT_TRUE(document().IsModified());
    EXPECT_TRUE(view().isButtonEnabled(ID_BUTTON_PLAY));
    EXPECT_TRUE(view().isButtonEnabled(ID_BUTTON_RECORD));
    EXPECT_FALSE(view().isButtonEnabled(ID_BUTTON_STOP));

    // It plays to its end: the end notice brings the view back to the start.
    click(ID_BUTTON_PLAY);
    EXPECT_EQ(player.m_nState, STATE_PLAYING);
    EXPECT_TRUE(waitUntil([&] { return view().isButtonEnabled(ID_BUTTON_PLAY); }, 4000));
    EXPECT_EQ(view().sliderPos(), 0);
}

TEST_F(PlayerRecordTest, InsertRecordingIsSavedAtThePosition) {
    openSine();
    const PcmSound saved = recordAtMiddleAndSave(ID_RECORD_INSERT);
    ASSERT_EQ(saved.channels, 2);
    ASSERT_EQ(saved.bits, 16);
    ASSERT_EQ(saved.rate, 22050);
    ASSERT_GT(saved.frames(), original.frames()) << "nothing was inserted";
    const std::size_t inserted = saved.frames() - original.frames();
    EXPECT_GT(inserted, 22050u / 10);
    EXPECT_LT(inserted, 22050u * 2);
    const std::size_t at = firstDifference(saved);
    EXPECT_NEAR(static_cast<double>(at), 11025, 22050 * 0.02) << "inserted away from the slider";
    EXPECT_TRUE(silent(saved, at, at + inserted - 1));
    // Everything after the insertion is the original's rest, shifted.
    const std::vector<int> savedTail(saved.samples.begin() + 2 * (at + inserted),
                                     saved.samples.end());
    const std::vector<int> originalTail(original.samples.begin() + 2 * at, original.samples.end());
    EXPECT_EQ(savedTail, originalTail);
}

TEST_F(PlayerRecordTest, OverwriteRecordingIsSavedAtThePosition) {
    openSine();
    const PcmSound saved = recordAtMiddleAndSave(ID_RECORD_OVERWRITE);
    ASSERT_EQ(saved.frames(), original.frames()) << "an overwrite inside the sound grew it";
    const std::size_t at = firstDifference(saved);
    EXPECT_NEAR(static_cast<double>(at), 11025, 22050 * 0.02);
    std::size_t end = at;
    while (end < saved.frames() && saved.samples[2 * end] == 0 && saved.samples[2 * end + 1] == 0)
        ++end;
    EXPECT_GT(end - at, 22050u / 10) << "too little was overwritten";
    EXPECT_LT(end, saved.frames()) << "the overwrite ran to the end";
    const std::vector<int> savedTail(saved.samples.begin() + 2 * (end + 1), saved.samples.end());
    const std::vector<int> originalTail(original.samples.begin() + 2 * (end + 1),
                                        original.samples.end());
    EXPECT_EQ(savedTail, originalTail);
}

TEST_F(PlayerRecordTest, ViewKeepsPlayingTheSavedSound) {
    openSine();
    recordAtMiddleAndSave(ID_RECORD_INSERT);
    // The save reopened the document's device: the view must use that one.
    EXPECT_NE(document().m_wDeviceID, 0u);
    EXPECT_EQ(view().view().m_wDeviceID, document().m_wDeviceID);
    expectPlayable();
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PlayerRecordTest, SaveDuringPlayGoesOnPlayingFromTheSamePlace) {
    openSine();
    click(ID_BUTTON_PLAY);
    ASSERT_TRUE(waitUntil([&] { return view().sliderPos() > 0; }));
    const int before = view().sliderPos();
    ASSERT_TRUE(app->dispatchCommand(ID_FILE_SAVE));
    EXPECT_EQ(view().view().m_wDeviceID, document().m_wDeviceID);
    // The save leaves the state, the buttons and the timer as they were...
    EXPECT_EQ(view().view().m_nState, STATE_PLAYING);
    EXPECT_TRUE(view().isButtonEnabled(ID_BUTTON_STOP));
    EXPECT_FALSE(view().isButtonEnabled(ID_BUTTON_PLAY));
    // ...and the reopened sound plays on from where it was, not from the start.
    EXPECT_TRUE(waitUntil([&] { return view().sliderPos() > before; }, 1000));
    EXPECT_GE(view().view().m_nPosition, before);
    click(ID_BUTTON_STOP);
    EXPECT_TRUE(boxes.shown.empty());
    expectPlayable();
}

}  // namespace
}  // namespace quorbel::test
