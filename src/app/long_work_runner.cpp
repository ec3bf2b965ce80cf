#include "app/long_work_runner.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "framework/frame_window.h"
#include "framework/work_pace.h"

namespace quorbel {

void LongWorkRunner::run(const CDocument* owner, const std::string& name, WorkProgress& progress,
                         bool cancellable, const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done.store(true, std::memory_order_release);
    });
    QEventLoop loop;
    QTimer poll;
    const auto start = std::chrono::steady_clock::now();
    bool shown = false;  // the frame holds its progress or its Cancel
    const auto offer = [&] {
        std::function<void()> cancel;
        if (cancellable) cancel = [&progress] { progress.Cancel(); };
        shown = OfferWorkProgress(frame_, owner, name, progress.Percent(),
                                  std::chrono::steady_clock::now() - start, std::move(cancel)) ||
                shown;
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done.load(std::memory_order_acquire)) {
            loop.quit();
            return;
        }
        offer();
    });
    poll.start(kWorkPollMs);
    offer();
    if (!done.load(std::memory_order_acquire)) loop.exec();
    // The loop also ends when the program is quitting: the work then stops at its next
    // checkpoint if it may, and is waited for either way.
    if (!done.load(std::memory_order_acquire) && cancellable) progress.Cancel();
    worker.join();
    if (shown) frame_.hideProgress(owner);
}

}  // namespace quorbel
