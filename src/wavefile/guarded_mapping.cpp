#include "wavefile/guarded_mapping.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

namespace quorbel {
namespace {

// Copied and swapped in pieces, so a short memory can still keep all the pieces but one.
constexpr std::size_t kRescueBytes = std::size_t{64} << 20;

std::size_t PageRounded(std::size_t bytes) {
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

// The signal a lease break arrives as; its handler only wakes the guard's thread.
int LeaseSignal() {
    return SIGRTMIN + 3;
}

std::atomic<int> g_wakeFd{-1};

void OnLeaseBreaking(int, siginfo_t*, void*) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(g_wakeFd.load(std::memory_order_relaxed), &byte, 1);
    errno = saved;
}

// Fresh private memory holding a copy of `bytes`, or null when there is none to be had.
void* CopyOf(const std::uint8_t* bytes, std::size_t length) {
    void* copy =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (copy == MAP_FAILED) return nullptr;
    std::memcpy(copy, bytes, length);
    ::mprotect(copy, length, PROT_READ);
    return copy;
}

class Guard {
  public:
    static Guard& Instance() {
        // Never destroyed: its thread and signal handler outlive every static destructor.
        static Guard* const guard = new Guard;
        return *guard;
    }

    bool Ready() const { return m_ready; }

    void Watch(std::uint8_t* address, std::size_t length, int fd, const std::string& path) {
        const std::lock_guard lock(m_mutex);
        // A removal or a rename away shows as a change of the file's links or name.
        const int watch =
            m_inotify < 0 ? -1
                          : ::inotify_add_watch(m_inotify, path.c_str(), IN_ATTRIB | IN_MOVE_SELF);
        m_watched.push_back(Watched{address, length, fd, watch, path});
    }

    void Forget(const std::uint8_t* address) {
        const std::lock_guard lock(m_mutex);
        const auto found = std::ranges::find(m_watched, address, &Watched::address);
        if (found == m_watched.end()) return;
        if (found->fd >= 0) ::close(found->fd);
        if (found->watch >= 0) ::inotify_rm_watch(m_inotify, found->watch);
        ::munmap(found->address, found->length);
        m_watched.erase(found);
    }

    void LetGo(const std::uint8_t* first, std::size_t length) {
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        // Whole pages inside the range only: a neighbour's page may be in use by another reader
        // for all this one knows, and dropping it would only cost a fault, but it is not ours.
        const auto from = (reinterpret_cast<std::uintptr_t>(first) + page - 1) / page * page;
        const auto to = (reinterpret_cast<std::uintptr_t>(first) + length) / page * page;
        if (to <= from) return;
        // Under the lock, so the guard cannot put private memory in the mapping's place between
        // the check and the advice: on private memory the advice would zero the sound.
        const std::lock_guard lock(m_mutex);
        for (const Watched& watched : m_watched) {
            const auto start = reinterpret_cast<std::uintptr_t>(watched.address);
            if (watched.fd < 0 || from < start || to > start + watched.length) continue;
            ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
            return;
        }
    }

    std::vector<ChangedWorkingFile> TakeChanged() {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_changed, {});
    }

    void SetWake(std::function<void()> wake) {
        const std::lock_guard lock(m_mutex);
        m_wake = std::move(wake);
    }

  private:
    struct Watched {
        std::uint8_t* address;
        std::size_t length;
        int fd;     // holds the lease; -1 once the bytes are our own
        int watch;  // the inotify watch on its name; -1 once told
        std::string path;
    };

    Guard() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return;
        // The handler never blocks; a full pipe already holds a wake-up.
        ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
        g_wakeFd.store(ends[1]);
        m_inotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        struct sigaction action {};
        action.sa_sigaction = OnLeaseBreaking;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        if (::sigaction(LeaseSignal(), &action, nullptr) != 0) return;
        try {
            std::thread([this, wakeFd = ends[0]] { Keep(wakeFd); }).detach();
        } catch (const std::system_error&) {
            return;
        }
        m_ready = true;
    }

    void Keep(int wakeFd) {
        alignas(inotify_event) char bytes[4096];
        for (;;) {
            pollfd ready[2] = {{wakeFd, POLLIN, 0}, {m_inotify, POLLIN, 0}};
            if (::poll(ready, m_inotify < 0 ? 1 : 2, -1) < 0 && errno != EINTR) return;
            // Drained, never parsed: every file is looked at anew.
            if (ready[0].revents != 0) (void)!::read(wakeFd, bytes, sizeof bytes);
            if (ready[1].revents != 0) (void)!::read(m_inotify, bytes, sizeof bytes);
            std::function<void()> wake;
            {
                const std::lock_guard lock(m_mutex);
                const std::size_t before = m_changed.size();
                for (Watched& watched : m_watched) {
                    // A break under way (or one the kernel already ended) leaves no lease.
                    if (watched.fd >= 0 && ::fcntl(watched.fd, F_GETLEASE) != F_RDLCK) {
                        Rescue(watched);
                    } else if (watched.watch >= 0 && !NamedStill(watched)) {
                        // The mapping keeps the bytes of a file that lost its name; only the
                        // program must stop counting on the name.
                        ::inotify_rm_watch(m_inotify, std::exchange(watched.watch, -1));
                        m_changed.push_back(ChangedWorkingFile{watched.path, 0});
                    }
                }
                if (m_changed.size() != before) wake = m_wake;
            }
            if (wake) wake();
        }
    }

