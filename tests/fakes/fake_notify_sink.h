#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "framework/notify_sink.h"

namespace quorbel::testing {

// Collects device notices; safe to post to from any thread.
class FakeNotifySink : public NotifySink {
  public:
    struct Notice {
        unsigned code;
        std::uint32_t deviceId;
        friend bool operator==(const Notice&, const Notice&) = default;
    };

    void postDeviceNotify(unsigned code, std::uint32_t deviceId) override {
        std::lock_guard lock(mutex_);
        notices_.push_back({code, deviceId});
    }
    std::vector<Notice> notices() const {
        std::lock_guard lock(mutex_);
        return notices_;
    }
    std::vector<unsigned> codes() const {
        std::lock_guard lock(mutex_);
        std::vector<unsigned> out;
        for (const Notice& n : notices_) out.push_back(n.code);
        return out;
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return notices_.size();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        notices_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Notice> notices_;
};

}  // namespace quorbel::testing
