#include "app/art/skin_art.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include "app/art/about_picture.h"
#include "app/art/button_picture.h"
#include "app/art/skin_background.h"

namespace quorbel {
namespace {

using art::ButtonLook;
using art::ButtonSymbol;
using art::SkinStyle;

QImage paintBitmap(int id) {
    if (id >= 133 && id <= 147) {
        static constexpr ButtonSymbol kSymbols[] = {ButtonSymbol::Play, ButtonSymbol::ToStart,
                                                    ButtonSymbol::ToEnd, ButtonSymbol::Stop,
                                                    ButtonSymbol::Record};
        static constexpr ButtonLook kLooks[] = {ButtonLook::Normal, ButtonLook::Pressed,
                                                ButtonLook::Disabled};
        const int k = id - 133;
        return art::paintButtonPicture(kSymbols[k / 3], kLooks[k % 3]);
    }
    switch (id) {
        case 156:
            return art::paintAboutPicture();
        case 166:
            return art::paintSkinBackground(SkinStyle::Normal, true);
        case 167:
            return art::paintSkinBackground(SkinStyle::Normal, false);
        case 168:
            return art::paintSkinBackground(SkinStyle::Embossed, true);
        case 169:
            return art::paintSkinBackground(SkinStyle::Embossed, false);
        case 170:
            return art::paintSkinBackground(SkinStyle::NightShade, true);
        case 171:
            return art::paintSkinBackground(SkinStyle::Grey, true);
        case 172:
            return art::paintSkinBackground(SkinStyle::NightShade, false);
        case 173:
            return art::paintSkinBackground(SkinStyle::Grey, false);
        default:
            return {};
    }
}

}  // namespace

QImage quorbelBitmap(int resourceId) {
    // Painting a skin takes a few milliseconds; views repaint often, so each picture is made once.
    static QMutex mutex;
    static QHash<int, QImage> cache;
    QMutexLocker lock(&mutex);
    const auto found = cache.constFind(resourceId);
    if (found != cache.constEnd()) return *found;
    QImage image = paintBitmap(resourceId);
    if (!image.isNull()) cache.insert(resourceId, image);
    return image;
}

}  // namespace quorbel
