#include "wavefile/background_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace quorbel {
namespace {

void Flush(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return;  // gone meanwhile: nothing left to make durable
    (void)::fsync(fd);
    ::close(fd);
}

class Syncer {
  public:
    static Syncer& Instance() {
        // Never destroyed: its thread may outlive every static destructor.
        static Syncer* const syncer = new Syncer;
        return *syncer;
    }

    void Ask(const std::string& file, const std::string& folder) {
        std::unique_lock lock(m_mutex);
        if (!m_started) {
            try {
                std::thread([this] { Run(); }).detach();
                m_started = true;
            } catch (const std::system_error&) {
                // No thread to spare: flushed here, as before.
                lock.unlock();
                Flush(file, O_RDONLY);
                Flush(folder, O_RDONLY | O_DIRECTORY);
                return;
            }
        }
        std::pair<std::string, std::string> job{file, folder};
        if (std::ranges::find(m_pending, job) == m_pending.end())
            m_pending.push_back(std::move(job));
        m_changed.notify_all();
    }

  private:
    void Run() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return !m_pending.empty(); });
            const auto [file, folder] = std::move(m_pending.front());
            m_pending.pop_front();
            lock.unlock();
            Flush(file, O_RDONLY);
            Flush(folder, O_RDONLY | O_DIRECTORY);
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<std::string, std::string>> m_pending;
    bool m_started = false;
};

}  // namespace

void SyncInBackground(const std::string& file, const std::string& folder) {
    Syncer::Instance().Ask(file, folder);
}

}  // namespace quorbel
