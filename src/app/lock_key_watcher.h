#pragma once

#include <QObject>
#include <optional>

namespace quorbel {

// Follows the Caps Lock and Num Lock states where the platform tells them: on X11 every key
// event carries the modifier state, lock bits included. Elsewhere the states stay unknown.
class LockKeyWatcher final : public QObject {
    Q_OBJECT
  public:
    explicit LockKeyWatcher(QObject* parent = nullptr);

    std::optional<bool> capsLock() const { return caps_; }
    std::optional<bool> numLock() const { return num_; }

  signals:
    void changed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool x11_ = false;
    std::optional<bool> caps_;
    std::optional<bool> num_;
};

}  // namespace quorbel
