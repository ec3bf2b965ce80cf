#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace quorbel {

// Carries device notices from any thread onto the UI thread. The receiver detaches itself
// before it goes away; a notice posted after that is dropped, and one already queued is
// discarded with the receiver's posted events.
class NotifyRelay {
  public:
    using Handler = std::function<void(unsigned code, std::uint32_t deviceId)>;

    NotifyRelay(QObject* receiver, Handler handler)
        : receiver_(receiver), handler_(std::move(handler)) {}

    void post(unsigned code, std::uint32_t deviceId) {
        std::lock_guard lock(mutex_);
        if (receiver_ == nullptr) return;
        QMetaObject::invokeMethod(
            receiver_, [handler = handler_, code, deviceId] { handler(code, deviceId); },
            Qt::QueuedConnection);
    }

    void detach() {
        std::lock_guard lock(mutex_);
        receiver_ = nullptr;
    }

  private:
    std::mutex mutex_;
    QObject* receiver_;
    Handler handler_;
};

}  // namespace quorbel
