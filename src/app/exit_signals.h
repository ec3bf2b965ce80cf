#pragma once

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C, a system shutdown) end
// the program through its own event loop instead of on the spot: the handler only writes the
// signal's number into a pipe, and the user-interface thread reads it and calls back.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace quorbel {

class ExitSignals : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; `onSignal` runs on this thread with the signal's number.
    explicit ExitSignals(std::function<void(int)> onSignal);
    // Restores the default handlers.
    ~ExitSignals() override;

  private:
    void readSignal();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quorbel
