// The editor view as a player, through the real shell: the picture buttons, the position
// timer moving the slider and the status line, and the slider dragged with the mouse.
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWindow>

#include "app/view_widget.h"
#include "audio/quorbel_doc.h"
#include "framework/command_ids.h"
#include "player_waves.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"

namespace quorbel::test {
namespace {

// The "Current file position" of a status line in ms, or -1 when the line has none.
int statusPositionMs(const std::string& status) {
    static const QRegularExpression pattern("Current file position: (\\d+)\\.(\\d\\d) s $");
    const QRegularExpressionMatch m = pattern.match(QString::fromStdString(status));
    if (!m.hasMatch()) return -1;
    return m.captured(1).toInt() * 1000 + m.captured(2).toInt() * 10;
}

class PlayerTransportTest : public ShellTest {
  protected:
    void TearDown() override {
        // Qt Test remembers pressed buttons across tests: never leave one down.
        if (pressed_) QTest::mouseRelease(frame().windowHandle(), Qt::LeftButton);
        ShellTest::TearDown();
    }

    // Opens `seconds` of 16-bit stereo sine at 22050 Hz.
    ViewWidget& openSound(double seconds) {
        const PcmSound sound =
            sineSound(2, 16, 22050, static_cast<std::size_t>(seconds * 22050), 441, 0.5);
        const std::string path = writeWave(dir, "player.wav", sound);
        EXPECT_TRUE(start({QString::fromStdString(path)}));
        return *documents().front()->viewWidget();
    }

