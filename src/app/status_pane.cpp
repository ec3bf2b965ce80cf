#include "app/status_pane.h"

#include <QFontMetrics>
#include <QResizeEvent>
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

StatusPane::StatusPane(const QString& text, QWidget* parent)
    : QWidget(parent), label_(new QLabel(text, this)) {
    // A label with an accessible name of its own raises no event per text change: the name
    // is set here, and below at most every quarter second.
    label_->setAccessibleName(text.isEmpty() ? QStringLiteral(" ") : text);
    announceTimer_.setSingleShot(true);
    announceTimer_.setInterval(250);
    connect(&announceTimer_, &QTimer::timeout, this, [this] {
        if (pendingAnnouncement_.isNull()) return;
        label_->setAccessibleName(pendingAnnouncement_);
        pendingAnnouncement_ = QString();
        announceTimer_.start();
    });
}

void StatusPane::announce(const QString& text) {
    if (announceTimer_.isActive()) {
        pendingAnnouncement_ = text;
        return;
    }
    label_->setAccessibleName(text.isEmpty() ? QStringLiteral(" ") : text);
    announceTimer_.start();
}

void StatusPane::resizeEvent(QResizeEvent* event) {
    label_->setGeometry(QRect(QPoint(0, 0), event->size()));
}

QString StatusPane::shapeOf(const QString& text, const QFont& font) {
    if (widest_.isNull() || measured_ != font) {
        const QFontMetrics metrics(font);
        widest_ = QLatin1Char('0');
        for (char c = '1'; c <= '9'; ++c) {
            if (metrics.horizontalAdvance(QLatin1Char(c)) > metrics.horizontalAdvance(widest_))
                widest_ = QLatin1Char(c);
        }
        measured_ = font;
    }
    QString shape = text;
    for (QChar& c : shape) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) c = widest_;
    }
    return shape;
}

bool StatusPane::hasLastShape(const QString& text) const {
    if (text.size() != shape_.size()) return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if ((digit ? widest_ : c) != shape_[i]) return false;
    }
    return true;
}

void StatusPane::showText(const QString& text, const QFont& base) {
    const int room = label_->contentsRect().width();
    if (base == base_ && room == room_ && hasLastShape(text)) {
        // Only digits changed: the font and the size hints stay as they are.
        label_->setText(text);
        announce(text);
        return;
    }
    shape_ = shapeOf(text, base);
    fitted_ = fittingFont(base, shape_, room);
    base_ = base;
    room_ = room;
    if (label_->font() != fitted_) label_->setFont(fitted_);
    label_->setText(text);
    announce(text);
    updateGeometry();
}

}  // namespace quorbel
