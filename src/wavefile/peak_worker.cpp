#include "wavefile/peak_worker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "wavefile/guarded_mapping.h"

namespace quorbel {

namespace {

// Frames summarized before the worker turns to the next block: a few MiB of reading.
constexpr std::uint64_t kFramesPerTurn = 16 * kPeakCoarseFrames;

struct Job {
    std::weak_ptr<SoundBlock> block;
    std::shared_ptr<PeakSummary> summary;
};

class PeakWorker {
  public:
    void Add(Job job) {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
            if (!m_started) {
                m_started = true;
                // Lives as long as the process: nothing it holds needs an orderly end.
                std::thread([this] { Run(); }).detach();
            }
        }
        m_wake.notify_all();
    }

    void WaitIdle() {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [&] { return m_jobs.empty() && !m_busy; });
    }

    void Hold(int change) {
        {
            const std::lock_guard lock(m_mutex);
            m_holds += change;
        }
        m_wake.notify_all();
    }

  private:
    void Run() {
        // Below the window's thread and the device's worker, which the user waits on; above
        // the copies that only fill idle time.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return !m_jobs.empty() && m_holds == 0; });
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
            lock.unlock();
            const bool more = Turn(job);
            lock.lock();
            m_busy = false;
            if (more) m_jobs.push_back(std::move(job));
            m_wake.notify_all();
        }
    }

    // One stretch of a job; whether there is more to do.
    static bool Turn(const Job& job) {
        const std::shared_ptr<SoundBlock> block = job.block.lock();
        if (!block || !block->peaks.Keeps(job.summary.get())) return false;
        const std::span<const std::uint8_t> bytes = block->bytes.span();
        const std::uint64_t from = job.summary->summarizedFrames();
        job.summary->MakeSome(bytes, kFramesPerTurn);
        // A working file read once for its summary need not stay in the process's memory.
        const std::uint64_t frameBytes = job.summary->format().frameBytes();
        const std::uint64_t to = job.summary->summarizedFrames();
        LetMappedPagesGo(bytes.subspan(from * frameBytes, (to - from) * frameBytes));
        return !job.summary->complete();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_started = false;
    bool m_busy = false;
    int m_holds = 0;
};

PeakWorker& Worker() {
    // Never destroyed: its thread may still run while the process ends.
    static PeakWorker* worker = new PeakWorker;
    return *worker;
}

}  // namespace

std::shared_ptr<const PeakSummary> PeakSummaryOf(const std::shared_ptr<SoundBlock>& block,
                                                 const PeakFormat& format) {
    if (!block || format.frameBytes() == 0) return nullptr;
    bool made = false;
    std::shared_ptr<PeakSummary> summary =
        block->peaks.For(format, block->bytes.size / format.frameBytes(), made);
    if (made && !summary->complete()) Worker().Add({block, summary});
    return summary;
}

void WaitForPeakSummaries() {
    Worker().WaitIdle();
}

PeakSummaryHold::PeakSummaryHold() {
    Worker().Hold(1);
}

PeakSummaryHold::~PeakSummaryHold() {
    Worker().Hold(-1);
}

}  // namespace quorbel
