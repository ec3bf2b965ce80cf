// Writes the application icon as PNG files for the hicolor icon theme, at build time:
//   render_icons <folder> <name>
// makes <folder>/<N>x<N>/apps/<name>.png for each size the theme commonly holds.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "app/art/app_icon_art.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: render_icons <folder> <name>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(dir, name);
        if (!QDir().mkpath(dir) || !quorbel::art::applicationIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
