#pragma once

#include <QFont>
#include <QLabel>
#include <QSize>
#include <QString>

namespace quorbel {

// The message pane of the status line. While a sound plays the time display changes a
// hundred times a second, but only in its digits: the font that fits the pane and the
// pane's size hints are worked out for the text's shape (every digit counted as the
// font's widest) and kept until the shape, the font or the room changes, so that a tick
// lays out nothing but the new text itself. A fixed font size also keeps the line from
// jumping between sizes as the digits run.
class StatusPane final : public QLabel {
    Q_OBJECT
  public:
    StatusPane(const QString& text, QWidget* parent);

    // Shows `text` in `base` or, when that is too wide for the pane, in a condensed and
    // smaller version of it, down to a still readable 6 pt.
    void showText(const QString& text, const QFont& base);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  private:
    // `text` with every digit replaced by the widest digit of `font`.
    static QString shapeOf(const QString& text, const QFont& font);
    void refreshHints() const;

    // The last fitting: its inputs and the font chosen.
    QString fittedShape_;
    QFont fittedBase_;
    int fittedRoom_ = -1;
    QFont fitted_;

    // QLabel's own hints for the shape and font they were taken with.
    mutable QString hintShape_;
    mutable QFont hintFont_;
    mutable bool hintsValid_ = false;
    mutable QSize sizeHint_;
    mutable QSize minimumSizeHint_;
};

}  // namespace quorbel
