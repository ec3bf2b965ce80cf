#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QTest>
#include <optional>
#include <thread>

#include "app/bitmap_cache.h"
#include "app/builtin_sound_player.h"
#include "app/file_dialogs.h"
#include "app/notify_relay.h"
#include "app/qt_canvas.h"
#include "res/builtin_sound.h"
#include "view/display_modes.h"
#include "view/wave_trace.h"

namespace quorbel {
namespace {

QImage blank() {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

TEST(QtCanvasTest, LineLeavesOutItsEndPoint) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.selectPen({255, 0, 0}, 1);
        canvas.moveTo({2, 5});
        canvas.lineTo({10, 5});
        canvas.lineTo({10, 12});
    }
    EXPECT_EQ(image.pixelColor(2, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(9, 5), QColor(255, 0, 0));
    // (10, 5) is drawn as the start of the second line; (10, 12), its end, is not.
    EXPECT_EQ(image.pixelColor(10, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(10, 11), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(10, 12), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 5), QColor(Qt::black));
}

// A bitmap lands as the painter would put it, whole or cut by the clip and the image's edges.
TEST(QtCanvasTest, BitmapsLandAsThePainterPutsThem) {
    const int background = BackgroundBitmapId(SKIN_NORMAL, 2);
    const std::pair<QPoint, QRect> cases[] = {
        {{0, 0}, {}}, {{0, 0}, {57, 47, 265, 55}}, {{-30, 12}, {}}, {{100, -7}, {90, 0, 200, 60}}};
    for (const auto& [at, clip] : cases) {
        SCOPED_TRACE(testing::Message() << at.x() << "," << at.y());
        QImage mine(400, 300, QImage::Format_RGB32);
        mine.fill(Qt::darkCyan);
        QImage theirs = mine.copy();
        {
            std::optional<QtCanvas> canvas;
            clip.isNull() ? canvas.emplace(mine) : canvas.emplace(mine, clip);
            canvas->drawBitmap(background, {at.x(), at.y()});
        }
        QPainter painter(&theirs);
        if (!clip.isNull()) painter.setClipRect(clip);
        painter.drawImage(at, cachedBitmap(background));
        painter.end();
        EXPECT_EQ(mine, theirs);
    }
}

TEST(QtCanvasTest, ZeroLengthLineDrawsNothing) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.selectPen({0, 255, 0}, 1);
        canvas.moveTo({7, 7});
        canvas.lineTo({7, 7});
    }
    EXPECT_EQ(image.pixelColor(7, 7), QColor(Qt::black));
}

TEST(QtCanvasTest, EtchedAndBumpEdgesAreMirrorImages) {
    QImage etched = blank();
    QImage bump = blank();
    {
        QtCanvas canvas(etched);
        canvas.drawEdge({5, 5, 25, 20}, EdgeStyle::Etched);
    }
    {
        QtCanvas canvas(bump);
        canvas.drawEdge({5, 5, 25, 20}, EdgeStyle::Bump);
    }
    const QColor shadow(128, 128, 128);
    const QColor light(255, 255, 255);
    // Etched: sunken outer border (dark top-left), raised inner border (light top-left).
    EXPECT_EQ(etched.pixelColor(10, 5), shadow);
    EXPECT_EQ(etched.pixelColor(10, 6), light);
    EXPECT_EQ(etched.pixelColor(10, 19), light);
    EXPECT_EQ(etched.pixelColor(10, 18), shadow);
    EXPECT_EQ(etched.pixelColor(24, 10), light);
    EXPECT_EQ(bump.pixelColor(10, 5), light);
    EXPECT_EQ(bump.pixelColor(10, 6), shadow);
    // Nothing outside the rectangle, nothing in its middle.
    EXPECT_EQ(etched.pixelColor(25, 10), QColor(Qt::black));
    EXPECT_EQ(etched.pixelColor(10, 20), QColor(Qt::black));
    EXPECT_EQ(etched.pixelColor(15, 12), QColor(Qt::black));
}

