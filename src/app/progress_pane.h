#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;

namespace quorbel {

// The progress of a long operation in the status bar: its name, a progress bar and a Cancel
// button; Esc in the main window cancels as the button does. Hidden while nothing runs; while
// shown it takes the whole of the status line's room beside the lock-key panes, so that
// neither its name nor the message it stands in for is squeezed to a letter.
class ProgressPane final : public QWidget {
    Q_OBJECT
  public:
    // `window` receives the Esc shortcut.
    ProgressPane(QWidget* window, QWidget* parent);

    void show(const std::string& name, int percent, std::function<void()> cancel);
    // Esc calls `cancel` while the pane is still hidden (work that has only just started).
    void armEscape(std::function<void()> cancel);
    void hideAndForget();
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* bar() const { return bar_; }

  signals:
    // The pane appeared (true) or went (false): the status message gives way meanwhile.
    void shownChanged(bool shown);

  private:
    void cancelNow();

    QLabel* name_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    QShortcut* escape_;
    std::function<void()> onCancel_;
};

}  // namespace quorbel
