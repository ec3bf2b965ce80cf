#pragma once

#include <QProxyStyle>

namespace quorbel {

// A style for the main menu bar with tighter items, so that all seven document menus and
// the merged document controls fit across the fixed 388-pixel window.
class CompactMenuBarStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
};

}  // namespace quorbel
