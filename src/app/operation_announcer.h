#pragma once

#include <QString>
#include <QWidget>

namespace quorbel {

// Tells assistive technology that an operation ended, as an alert: the status line's text
// changes all the time (the play position runs in it), and a screen reader reads a changed
// label only when its user asks, so the end of a long Reverse or Save would go unheard. This
// one-pixel widget in the status bar is an alert message named by the ending text, shown
// afresh for each ending, which the accessibility bridge sends as an alert that appears.
class OperationAnnouncer final : public QWidget {
    Q_OBJECT
  public:
    explicit OperationAnnouncer(QWidget* parent);

    // Whether `statusText` is the end of an operation: "... operation complete!", "...
    // operation failed.", "... operation cancelled.", or a filter's "applied" message.
    static bool IsEnding(const QString& statusText);
    // Announces `text` when it is an ending; anything else is left to the status line.
    void statusChanged(const QString& text);
    // The last ending announced.
    QString announced() const { return accessibleName(); }
};

}  // namespace quorbel
