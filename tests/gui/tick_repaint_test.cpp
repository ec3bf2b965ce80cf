// What a position-timer tick repaints: the slider strip and the status text, and nothing
// else that did not change (not the vectorscope, not the slider while its thumb stands
// still, not the lock-key panes); and what the skipped repaints leave on screen is what a
// fresh paint would show.
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <map>

#include "app/view_widget.h"
#include "framework/command_ids.h"
#include "player_waves.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"

namespace quorbel::test {
namespace {

// Records the region of every paint event of the widgets it watches.
class PaintLog : public QObject {
  public:
    void watch(QWidget* widget) { widget->installEventFilter(this); }
    const std::vector<QRegion>& of(const QObject* widget) { return paints_[widget]; }
    void clear() { paints_.clear(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            paints_[watched].push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }

  private:
    std::map<const QObject*, std::vector<QRegion>> paints_;
};

class TickRepaintTest : public ShellTest {
  protected:
    // Ten seconds of stereo sine: 441000 slider units over a slider some 260 pixels wide,
    // so a tick's step of 441 units leaves the thumb where it is.
    ViewWidget& open() {
        const PcmSound sound = sineSound(2, 16, 22050, 22050 * 10, 441, 0.8);
        const std::string path = writeWave(dir, "tick.wav", sound);
        EXPECT_TRUE(start({QString::fromStdString(path)}));
        ViewWidget& view = *documents().front()->viewWidget();
        QApplication::processEvents();
        return view;
    }

    void watchAll(ViewWidget& view) {
        log.watch(&view);
        log.watch(view.slider());
        log.watch(frame().messagePane());
        for (int i = 0; i < 3; ++i) log.watch(frame().indicator(i));
    }

    PaintLog log;
};

// What the screen shows of `widget`, as the last paints left it.
QImage onScreen(QWidget& widget) {
    QWidget* window = widget.window();
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    return screen.toImage()
        .copy(QRect(at * screen.devicePixelRatio(), widget.size()))
        .convertToFormat(QImage::Format_RGB32);
}

TEST_F(TickRepaintTest, ATickRepaintsTheStripAndTheStatusTextOnly) {
    ViewWidget& view = open();
    watchAll(view);
    // The time display as a tick leaves it, then one a tick earlier: only a digit differs.
    view.view().OnTimer(kPositionTimerId);
    QString earlier = frame().messagePane()->text();
    const qsizetype last = earlier.lastIndexOf(QLatin1Char('0'));
    ASSERT_GT(last, 0) << earlier.toStdString();
    earlier[last] = QLatin1Char('1');
    frame().setStatusText(earlier.toStdString());
    QApplication::processEvents();
    log.clear();

    view.view().OnTimer(kPositionTimerId);
    QApplication::processEvents();

    ASSERT_EQ(log.of(&view).size(), 1u);
    const Rect& strip = kSliderWaveRect;
    EXPECT_EQ(log.of(&view).front(), QRegion(strip.left, strip.top, strip.width(), strip.height()));
    EXPECT_EQ(log.of(frame().messagePane()).size(), 1u) << "the time display was not redrawn";
    EXPECT_TRUE(log.of(view.slider()).empty()) << "the thumb did not move";
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(log.of(frame().indicator(i)).empty()) << i;
}

TEST_F(TickRepaintTest, SliderRepaintsWhenItsThumbMovesAndShowsItWhereItIs) {
    ViewWidget& view = open();
    QSlider& slider = *view.slider();
    watchAll(view);
    // Moves of a few hundred units, as ticks make on a long sound: the thumb stays put.
    for (int position = 100; position <= 500; position += 100) {
        view.setSliderPos(position, true);
        QApplication::processEvents();
    }
    EXPECT_TRUE(log.of(&slider).empty());
    // Far on, the thumb has moved: the slider shows it there.
    view.setSliderPos(slider.maximum() / 2, true);
    QApplication::processEvents();
    EXPECT_FALSE(log.of(&slider).empty());
    for (int step = 1; step <= 40; ++step) {
        view.setSliderPos(slider.maximum() / 2 + 441 * step, true);
        QApplication::processEvents();
    }
    // What the screen shows of the slider is what a paint of all of it shows.
    const QImage shown = onScreen(slider);
    if (shown.isNull() || shown.size() != slider.size())
        GTEST_SKIP() << "this platform cannot grab its windows";
    slider.repaint();
    EXPECT_EQ(shown, onScreen(slider)) << "the slider shows its thumb at an old place";
}

}  // namespace
}  // namespace quorbel::test
