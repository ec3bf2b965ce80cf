// The view's picture through the real shell: a grab of the view widget shows the trace in
// the slider strip and in the vectorscope, in the skin's pen colour, and nowhere else.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSlider>

#include "app/qt_canvas.h"
#include "app/view_widget.h"
#include "framework/command_ids.h"
#include "player_waves.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"

namespace quorbel::test {
namespace {

const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kYellow = qRgb(255, 255, 0);
// Where trace pixels may be: the strip (one column per sample from x 58 to 322, the first
// point at x 57) and the vectorscope with its frame.
const QRect kStripArea(QPoint(57, 47), QPoint(322, 102));
const QRect kScopeArea(QPoint(8, 178), QPoint(378, 441));

struct TraceCount {
    int strip = 0;
    int scope = 0;
    int elsewhere = 0;
    QPoint firstElsewhere;
};

class DisplayTraceTest : public ShellTest {
  protected:
    // A loud 16-bit stereo sine whose 22020 samples are 60 per vectorscope column, so the
    // scope's 367 columns end at x 376.
    ViewWidget& openLoudSine() {
        const PcmSound sound = sineSound(2, 16, 22050, 367 * 30, 441, 0.9);
        const std::string path = writeWave(dir, "loud.wav", sound);
        EXPECT_TRUE(start({QString::fromStdString(path)}));
        return *documents().front()->viewWidget();
    }

    // Counts pixels of `colour` in the grabbed view, leaving out its child widgets (the
    // picture buttons and the slider draw their own pictures).
    static TraceCount count(ViewWidget& view, QRgb colour) {
        const QImage picture = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        std::vector<QRect> children;
        for (const QWidget* child : view.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible()) children.push_back(child->geometry());
        TraceCount c;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixel(x, y) != colour) continue;
                const QPoint p(x, y);
                bool onChild = false;
                for (const QRect& r : children) onChild = onChild || r.contains(p);
                if (onChild) continue;
                if (kStripArea.contains(p)) {
                    ++c.strip;
                } else if (kScopeArea.contains(p)) {
                    ++c.scope;
                } else if (c.elsewhere++ == 0) {
                    c.firstElsewhere = p;
                }
            }
        }
        return c;
    }
};

TEST_F(DisplayTraceTest, TraceIsGreenOnEmbossedAndStaysInsideStripAndScope) {
    ViewWidget& view = openLoudSine();
    const TraceCount green = count(view, kGreen);
    // The strip traces 265 columns, the scope two channels over 367 columns.
    EXPECT_GT(green.strip, 200);
    EXPECT_GT(green.scope, 2 * 300);
    EXPECT_EQ(green.elsewhere, 0) << "first at " << green.firstElsewhere.x() << ","
                                  << green.firstElsewhere.y();
    EXPECT_EQ(count(view, kYellow).strip + count(view, kYellow).scope, 0);
}

TEST_F(DisplayTraceTest, GreySkinDrawsYellow) {
    ViewWidget& view = openLoudSine();
    ASSERT_TRUE(app->dispatchCommand(ID_SKIN_GREY));
    QApplication::processEvents();
    const TraceCount yellow = count(view, kYellow);
    EXPECT_GT(yellow.strip, 200);
    EXPECT_GT(yellow.scope, 2 * 300);
    EXPECT_EQ(yellow.elsewhere, 0)
        << "first at " << yellow.firstElsewhere.x() << "," << yellow.firstElsewhere.y();
    const TraceCount green = count(view, kGreen);
    EXPECT_EQ(green.strip + green.scope + green.elsewhere, 0);
}

TEST_F(DisplayTraceTest, NoneModesRemoveTheirTraceOnly) {
    ViewWidget& view = openLoudSine();
    ASSERT_TRUE(app->dispatchCommand(ID_SCOPE_NONE));
    QApplication::processEvents();
    TraceCount green = count(view, kGreen);
    EXPECT_EQ(green.scope, 0) << "the scope still shows a trace";
    EXPECT_GT(green.strip, 200);
    ASSERT_TRUE(app->dispatchCommand(ID_SLIDER_NONE));
    QApplication::processEvents();
    green = count(view, kGreen);
    EXPECT_EQ(green.strip, 0) << "the strip still shows a trace";
    ASSERT_TRUE(app->dispatchCommand(ID_SCOPE_WAVE));
    QApplication::processEvents();
    EXPECT_GT(count(view, kGreen).scope, 2 * 300);
}

