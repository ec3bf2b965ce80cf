#include "wavefile/guarded_mapping.h"

#include <fcntl.h>
#include <signal.h>
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
        m_watched.push_back(Watched{address, length, fd, path});
    }

    void Forget(const std::uint8_t* address) {
        const std::lock_guard lock(m_mutex);
        const auto found = std::ranges::find(m_watched, address, &Watched::address);
        if (found == m_watched.end()) return;
        if (found->fd >= 0) ::close(found->fd);
        ::munmap(found->address, found->length);
        m_watched.erase(found);
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
        int fd;  // holds the lease; -1 once the bytes are our own
        std::string path;
    };

    Guard() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return;
        // The handler never blocks; a full pipe already holds a wake-up.
        ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
        g_wakeFd.store(ends[1]);
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
        char bytes[64];
        for (;;) {
            if (::read(wakeFd, bytes, sizeof bytes) < 0 && errno != EINTR) return;
            std::function<void()> wake;
            {
                const std::lock_guard lock(m_mutex);
                const std::size_t before = m_changed.size();
                // A break under way (or one the kernel already ended) leaves no read lease.
                for (Watched& watched : m_watched) {
                    if (watched.fd >= 0 && ::fcntl(watched.fd, F_GETLEASE) != F_RDLCK)
                        Rescue(watched);
                }
                if (m_changed.size() != before) wake = m_wake;
            }
            if (wake) wake();
        }
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
        m_changed.push_back(ChangedWorkingFile{watched.path, lost});
    }

    std::mutex m_mutex;
    std::vector<Watched> m_watched;
    std::vector<ChangedWorkingFile> m_changed;
    std::function<void()> m_wake;
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

std::vector<ChangedWorkingFile> TakeChangedWorkingFiles() {
    return Guard::Instance().TakeChanged();
}

void WhenWorkingFileChanged(std::function<void()> wake) {
    Guard::Instance().SetWake(std::move(wake));
}

}  // namespace quorbel
