// Renders every generated picture to PNG files for a look by eye, plus one composite per skin
// with the buttons in place and sample traces in the panels.
// Not part of the build; compile it by hand from the repository root:
//   g++ -std=c++20 -fPIC -Isrc $(pkg-config --cflags Qt6Widgets) tools/render_art.cpp
//       src/app/art/*.cpp $(pkg-config --libs Qt6Widgets) -o /tmp/render_art
// (one line) and run it: render_art <output folder>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <cstdio>

#include "app/art/skin_art.h"

namespace {

QImage scaled(const QImage& image, int factor) {
    return image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// Buttons at their places and the two waveform panels filled with a made-up sound.
QImage composite(int skinId, bool twoChannel, bool grey) {
    QImage image = quorbel::quorbelBitmap(skinId).copy();
    QPainter p(&image);
    const int ids[] = {136, 139, 133, 142, 145};
    for (int i = 0; i < 5; ++i) {
        const int pick = i == 3 ? 2 : (i == 2 ? 1 : 0);  // stop disabled, play pressed
        p.drawImage(22 + 70 * i, 146, quorbel::quorbelBitmap(ids[i] + pick));
    }
    p.setPen(QPen(grey ? QColor(255, 255, 0) : QColor(0, 255, 0), 1));
    auto sample = [](double t) {
        return std::sin(t * 0.21) * std::sin(t * 0.013) * 0.8 + 0.2 * std::sin(t * 1.7);
    };
    for (int x = 58; x < 322; ++x) {
        p.drawLine(x, 74 + static_cast<int>(8 * sample(x - 1)), x + 1,
                   74 + static_cast<int>(8 * sample(x)));
    }
    const int baselines[] = {twoChannel ? 245 : 310, 375};
    const int traces = twoChannel ? 2 : 1;
    for (int k = 0; k < traces; ++k) {
        const double amp = twoChannel ? 55 : 110;
        for (int x = 10; x < 376; ++x) {
            const double t = x * 3.0 + k * 50;
            const double env = std::sin((x - 10) / 366.0 * 3.14159);
            p.drawLine(x, baselines[k] + static_cast<int>(amp * env * sample(t)), x + 1,
                       baselines[k] + static_cast<int>(amp * env * sample(t + 3)));
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("art");
    QDir().mkpath(dir);
    for (int id = 133; id <= 173; ++id) {
        const QImage image = quorbel::quorbelBitmap(id);
        if (image.isNull()) continue;
        const int factor = image.width() < 100 ? 3 : 1;
        scaled(image, factor).save(QStringLiteral("%1/bitmap_%2.png").arg(dir).arg(id));
    }
    // All fifteen buttons in one sheet: rows play, to start, to end, stop, record.
    QImage sheet(3 * 64, 5 * 29, QImage::Format_RGB32);
    sheet.fill(QColor(40, 60, 100));
    {
        QPainter p(&sheet);
        for (int k = 0; k < 15; ++k) {
            p.drawImage(3 + 64 * (k % 3), 3 + 29 * (k / 3), quorbel::quorbelBitmap(133 + k));
        }
    }
    scaled(sheet, 3).save(dir + QStringLiteral("/buttons_sheet.png"));
    const struct {
        int id;
        bool two;
        bool grey;
        const char* name;
    } skins[] = {
        {166, true, false, "normal_stereo"},     {167, false, false, "normal_mono"},
        {168, true, false, "embossed_stereo"},   {169, false, false, "embossed_mono"},
        {170, true, false, "nightshade_stereo"}, {172, false, false, "nightshade_mono"},
        {171, true, true, "grey_stereo"},        {173, false, true, "grey_mono"},
    };
    for (const auto& s : skins) {
        composite(s.id, s.two, s.grey).save(QStringLiteral("%1/composite_%2.png").arg(dir, s.name));
    }
    std::printf("wrote pictures to %s\n", qPrintable(dir));
    return 0;
}
