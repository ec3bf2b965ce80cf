#include "app/status_pane.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOption>
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

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The most pieces kept: the hundred hundredths of the time display, its whole seconds as
// they come, the runs of a few texts and the messages shown between plays.
constexpr qsizetype kMaxPieces = 512;

}  // namespace

StatusLabel::StatusLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // A status text is plain: a file name that looks like markup shows as it is written.
    setTextFormat(Qt::PlainText);
}

void StatusLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        pieces_.clear();
        separable_.clear();
    }
    QLabel::changeEvent(event);
}

bool StatusLabel::piecewise(const QString& text) {
    // One line of left-to-right text without combining marks: below U+0300 every character
    // is Latin or neutral, and none joins the next one.
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x20 && u < 0x300 && (u < 0x7F || u > 0x9F);
    });
}

bool StatusLabel::separable(QChar a, QChar b) {
    const quint32 key = (quint32{a.unicode()} << 16) | b.unicode();
    auto it = separable_.constFind(key);
    if (it != separable_.constEnd()) return *it;
    const QFontMetricsF metrics(font());
    const qreal apart =
        metrics.horizontalAdvance(QString(a)) + metrics.horizontalAdvance(QString(b));
    const QChar pair[2] = {a, b};
    const bool same = metrics.horizontalAdvance(QString(pair, 2)) == apart;
    separable_.insert(key, same);
    return same;
}

const StatusLabel::Piece& StatusLabel::piece(QStringView text) {
    // The key is written into a buffer kept from call to call: looking up a piece makes no
    // new string, only adding one does.
    key_.resize(text.size());
    std::copy(text.begin(), text.end(), key_.begin());
    auto it = pieces_.constFind(key_);
    if (it != pieces_.constEnd()) return *it;
    const QString key = key_;
    if (pieces_.size() >= kMaxPieces) pieces_.clear();
    Piece made;
    made.text = QStaticText(key);
    made.text.setTextFormat(Qt::PlainText);
    made.text.prepare(QTransform(), font());
    // The advance counts trailing spaces, which the static text's own size leaves out.
    made.advance = QFontMetricsF(font()).horizontalAdvance(key);
    return *pieces_.insert(key, made);
}

bool StatusLabel::paintsInPieces(const QString& text) const {
    // What QLabel would paint otherwise than as one left-aligned, vertically centred line
    // filling the widget is left to it.
    return isEnabled() && piecewise(text) && frameWidth() == 0 && margin() == 0 && indent() <= 0 &&
           alignment() == (Qt::AlignLeft | Qt::AlignVCenter) &&
           layoutDirection() == Qt::LeftToRight;
}

template <typename Draw>
void StatusLabel::forEachPiece(const QString& text, Draw draw) {
    const QRect room = contentsRect();
    const QFontMetricsF metrics(font());
    // Where QLabel's one line stands: centred by the line's height, ascent and descent.
    QPointF at(room.x(), room.y() + (room.height() - (metrics.ascent() + metrics.descent())) / 2);
    qsizetype start = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        if (i < text.size() &&
            !(isDigit(text[i - 1]) != isDigit(text[i]) && separable(text[i - 1], text[i])))
            continue;
        const Piece& part = piece(QStringView(text).mid(start, i - start));
        if (!draw(at, part, start)) return;
        at.rx() += part.advance;
        start = i;
    }
}

void StatusLabel::setDigits(const QString& text) {
    const QString old = QLabel::text();
    if (text == old) return;
    if (!updatesEnabled() || !paintsInPieces(old) || !paintsInPieces(text)) {
        setText(text);
        return;
    }
    qsizetype same = 0;
    while (same < std::min(old.size(), text.size()) && old[same] == text[same]) ++same;
    // The pieces that end before the first changed character are the same in both texts and
    // stand where they stood; the repaint starts at the last of them, less a glyph's reach to
    // the left.
    qreal kept = 0;
    forEachPiece(text, [&](QPointF at, const Piece& part, qsizetype start) {
        if (start + part.text.text().size() > same) return false;
        kept = at.x() + part.advance;
        return true;
    });
    const int reach = QFontMetrics(font()).height();
    const int left = std::max(0, static_cast<int>(kept) - reach);
    // QLabel repaints all of itself for a new text; here only the changed end is repainted.
    // Its update is held back for the call (updates were on, checked above, and are on
    // again after it) without setUpdatesEnabled, which would repaint all of it on return.
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setText(text);
    setAttribute(Qt::WA_UpdatesDisabled, false);
    update(QRect(left, 0, width() - left, height()));
}

void StatusLabel::paintEvent(QPaintEvent* event) {
    const QString shown = text();
    if (!paintsInPieces(shown)) {
        QLabel::paintEvent(event);
        return;
    }
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    painter.setPen(QPen(option.palette.brush(foregroundRole()), painter.pen().widthF()));
    const int reach = QFontMetrics(font()).height();
    const QRect dirty = event->rect();
    forEachPiece(shown, [&](QPointF at, const Piece& part, qsizetype) {
        // A piece wholly left of the repaint, glyphs' reach included, is left as it stands.
        if (at.x() + part.advance + reach >= dirty.left()) painter.drawStaticText(at, part.text);
        return at.x() <= dirty.right() + reach;
    });
}

StatusPane::StatusPane(const QString& text, QWidget* parent)
    : QWidget(parent), label_(new StatusLabel(text, this)) {
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
    // The label's size is fixed to the pane's: a label of fixed size asks its parent for no
    // new layout when its text changes, which would otherwise be an event at every tick.
    label_->move(0, 0);
    label_->setFixedSize(event->size());
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
        label_->setDigits(text);
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
