// The status line's label paints its text from kept pieces, and repaints only the changed end
// when digits change: what it shows must be exactly what a plain label shows of the text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QScreen>

#include "app/status_pane.h"

namespace quorbel {
namespace {

QImage picture(QLabel& label, QSize size, QColor background = Qt::white) {
    label.resize(size);
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    label.render(&image);
    return image;
}

TEST(StatusLabelTest, ShowsWhatAPlainLabelShows) {
    const char* const texts[] = {
        "Total playing time: 600.00 s  / Current file position: 123.45 s ", "Ready",
        "Selection 0:00.250 \u2013 0:01.250 (1.000 s)",  // not split: painted whole
        "1.1.1.1 AV 10/47 Tj 7% <b>x</b> far too wide for the pane 0123456789 0123456789"};
    QFont small = QApplication::font();  // condensed and smaller, as the pane fits long texts
    small.setStretch(QFont::Condensed);
    small.setPointSizeF(7.5);
    for (const QFont& font : {QApplication::font(), small}) {
        for (const int height : {16, 17, 23}) {
            for (const char* text : texts) {
                SCOPED_TRACE(testing::Message() << height << " " << text);
                QLabel plain(QString::fromUtf8(text));
                plain.setTextFormat(Qt::PlainText);
                StatusLabel label(QString::fromUtf8(text), nullptr);
                plain.setFont(font);
                label.setFont(font);
                picture(label, {300, height});  // the second paint uses the kept pieces
                EXPECT_EQ(picture(label, {300, height}), picture(plain, {300, height}));
            }
        }
    }
}

// Counts the label's paints and keeps the last one's rectangle.
struct PaintWatch : QObject {
    int paints = 0;
    QRect last;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            last = static_cast<QPaintEvent*>(event)->rect();
        }
        return false;
    }
};

TEST(StatusLabelTest, ChangedDigitsRepaintTheirEndOnlyAndShowTheNewText) {
    QWidget window;
    StatusPane pane(QString(), &window);
    pane.setGeometry(0, 0, 420, 30);
    window.show();
    QLabel& label = *pane.label();
    PaintWatch watch;
    label.installEventFilter(&watch);
    QString before;
    // More whole seconds than the label keeps pieces for; a new length is laid out anew.
    for (int hundredths = 819; hundredths < 80000; hundredths += 181) {
        const QString text =
            QStringLiteral("Total playing time: 900.00 s  / Current file position: %1.%2 s ")
                .arg(hundredths / 100)
                .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
        SCOPED_TRACE(text.toStdString());
        watch.paints = 0;
        pane.showText(text, QApplication::font());
        QApplication::processEvents();
        ASSERT_EQ(watch.paints, 1);
        if (text.size() == before.size()) {
            EXPECT_GT(watch.last.left(), label.width() / 2);
        }
        before = text;
        if (hundredths % 50 != 0) continue;
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(window.winId());
        if (screen.isNull()) GTEST_SKIP() << "this platform cannot grab its windows";
        const QImage shown =
            screen.toImage().copy(label.geometry()).convertToFormat(QImage::Format_RGB32);
        QLabel plain(text);
        plain.setFont(label.font());
        ASSERT_EQ(shown, picture(plain, label.size(), window.palette().color(QPalette::Window)))
            << "the label shows stale digits";
    }
}

}  // namespace
}  // namespace quorbel
