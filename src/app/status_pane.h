#pragma once

#include <QFont>
#include <QHash>
#include <QLabel>
#include <QSize>
#include <QStaticText>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace quorbel {

// The status pane's label. It paints a one-line plain text as QLabel does, but from pieces
// laid out once and kept: the runs of digits and the runs between them. While a sound plays
// the time display changes a hundred times a second, only in its digits, and laying out the
// whole line for each change would cost more than everything else the tick does; its
// hundredths take a hundred values, its seconds one new value a second. A run is drawn apart
// from its neighbour only where the font sets the two characters that meet exactly as far
// apart as the two glyphs alone (no kerning between them); elsewhere they stay in one piece.
// Anything else (several lines, a disabled label, right-to-left or combining text) is
// painted by QLabel itself.
class StatusLabel final : public QLabel {
    Q_OBJECT
  public:
    StatusLabel(const QString& text, QWidget* parent);

    // Shows `text`, which differs from the text shown in some digits only, repainting only
    // the part from the first changed piece on.
    void setDigits(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct Piece {
        QStaticText text;
        qreal advance = 0;
    };
    // Whether the text can be painted in pieces at all.
    static bool piecewise(const QString& text);
    // Whether this label paints `text` in pieces, or leaves it to QLabel.
    bool paintsInPieces(const QString& text) const;
    // Calls draw(where, piece, first character) for each piece of `text` from the left, as
    // long as it returns true.
    template <typename Draw>
    void forEachPiece(const QString& text, Draw draw);
    // Whether `a` and `b` may be drawn apart: the pair is as wide as the two glyphs alone.
    bool separable(QChar a, QChar b);
    const Piece& piece(QStringView text);

    QHash<QString, Piece> pieces_;
    QString key_;  // the text of the piece looked up last
    QHash<quint32, bool> separable_;
};

// The message pane of the status line: a label inside a holder that the status bar lays
// out. While a sound plays the time display changes a hundred times a second, and a label
// laid out by the bar itself makes the bar lay out and repaint all its panes for each new
// text. Here a new text repaints the label alone; the holder asks the bar for a new layout
// only when the text's shape (every digit counted as the font's widest) or its font
// changes, which is also when the font that fits the pane is worked out again. Keeping that
// font for a shape keeps the line from jumping between sizes as the digits run.
class StatusPane final : public QWidget {
    Q_OBJECT
  public:
    StatusPane(const QString& text, QWidget* parent);

    QLabel* label() const { return label_; }
    // Shows `text` in `base` or, when that is too wide for the pane, in a condensed and
    // smaller version of it, down to a still readable 6 pt.
    void showText(const QString& text, const QFont& base);

    QSize sizeHint() const override { return label_->sizeHint(); }
    QSize minimumSizeHint() const override { return label_->minimumSizeHint(); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // `text` with every digit replaced by the widest digit of `font`: a text no wider than
    // its shape.
    QString shapeOf(const QString& text, const QFont& font);
    // Whether `text` has the shape of the last fitting (compared in place: no copy per tick).
    bool hasLastShape(const QString& text) const;

    // Tells assistive technology the text at most a few times a second: during playback the
    // time changes a hundred times a second, far more than anyone can listen to. The last
    // text is always told.
    void announce(const QString& text);

    StatusLabel* label_;
    QTimer announceTimer_;
    QString pendingAnnouncement_;
    // The widest digit of the font last measured.
    QFont measured_;
    QChar widest_;
    // The last fitting: the text's shape, the font and room it was made for, and its font.
    QString shape_;
    QFont base_;
    int room_ = -1;
    QFont fitted_;
};

}  // namespace quorbel