TEST(QtCanvasTest, LinesLookAlikeOnEveryImageFormat) {
    // 32-bit pictures are written directly, others through the painter: same pixels, the
    // same clip, nothing past the image's edges.
    auto draw = [](QImage::Format format) {
        QImage image(40, 40, format);
        image.fill(Qt::black);
        {
            QtCanvas canvas(image, QRect(3, 4, 30, 30));
            canvas.selectPen({0, 255, 0}, 1);
            canvas.moveTo({-10, 20});
            for (const Point p : {Point{50, 37}, Point{20, -5}, Point{20, 45}, Point{0, 0},
                                  Point{33, 12}, Point{34, 12}, Point{34, 33}})
                canvas.lineTo(p);
        }
        return image.convertToFormat(QImage::Format_RGB32);
    };
    const QImage direct = draw(QImage::Format_RGB32);
    EXPECT_EQ(draw(QImage::Format_ARGB32_Premultiplied), direct);
    EXPECT_EQ(draw(QImage::Format_RGB888), direct);
    int drawn = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (direct.pixel(x, y) != qRgb(0, 255, 0)) continue;
            ++drawn;
            EXPECT_TRUE(QRect(3, 4, 30, 30).contains(x, y)) << x << "," << y;
        }
    }
    EXPECT_GT(drawn, 60);
}

TEST(QtCanvasTest, UnknownBitmapIsRefused) {
    QImage image = blank();
    QtCanvas canvas(image);
    EXPECT_FALSE(canvas.drawBitmap(9999, {0, 0}));
    EXPECT_EQ(canvas.bitmapSize(9999), (Size{0, 0}));
    EXPECT_EQ(canvas.bitmapSize(133), (Size{58, 23}));
    EXPECT_EQ(canvas.bitmapSize(166), (Size{388, 480}));
}

TEST(NotifyRelayTest, DeliversOnTheReceiversThreadAndDropsAfterDetach) {
    QObject receiver;
    std::vector<std::pair<unsigned, std::uint32_t>> got;
    NotifyRelay relay(&receiver,
                      [&](unsigned code, std::uint32_t id) { got.emplace_back(code, id); });
    std::thread worker([&] { relay.post(1, 42); });
    worker.join();
    EXPECT_TRUE(got.empty());  // queued, not called from the worker
    QCoreApplication::processEvents();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], std::make_pair(1u, std::uint32_t{42}));
    relay.post(4, 42);
    relay.detach();
    relay.post(8, 42);
    QCoreApplication::processEvents();
    EXPECT_EQ(got.size(), 2u);
}

TEST(NotifyRelayTest, QueuedNoticeIsDroppedWithItsReceiver) {
    int calls = 0;
    auto receiver = std::make_unique<QObject>();
    NotifyRelay relay(receiver.get(), [&](unsigned, std::uint32_t) { ++calls; });
    relay.post(1, 7);
    relay.detach();
    receiver.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

TEST(BuiltinSoundTest, ParsesTheBuiltInWave) {
    StreamFormat format;
    std::vector<std::byte> frames;
    ASSERT_TRUE(parsePcmWave(builtinSoundWav(), format, frames));
    EXPECT_EQ(format.sampleRate, 22050u);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.type, SampleType::U8);
    EXPECT_GT(frames.size(), 22050u * 25);
}

TEST(BuiltinSoundTest, RefusesWhatIsNotPcmWave) {
    StreamFormat format;
    std::vector<std::byte> frames;
    EXPECT_FALSE(parsePcmWave({}, format, frames));
    std::vector<std::uint8_t> text(64, 'x');
    EXPECT_FALSE(parsePcmWave(text, format, frames));
    // A RIFF header whose chunks run past the end.
    std::vector<std::uint8_t> truncated = {'R', 'I', 'F', 'F', 0,   0,   0,   0, 'W', 'A',
                                           'V', 'E', 'f', 'm', 't', ' ', 200, 0, 0,   0};
    EXPECT_FALSE(parsePcmWave(truncated, format, frames));
}

TEST(FileFilterTest, ResourceFiltersBecomeQtFilters) {
    EXPECT_EQ(qtFileFilters("Wave Files (*.wav)|*.wav|"),
              (QStringList{"Wave Files (*.wav)", "All Files (*)"}));
    EXPECT_EQ(qtFileFilters("Wave files (*.wav)|*.wav |"),
              (QStringList{"Wave files (*.wav)", "All Files (*)"}));
    EXPECT_EQ(qtFileFilters("Sounds|*.wav|"), (QStringList{"Sounds (*.wav)", "All Files (*)"}));
}

}  // namespace
}  // namespace quorbel
