#include "app/app_icons.h"

#include <QPixmap>

#include "app/art/app_icon_art.h"

namespace quorbel {

namespace {

QIcon makeIcon(QImage (*draw)(int)) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(QPixmap::fromImage(draw(size)));
    return icon;
}

}  // namespace

QIcon applicationIcon() {
    return makeIcon(&art::applicationIconImage);
}
QIcon documentIcon() {
    return makeIcon(&art::documentIconImage);
}

}  // namespace quorbel
