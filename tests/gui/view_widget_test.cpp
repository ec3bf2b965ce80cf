#include "app/view_widget.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QSlider>

#include "framework/command_ids.h"
#include "shell_fixture.h"

namespace quorbel::test {
namespace {

class ViewWidgetTest : public ShellTest {
  protected:
    ViewWidget& openFile(int frames) {
        const std::string path = writeTestWave(dir, "host.wav", frames);
        EXPECT_TRUE(start({QString::fromStdString(path)}));
        return *documents().front()->viewWidget();
    }

    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > timeoutMs) return false;
            QTest::qWait(10);
        }
        return true;
    }
};

TEST_F(ViewWidgetTest, PictureButtonsFollowTheViewsLayoutAndEnabling) {
    ViewWidget& view = openFile(22050);
    const int ids[] = {ID_BUTTON_TOSTART, ID_BUTTON_TOEND, ID_BUTTON_PLAY, ID_BUTTON_STOP,
                       ID_BUTTON_RECORD};
    for (int i = 0; i < 5; ++i) {
        QWidget* button = view.buttonWidget(ids[i]);
        ASSERT_NE(button, nullptr) << ids[i];
        EXPECT_EQ(button->geometry(), QRect(22 + 70 * i, 146, 58, 23)) << ids[i];
    }
    EXPECT_TRUE(view.isButtonEnabled(ID_BUTTON_PLAY));
    EXPECT_TRUE(view.isButtonEnabled(ID_BUTTON_TOEND));
    EXPECT_TRUE(view.isButtonEnabled(ID_BUTTON_RECORD));
    EXPECT_FALSE(view.isButtonEnabled(ID_BUTTON_STOP));
    EXPECT_FALSE(view.isButtonEnabled(ID_BUTTON_TOSTART));
    ASSERT_NE(view.slider(), nullptr);
    EXPECT_EQ(view.slider()->geometry(), QRect(57, 110, 265, 25));
    EXPECT_EQ(view.slider()->tickPosition(), QSlider::NoTicks);
}

TEST_F(ViewWidgetTest, NewDocumentHasOnlyRecordAndNoSlider) {
    ASSERT_TRUE(start());
    ViewWidget& view = *documents().front()->viewWidget();
    EXPECT_TRUE(view.isButtonEnabled(ID_BUTTON_RECORD));
    for (int id : {ID_BUTTON_PLAY, ID_BUTTON_STOP, ID_BUTTON_TOSTART, ID_BUTTON_TOEND}) {
        EXPECT_FALSE(view.isButtonEnabled(id)) << id;
    }
    EXPECT_FALSE(view.hasSlider());
}

TEST_F(ViewWidgetTest, PlayButtonPlaysToTheEndThroughTimerAndNotice) {
    // 0.4 s of sound at 22050 Hz.
    ViewWidget& view = openFile(8820);
    QTest::mouseClick(view.buttonWidget(ID_BUTTON_PLAY), Qt::LeftButton);
    EXPECT_TRUE(view.isButtonEnabled(ID_BUTTON_STOP));
    EXPECT_FALSE(view.isButtonEnabled(ID_BUTTON_PLAY));
    // The position timer moves the slider while the sound plays.
    EXPECT_TRUE(waitUntil([&] { return view.sliderPos() > 0; }));
    // The device's end-of-play notice comes back through the posted message: the view
    // returns to the start with Play enabled again.
    EXPECT_TRUE(waitUntil([&] { return view.isButtonEnabled(ID_BUTTON_PLAY); }));
    EXPECT_FALSE(view.isButtonEnabled(ID_BUTTON_STOP));
    EXPECT_EQ(view.sliderPos(), 0);
}

TEST_F(ViewWidgetTest, OnlyUserSliderMovesReachTheView) {
    ViewWidget& view = openFile(22050);
    frame().setStatusText("marker");
    view.setSliderPos(view.sliderMax() / 2, true);
    EXPECT_EQ(view.sliderPos(), view.sliderMax() / 2);
    EXPECT_EQ(frame().statusText(), "marker");
    view.slider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_NE(frame().statusText(), "marker");
    EXPECT_EQ(view.sliderPos(), view.sliderMax());
}

TEST_F(ViewWidgetTest, RightClickShowsTheContextMenuOfThatPlace) {
    ViewWidget& view = openFile(22050);
    std::vector<std::string> labels;
    bool waveChecked = false;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr) return;
        labels = actionLabels(popup);
        if (QAction* waveForm = findAction(popup, "Wave Form"); waveForm && waveForm->menu()) {
            emit waveForm->menu()->aboutToShow();
            if (QAction* wave = findAction(waveForm->menu(), "Wave"))
                waveChecked = wave->isChecked();
        }
        popup->close();
    });
    // Inside the vectorscope.
    QTest::mouseClick(&view, Qt::RightButton, Qt::NoModifier, QPoint(200, 300));
    EXPECT_EQ(labels, (std::vector<std::string>{"Wave Form", "Effects", "Edit"}));
    EXPECT_TRUE(waveChecked);
}

TEST_F(ViewWidgetTest, ChosenContextCommandRunsAfterThePopupCloses) {
    ViewWidget& view = openFile(22050);
    bool ranWhileOpen = true;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr) return;
        QAction* skins = findAction(popup, "Skins");
        QAction* night = skins && skins->menu() ? findAction(skins->menu(), "NightShade") : nullptr;
        if (night != nullptr) {
            night->trigger();
            ranWhileOpen = app->queryCommand(ID_SKIN_NIGHTSHADE).checked.value_or(false);
        }
        popup->close();
    });
    // Outside the strip and the vectorscope: the skins menu.
    QTest::mouseClick(&view, Qt::RightButton, Qt::NoModifier, QPoint(5, 470));
    EXPECT_FALSE(ranWhileOpen);
    QApplication::processEvents();
    EXPECT_EQ(app->queryCommand(ID_SKIN_NIGHTSHADE).checked, std::optional<bool>(true));
}

TEST_F(ViewWidgetTest, MenuCommandsReachTheActiveView) {
    openFile(22050);
    EXPECT_EQ(app->queryCommand(ID_SKIN_EMBOSSED).checked, std::optional<bool>(true));
    ASSERT_TRUE(app->dispatchCommand(ID_SKIN_NIGHTSHADE));
    EXPECT_EQ(app->queryCommand(ID_SKIN_NIGHTSHADE).checked, std::optional<bool>(true));
    EXPECT_EQ(app->queryCommand(ID_SKIN_EMBOSSED).checked, std::optional<bool>(false));
}

}  // namespace
}  // namespace quorbel::test
