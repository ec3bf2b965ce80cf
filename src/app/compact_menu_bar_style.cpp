#include "app/compact_menu_bar_style.h"

#include <QFontMetrics>
#include <QStyleOptionMenuItem>

namespace quorbel {

QSize CompactMenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                            const QSize& size, const QWidget* widget) const {
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_MenuBarItem) {
        // Three pixels of margin on either side of the label, like a classic menu bar.
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (item != nullptr && !item->text.isEmpty()) result.setWidth(size.width() + 6);
    }
    return result;
}

int CompactMenuBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                     const QWidget* widget) const {
    switch (metric) {
        case PM_MenuBarItemSpacing:
        case PM_MenuBarHMargin:
            return 0;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

}  // namespace quorbel
