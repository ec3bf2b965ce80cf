// Grabs the view while it plays, in every skin for a mono and a stereo sound and in the
// clustered and magnified modes. The pictures go to QUORBEL_SCREENSHOT_DIR when it is set,
// for a person to look at; the test itself checks that each one shows a moving trace.
#include <QDir>
#include <QImage>
#include <cstdlib>

#include "app/view_widget.h"
#include "framework/command_ids.h"
#include "player_waves.h"
#include "shell_fixture.h"
#include "view/quorbel_view.h"
#include "wavefile/peak_worker.h"

namespace quorbel::test {
namespace {

void saveShot(const QImage& picture, const QString& name) {
    const char* folder = std::getenv("QUORBEL_SCREENSHOT_DIR");
    if (folder == nullptr) return;
    QDir().mkpath(folder);
    picture.save(QDir(folder).filePath(name));
}

int stripTracePixels(const QImage& picture, QRgb pen) {
    int n = 0;
    for (int y = 47; y < 102; ++y)
        for (int x = 58; x <= 322; ++x)
            if (picture.pixel(x, y) == pen) ++n;
    return n;
}

class DisplayScreenshotTest : public ShellTest, public ::testing::WithParamInterface<int> {
  protected:
    ViewWidget& playSine(int channels) {
        const PcmSound sound = sineSound(channels, 16, 22050, 22050 * 5, 437, 0.8);
        const std::string path = writeWave(dir, "shot.wav", sound);
        EXPECT_TRUE(start({QString::fromStdString(path)}));
        ViewWidget& view = *documents().front()->viewWidget();
        QTest::mouseClick(view.buttonWidget(ID_BUTTON_PLAY), Qt::LeftButton);
        QTest::qWait(300);
        return view;
    }

    // Grabs the view after `command`, checks that it plays and shows a trace, saves it.
    void shoot(ViewWidget& view, int command, QRgb pen, const QString& name) {
        ASSERT_TRUE(app->dispatchCommand(command));
        QTest::qWait(60);
        const QImage picture = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(view.view().m_nState, STATE_PLAYING) << name.toStdString();
        EXPECT_GT(view.sliderPos(), 0) << name.toStdString();
        EXPECT_GT(stripTracePixels(picture, pen), 150) << name.toStdString();
        saveShot(picture, name);
    }
};

TEST_P(DisplayScreenshotTest, EverySkinShowsThePlayingTrace) {
    const int channels = GetParam();
    ViewWidget& view = playSine(channels);
    const QString kind = channels == 1 ? "mono" : "stereo";
    const QRgb green = qRgb(0, 255, 0);
    shoot(view, ID_SKIN_NORMAL, green, "view-" + kind + "-normal.png");
    shoot(view, ID_SKIN_EMBOSSED, green, "view-" + kind + "-embossed.png");
    shoot(view, ID_SKIN_GREY, qRgb(255, 255, 0), "view-" + kind + "-grey.png");
    shoot(view, ID_SKIN_NIGHTSHADE, green, "view-" + kind + "-nightshade.png");
    if (channels == 2) {
        ASSERT_TRUE(app->dispatchCommand(ID_SKIN_EMBOSSED));
        ASSERT_TRUE(app->dispatchCommand(ID_SLIDER_CLUSTERED));
        shoot(view, ID_SCOPE_CLUSTERED, green, "view-stereo-clustered.png");
        ASSERT_TRUE(app->dispatchCommand(ID_SLIDER_WAVE));
        ASSERT_TRUE(app->dispatchCommand(ID_SCOPE_WAVE));
        shoot(view, ID_MAGNIFY_300, green, "view-stereo-magnify300.png");
        saveShot(frame().grab().toImage(), "main-window-playing.png");
    }
    QTest::mouseClick(view.buttonWidget(ID_BUTTON_STOP), Qt::LeftButton);
}

TEST_P(DisplayScreenshotTest, PeaksFillEachColumnWithTheToneItsFramesHold) {
    // About six cycles of the tone in each column: Peaks shows its whole swing everywhere.
    const int channels = GetParam();
    const PcmSound sound = sineSound(channels, 16, 22050, 22050 * 5, 437, 0.8);
    ASSERT_TRUE(start({QString::fromStdString(writeWave(dir, "peaks.wav", sound))}));
    ViewWidget& view = *documents().front()->viewWidget();
    ASSERT_TRUE(app->dispatchCommand(ID_SCOPE_PEAKS));
    WaitForPeakSummaries();
    QTest::qWait(2 * kPeaksTimerPeriodMs);
    const QImage picture = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    saveShot(picture, channels == 1 ? "view-mono-peaks.png" : "view-stereo-peaks.png");
    // 0.8 of full scale is 105 rows each side of a mono baseline, 52 of each stereo one.
    const int swing = channels == 1 ? 2 * 104 : 2 * 2 * 52;
    // The selection's etched frame covers the first two columns and the last two.
    for (int x = 12; x < 375; ++x) {
        int pen = 0;
        for (int y = 180; y < 440; ++y) pen += picture.pixel(x, y) == qRgb(0, 255, 0);
        EXPECT_GE(pen, swing) << "column " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, DisplayScreenshotTest, ::testing::Values(1, 2));

}  // namespace
}  // namespace quorbel::test
