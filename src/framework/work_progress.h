#pragma once

// How long work and the window talk while the work runs on another thread: the worker says
// how far it is, the window reads a percentage and may ask it to stop. The worker stops at its
// next checkpoint by throwing WorkCancelled, so every loop unwinds the same way.

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace quorbel {

struct WorkCancelled {};

class WorkProgress {
  public:
    // Worker: the amount of work ahead (any unit: bytes read, bytes written).
    void Begin(std::uint64_t total) {
        m_total.store(std::max<std::uint64_t>(total, 1), std::memory_order_relaxed);
        m_done.store(0, std::memory_order_relaxed);
    }
    // Worker: `amount` more is done. Throws WorkCancelled once a cancel was asked.
    void Advance(std::uint64_t amount) {
        m_done.fetch_add(amount, std::memory_order_relaxed);
        CheckPoint();
    }
    void CheckPoint() const {
        if (CancelRequested()) throw WorkCancelled{};
    }

    // Window: asks the worker to stop; the work's result, if any, is then thrown away.
    void Cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    bool CancelRequested() const { return m_cancel.load(std::memory_order_relaxed); }
    int Percent() const {
        const std::uint64_t total = m_total.load(std::memory_order_relaxed);
        const std::uint64_t done = std::min(m_done.load(std::memory_order_relaxed), total);
        return static_cast<int>(done * 100 / total);
    }

  private:
    std::atomic<std::uint64_t> m_total{1}, m_done{0};
    std::atomic<bool> m_cancel{false};
};

}  // namespace quorbel