TEST_F(DisplayTraceTest, NoSkinHasTraceColouredPixelsOfItsOwn) {
    // The counts above rely on the pen colours appearing only where a trace is drawn.
    ViewWidget& view = openLoudSine();
    ASSERT_TRUE(app->dispatchCommand(ID_SCOPE_NONE));
    ASSERT_TRUE(app->dispatchCommand(ID_SLIDER_NONE));
    for (int skin : {ID_SKIN_NORMAL, ID_SKIN_EMBOSSED, ID_SKIN_GREY, ID_SKIN_NIGHTSHADE}) {
        ASSERT_TRUE(app->dispatchCommand(skin));
        QApplication::processEvents();
        for (QRgb colour : {kGreen, kYellow}) {
            const TraceCount c = count(view, colour);
            EXPECT_EQ(c.strip + c.scope + c.elsewhere, 0) << "skin " << skin;
        }
    }
}

TEST_F(DisplayTraceTest, StripFollowsThePosition) {
    ViewWidget& view = openLoudSine();
    ASSERT_TRUE(app->dispatchCommand(ID_SCOPE_NONE));
    const QImage atStart = view.grab().toImage().copy(kStripArea);
    // 49 samples on: another phase of the 441 Hz sine (50 samples per cycle at 22050 Hz).
    view.slider()->setSliderPosition(49);
    view.slider()->triggerAction(QAbstractSlider::SliderMove);
    QApplication::processEvents();
    EXPECT_EQ(view.view().m_nPosition, 49);
    const QImage moved = view.grab().toImage().copy(kStripArea);
    EXPECT_NE(atStart, moved) << "the strip did not redraw at the new position";
    // At the very end the strip runs out of samples and shows its baseline only.
    view.slider()->triggerAction(QAbstractSlider::SliderToMaximum);
    QApplication::processEvents();
    const TraceCount green = count(view, kGreen);
    EXPECT_GT(green.strip, 200);
    const QImage atEnd = view.grab().toImage();
    int offBaseline = 0;
    for (int x = 60; x <= 320; ++x)
        for (int y = 47; y <= 102; ++y)
            if (y != kStripBaseline && atEnd.pixel(x, y) == kGreen) ++offBaseline;
    EXPECT_EQ(offBaseline, 0);
}

// What the screen shows of the view, as the last paints left it (a grab paints afresh).
QImage onScreen(ViewWidget& view) {
    QWidget* window = view.window();
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    const QPoint at = view.mapTo(window, QPoint(0, 0));
    return screen.toImage()
        .copy(QRect(at * screen.devicePixelRatio(), view.size()))
        .convertToFormat(QImage::Format_RGB32);
}

TEST_F(DisplayTraceTest, PartialRepaintsLeaveTheSamePictureAsAFullOne) {
    ViewWidget& view = openLoudSine();
    QApplication::processEvents();
    // Strip-only repaints as the position timer causes them, then a skin change (whole view)
    // and more strip repaints.
    for (int position : {49, 3000, 12345}) {
        view.slider()->setSliderPosition(position);
        view.slider()->triggerAction(QAbstractSlider::SliderMove);
        QApplication::processEvents();
    }
    ASSERT_TRUE(app->dispatchCommand(ID_SKIN_GREY));
    QApplication::processEvents();
    view.slider()->setSliderPosition(777);
    view.slider()->triggerAction(QAbstractSlider::SliderMove);
    QApplication::processEvents();
    const QImage shown = onScreen(view);
    if (shown.isNull() || shown.size() != view.size())
        GTEST_SKIP() << "this platform cannot grab its windows";
    // The whole picture drawn afresh on a canvas of its own.
    QImage fresh(view.size(), QImage::Format_RGB32);
    {
        QtCanvas canvas(fresh);
        view.view().OnDraw(canvas);
    }
    std::vector<QRect> children;
    for (const QWidget* child : view.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible()) children.push_back(child->geometry());
    int differing = 0;
    for (int y = 0; y < fresh.height(); ++y) {
        for (int x = 0; x < fresh.width(); ++x) {
            bool onChild = false;
            for (const QRect& r : children) onChild = onChild || r.contains(x, y);
            if (!onChild && fresh.pixel(x, y) != shown.pixel(x, y)) ++differing;
        }
    }
    EXPECT_EQ(differing, 0) << "a partial repaint left stale pixels";
}

TEST(QtCanvasClipTest, LinesOutsideTheClipAreLeftOutAndCrossingOnesCut) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QtCanvas canvas(image, QRect(10, 10, 10, 10));
        canvas.selectPen({0, 255, 0}, 1);
        canvas.moveTo({0, 0});
        canvas.lineTo({5, 39});  // wholly outside
        canvas.moveTo({0, 15});
        canvas.lineTo({39, 15});  // crosses the clip
    }
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (image.pixel(x, y) == qRgb(0, 255, 0))
                ++(QRect(10, 10, 10, 10).contains(x, y) ? inside : outside);
    EXPECT_EQ(inside, 10);
    EXPECT_EQ(outside, 0);
}

}  // namespace
}  // namespace quorbel::test