    // Whether the file's name still names the mapped file.
    static bool NamedStill(const Watched& watched) {
        struct stat mapped {
        }, named{};
        if (watched.fd < 0 || ::fstat(watched.fd, &mapped) != 0) return true;
        return ::stat(watched.path.c_str(), &named) == 0 && named.st_dev == mapped.st_dev &&
               named.st_ino == mapped.st_ino;
    }

    // Puts a copy in place of every piece of the mapping, then lets the other program go on.
    void Rescue(Watched& watched) {
        std::uint64_t lost = 0;
        for (std::size_t at = 0; at < watched.length; at += kRescueBytes) {
            const std::size_t bytes = std::min(kRescueBytes, watched.length - at);
            std::uint8_t* piece = watched.address + at;
            void* copy = CopyOf(piece, bytes);
            if (copy != nullptr && ::mremap(copy, PageRounded(bytes), PageRounded(bytes),
                                            MREMAP_MAYMOVE | MREMAP_FIXED, piece) != MAP_FAILED)
                continue;
            if (copy != nullptr) ::munmap(copy, bytes);
            // No memory for this piece: zeros in its place, which cost none and never fault.
            ::mmap(piece, PageRounded(bytes), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED,
                   -1, 0);
            lost += bytes;
        }
        ::fcntl(watched.fd, F_SETLEASE, F_UNLCK);
        ::close(watched.fd);
        watched.fd = -1;
        if (watched.watch >= 0) ::inotify_rm_watch(m_inotify, std::exchange(watched.watch, -1));
        m_changed.push_back(ChangedWorkingFile{watched.path, lost});
    }

    std::mutex m_mutex;
    std::vector<Watched> m_watched;
    std::vector<ChangedWorkingFile> m_changed;
    std::function<void()> m_wake;
    int m_inotify = -1;
    bool m_ready = false;
};

// The file's bytes read into private memory: for a file no lease can guard.
std::shared_ptr<const std::uint8_t[]> ReadIntoMemory(int fd, std::size_t length) {
    void* memory =
        ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return nullptr;
    auto* bytes = static_cast<std::uint8_t*>(memory);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, bytes + done, length - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::munmap(memory, length);
            errno = err;
            return nullptr;
        }
        done += static_cast<std::size_t>(n);
    }
    ::mprotect(memory, length, PROT_READ);
    return std::shared_ptr<const std::uint8_t[]>(
        bytes, [length](const std::uint8_t* p) { ::munmap(const_cast<std::uint8_t*>(p), length); });
}

}  // namespace

std::shared_ptr<const std::uint8_t[]> MapWorkingFile(const std::string& path, std::size_t length) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::uint64_t>(st.st_size) < length) {
        const int err = errno != 0 ? errno : EIO;
        ::close(fd);
        errno = err;
        return nullptr;
    }
    Guard& guard = Guard::Instance();
    // The lease is granted only while nobody has the file open for writing; from then on, no
    // one can without the guard's thread hearing of it first.
    const bool leased = guard.Ready() && ::fcntl(fd, F_SETSIG, LeaseSignal()) == 0 &&
                        ::fcntl(fd, F_SETOWN, ::getpid()) == 0 &&
                        ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
    if (!leased) {
        std::shared_ptr<const std::uint8_t[]> bytes = ReadIntoMemory(fd, length);
        const int err = errno;
        ::close(fd);
        errno = err;
        return bytes;
    }
    void* mapped = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        const int err = errno;
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        ::close(fd);
        errno = err;
        return nullptr;
    }
    auto* bytes = static_cast<std::uint8_t*>(mapped);
    guard.Watch(bytes, length, fd, path);
    return std::shared_ptr<const std::uint8_t[]>(
        bytes, [](const std::uint8_t* p) { Guard::Instance().Forget(p); });
}

void LetMappedPagesGo(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty()) Guard::Instance().LetGo(bytes.data(), bytes.size());
}

std::vector<ChangedWorkingFile> TakeChangedWorkingFiles() {
    return Guard::Instance().TakeChanged();
}

void WhenWorkingFileChanged(std::function<void()> wake) {
    Guard::Instance().SetWake(std::move(wake));
}

}  // namespace quorbel
