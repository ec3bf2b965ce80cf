#include "app/status_pane.h"

#include <QFontMetrics>
#include <algorithm>

namespace quorbel {

namespace {

// The status line is only as wide as the view, and the time display is longer than most
// desktop fonts fit there beside the lock-key panes: a text too long for the pane is set
// condensed and smaller instead of being cut off.
QFont fittingFont(const QFont& base, const QString& text, int room) {
    if (room <= 0 || QFontMetrics(base).horizontalAdvance(text) <= room) return base;
    QFont font = base;
    font.setStretch(QFont::Condensed);
    qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 9.0;
    font.setPointSizeF(size);
    while (QFontMetrics(font).horizontalAdvance(text) > room && size > 6.0) {
        size = std::max<qreal>(6.0, size - 0.5);
        font.setPointSizeF(size);
    }
    return font;
}

}  // namespace

StatusPane::StatusPane(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QString StatusPane::shapeOf(const QString& text, const QFont& font) {
    // One font at a time is asked: the bar's, and the fitted one.
    static QFont measured;
    static QChar widest;
    static bool known = false;
    if (!known || measured != font) {
        const QFontMetrics metrics(font);
        widest = QLatin1Char('0');
        for (char c = '1'; c <= '9'; ++c) {
            if (metrics.horizontalAdvance(QLatin1Char(c)) > metrics.horizontalAdvance(widest))
                widest = QLatin1Char(c);
        }
        measured = font;
        known = true;
    }
    QString shape = text;
    for (QChar& c : shape) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) c = widest;
    }
    return shape;
}

void StatusPane::showText(const QString& text, const QFont& base) {
    const int room = contentsRect().width();
    const QString shape = shapeOf(text, base);
    if (shape != fittedShape_ || base != fittedBase_ || room != fittedRoom_) {
        fitted_ = fittingFont(base, shape, room);
        fittedShape_ = shape;
        fittedBase_ = base;
        fittedRoom_ = room;
    }
    if (font() != fitted_) setFont(fitted_);
    setText(text);
}

void StatusPane::refreshHints() const {
    const QString shape = shapeOf(text(), font());
    if (hintsValid_ && shape == hintShape_ && font() == hintFont_) return;
    sizeHint_ = QLabel::sizeHint();
    minimumSizeHint_ = QLabel::minimumSizeHint();
    hintShape_ = shape;
    hintFont_ = font();
    hintsValid_ = true;
}

QSize StatusPane::sizeHint() const {
    refreshHints();
    return sizeHint_;
}

QSize StatusPane::minimumSizeHint() const {
    refreshHints();
    return minimumSizeHint_;
}

}  // namespace quorbel