    void click(ViewWidget& view, int button) {
        QWidget* widget = view.buttonWidget(button);
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(widget->isEnabled()) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    // The buttons Play, Stop, To start, To end, Record, as 1 (enabled) or 0.
    static std::vector<int> buttons(const ViewWidget& view) {
        std::vector<int> on;
        for (int id : {ID_BUTTON_PLAY, ID_BUTTON_STOP, ID_BUTTON_TOSTART, ID_BUTTON_TOEND,
                       ID_BUTTON_RECORD}) {
            on.push_back(view.isButtonEnabled(id) ? 1 : 0);
        }
        return on;
    }

    // The slider's thumb centre in the main window's coordinates.
    QPoint thumbCentre(QSlider& slider) {
        QStyleOptionSlider option;
        option.initFrom(&slider);
        option.subControls = QStyle::SC_All;
        option.orientation = slider.orientation();
        option.minimum = slider.minimum();
        option.maximum = slider.maximum();
        option.sliderPosition = slider.sliderPosition();
        option.sliderValue = slider.value();
        option.singleStep = slider.singleStep();
        option.pageStep = slider.pageStep();
        option.tickPosition = slider.tickPosition();
        const QRect thumb = slider.style()->subControlRect(QStyle::CC_Slider, &option,
                                                           QStyle::SC_SliderHandle, &slider);
        return slider.mapTo(&frame(), thumb.center());
    }

    // Presses the thumb and moves it `dx` pixels; the caller releases it with dropThumb.
    QPoint grabThumbAndMove(QSlider& slider, int dx) {
        QWindow* window = frame().windowHandle();
        const QPoint from = thumbCentre(slider);
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
        pressed_ = true;
        QPoint at = from;
        for (int step = 1; step <= 4; ++step) {
            at = from + QPoint(dx * step / 4, 0);
            QTest::mouseMove(window, at);
        }
        return at;
    }
    void dropThumb(QPoint at) {
        QTest::mouseRelease(frame().windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
        pressed_ = false;
    }

    bool pressed_ = false;
};

TEST_F(PlayerTransportTest, PlayMovesTheSliderAndTheStatusLineUntilStop) {
    ViewWidget& view = openSound(3.0);
    CQuorbelView& player = view.view();
    frame().setStatusText("before");
    click(view, ID_BUTTON_PLAY);
    EXPECT_EQ(player.m_nState, STATE_PLAYING);
    EXPECT_EQ(buttons(view), (std::vector<int>{0, 1, 1, 1, 0}));

    QTest::qWait(400);
    const int sliderAfterWait = view.sliderPos();
    const int msAfterWait = statusPositionMs(frame().statusText());
    EXPECT_GT(sliderAfterWait, 0);
    EXPECT_EQ(player.m_nPosition, sliderAfterWait) << "the strip does not follow the slider";
    // The timer rewrote the status line with the device's position: a few hundred ms in.
    EXPECT_EQ(frame().statusText().rfind("Total playing time: 3.00 s  / ", 0), 0u)
        << frame().statusText();
    EXPECT_GE(msAfterWait, 200);
    EXPECT_LE(msAfterWait, 2000);
    QTest::qWait(150);
    EXPECT_GT(view.sliderPos(), sliderAfterWait) << "the slider stopped moving during play";

    click(view, ID_BUTTON_STOP);
    EXPECT_EQ(player.m_nState, STATE_STOPPED);
    EXPECT_EQ(buttons(view), (std::vector<int>{1, 0, 1, 1, 1}));
    const int stoppedAt = view.sliderPos();
    const std::string stoppedStatus = frame().statusText();
    QTest::qWait(200);
    EXPECT_EQ(view.sliderPos(), stoppedAt) << "the slider moved after Stop";
    EXPECT_EQ(frame().statusText(), stoppedStatus);

    // Play again continues from where it stopped, not from the start.
    click(view, ID_BUTTON_PLAY);
    QTest::qWait(100);
    EXPECT_GE(view.sliderPos(), stoppedAt);
    click(view, ID_BUTTON_STOP);
}

TEST_F(PlayerTransportTest, ToEndAndToStartMoveTheSliderAndTheButtons) {
    ViewWidget& view = openSound(1.0);
    click(view, ID_BUTTON_PLAY);
    click(view, ID_BUTTON_STOP);
    click(view, ID_BUTTON_TOEND);
    // The slider counts whole sample units per ms: the end is the last whole ms.
    EXPECT_GT(view.sliderPos(), view.sliderMax() * 99 / 100);
    EXPECT_EQ(view.view().m_nPosition, view.sliderPos());
    EXPECT_EQ(statusPositionMs(frame().statusText()), 1000);
    EXPECT_EQ(view.view().m_nState, STATE_AT_END);
    EXPECT_EQ(buttons(view), (std::vector<int>{0, 0, 1, 0, 1}));
    click(view, ID_BUTTON_TOSTART);
    EXPECT_EQ(view.sliderPos(), 0);
    EXPECT_EQ(statusPositionMs(frame().statusText()), 0);
    EXPECT_EQ(buttons(view), (std::vector<int>{1, 0, 0, 1, 1}));
}

TEST_F(PlayerTransportTest, DraggingTheThumbMovesTheStripAndTheDevice) {
    ViewWidget& view = openSound(2.0);
    QSlider& slider = *view.slider();
    CQuorbelView& player = view.view();
    const QPoint at = grabThumbAndMove(slider, 120);
    ASSERT_TRUE(slider.isSliderDown()) << "the press did not reach the slider's thumb";
    const int dragged = slider.sliderPosition();
    EXPECT_GT(dragged, slider.maximum() / 4);
    EXPECT_LT(dragged, slider.maximum());
    // While the thumb is held the strip and the status line already follow it.
    EXPECT_EQ(player.m_nPosition, dragged);
    const int expectedMs = static_cast<int>(std::int64_t{dragged} * 2000 / slider.maximum());
    EXPECT_NEAR(statusPositionMs(frame().statusText()), expectedMs, 20);
    dropThumb(at);
    EXPECT_FALSE(slider.isSliderDown());
    EXPECT_EQ(slider.value(), dragged);
    EXPECT_EQ(player.m_nPosition, dragged);

    // Play starts at the dropped place: the first timer tick is not back near 0.
    click(view, ID_BUTTON_PLAY);
    ASSERT_TRUE(waitUntil([&] { return view.sliderPos() != dragged; }, 1000));
    EXPECT_GT(view.sliderPos(), dragged);
    click(view, ID_BUTTON_STOP);
}

TEST_F(PlayerTransportTest, DraggingWhilePlayingAbortsThePlay) {
    ViewWidget& view = openSound(3.0);
    QSlider& slider = *view.slider();
    CQuorbelView& player = view.view();
    click(view, ID_BUTTON_PLAY);
    ASSERT_TRUE(waitUntil([&] { return view.sliderPos() > 0; }));
    const QPoint at = grabThumbAndMove(slider, 150);
    ASSERT_TRUE(slider.isSliderDown());
    dropThumb(at);
    const int dropped = slider.value();
    // The seek aborted the play; its notice puts every button but Stop on.
    ASSERT_TRUE(waitUntil([&] { return player.m_nState == STATE_STOPPED; }));
    EXPECT_EQ(buttons(view), (std::vector<int>{1, 0, 1, 1, 1}));
    QTest::qWait(200);
    EXPECT_EQ(slider.value(), dropped) << "the timer still moves the slider after the drag";
    EXPECT_EQ(player.m_nPosition, dropped);
    const int expectedMs = static_cast<int>(std::int64_t{dropped} * 3000 / slider.maximum());
    EXPECT_NEAR(statusPositionMs(frame().statusText()), expectedMs, 20);
}

}  // namespace
}  // namespace quorbel::test

namespace quorbel::test {
namespace {

TEST_F(PlayerTransportTest, StatusLineShowsTheWholeTimeDisplay) {
    openSound(1.0);
    // The longest line a sound of several minutes gives.
    const std::string longest = "Total playing time: 599.99 s  / Current file position: 599.99 s ";
    frame().setStatusText(longest);
    QApplication::processEvents();
    const QLabel* pane = nullptr;
    for (const QLabel* label : frame().statusBar()->findChildren<QLabel*>())
        if (label->text().toStdString() == longest) pane = label;
    ASSERT_NE(pane, nullptr);
    EXPECT_LE(pane->fontMetrics().horizontalAdvance(pane->text()), pane->contentsRect().width())
        << "the time display is cut off";
    EXPECT_GE(pane->font().pointSizeF(), 6.0) << "too small to read";
    // A short text goes back to the bar's own font.
    frame().setStatusText("Ready");
    EXPECT_EQ(pane->font(), frame().statusBar()->font());
}

}  // namespace
}  // namespace quorbel::test
