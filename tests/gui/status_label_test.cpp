// The status line's label paints its text from kept pieces: what it shows must be exactly
// what a plain label shows of the same text, in the same font and size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

#include "app/status_pane.h"

namespace quorbel {
namespace {

QImage picture(QLabel& label, QSize size) {
    label.resize(size);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    label.render(&image);
    return image;
}

TEST(StatusLabelTest, ShowsWhatAPlainLabelShows) {
    const char* const texts[] = {
        "Total playing time: 600.00 s  / Current file position: 123.45 s ",
        "Total playing time: 11.11 s  / Current file position: 7.07 s ",
        "Ready",
        "Selection 0:00.250 \u2013 0:01.250 (1.000 s)",  // not split: painted whole
        "1.1.1.1 AV 10/47 Tj 7% <b>x</b>",
        "A text far too wide for the pane, 0123456789 0123456789 0123456789 0123456789",
    };
    for (const int height : {16, 17, 20, 23}) {
        for (const char* text : texts) {
            SCOPED_TRACE(testing::Message() << height << " " << text);
            QLabel plain(QString::fromUtf8(text));
            plain.setTextFormat(Qt::PlainText);
            StatusLabel label(QString::fromUtf8(text), nullptr);
            // Painted twice: the second paint uses the kept pieces.
            picture(label, {300, height});
            EXPECT_EQ(picture(label, {300, height}), picture(plain, {300, height}));
        }
    }
    // A long play: more whole seconds than the label keeps pieces for.
    StatusLabel running(QString(), nullptr);
    QLabel plainRunning;
    for (int hundredths = 0; hundredths < 80000; hundredths += 99) {
        running.setText(QStringLiteral("Current file position: %1.%2 s ")
                            .arg(hundredths / 100)
                            .arg(hundredths % 100, 2, 10, QLatin1Char('0')));
        const QImage shown = picture(running, {300, 20});
        if (hundredths % 9900 != 0) continue;
        plainRunning.setText(running.text());
        ASSERT_EQ(shown, picture(plainRunning, {300, 20})) << running.text().toStdString();
    }
    // In a condensed smaller font, as the pane sets for a long text.
    QFont small = QApplication::font();
    small.setStretch(QFont::Condensed);
    small.setPointSizeF(7.5);
    const QString time =
        QStringLiteral("Total playing time: 90.50 s  / Current file position: 8.19 s ");
    QLabel plain(time);
    StatusLabel label(time, nullptr);
    plain.setFont(small);
    label.setFont(small);
    EXPECT_EQ(picture(label, {260, 18}), picture(plain, {260, 18}));
}

// What the screen shows of `widget`, as the last paints left it.
QImage onScreen(QWidget& widget) {
    QWidget* window = widget.window();
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    return screen.toImage()
        .copy(QRect(at * screen.devicePixelRatio(), widget.size()))
        .convertToFormat(QImage::Format_RGB32);
}

// While only digits change, the pane repaints only the changed end of its text; what the
// screen then shows is what a paint of the whole label shows, and the label is painted once
// per change.
TEST(StatusLabelTest, ChangedDigitsRepaintTheirEndOnly) {
    QWidget window;
    window.resize(420, 30);
    StatusPane pane(QString(), &window);
    pane.setGeometry(0, 0, 420, 30);
    window.show();
    QApplication::processEvents();
    QLabel& label = *pane.label();
    int paints = 0;
    QRect lastPaint;
    struct Watch : QObject {
        int* paints;
        QRect* last;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                ++*paints;
                *last = static_cast<QPaintEvent*>(event)->rect();
            }
            return false;
        }
    } watch;
    watch.paints = &paints;
    watch.last = &lastPaint;
    label.installEventFilter(&watch);
    const QString texts[] = {
        QStringLiteral("Total playing time: 60.00 s  / Current file position: 8.19 s "),
        QStringLiteral("Total playing time: 60.00 s  / Current file position: 8.20 s "),
        QStringLiteral("Total playing time: 60.00 s  / Current file position: 9.99 s "),
        QStringLiteral("Total playing time: 60.00 s  / Current file position: 10.00 s "),
        QStringLiteral("Total playing time: 60.00 s  / Current file position: 11.11 s "),
    };
    QString before;
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        paints = 0;
        pane.showText(text, QApplication::font());
        QApplication::processEvents();
        EXPECT_EQ(label.text(), text);
        EXPECT_EQ(paints, 1);
        const QImage shown = onScreen(label);
        if (shown.isNull() || shown.size() != label.size())
            GTEST_SKIP() << "this platform cannot grab its windows";
        // A text of another length is laid out anew, all of it.
        if (text.size() == before.size()) {
            EXPECT_GT(lastPaint.left(), label.width() / 2);
        }
        before = text;
        label.repaint();
        EXPECT_EQ(shown, onScreen(label)) << "the label shows stale digits";
    }
}

}  // namespace
}  // namespace quorbel
