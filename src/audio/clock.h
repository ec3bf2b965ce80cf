#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace quorbel {

// Time source of the null backend: a manual clock in tests, the steady clock otherwise.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMicros() const = 0;
};

class SteadyClock final : public Clock {
  public:
    std::int64_t nowMicros() const override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

class ManualClock final : public Clock {
  public:
    std::int64_t nowMicros() const override { return now_.load(); }
    void advanceMillis(std::int64_t ms) { now_ += ms * 1000; }
    void advanceMicros(std::int64_t us) { now_ += us; }

  private:
    std::atomic<std::int64_t> now_{0};
};

}  // namespace quorbel
