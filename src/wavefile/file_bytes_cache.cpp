// A small table of weakly held data chunks keyed by file identity, guarded by one mutex (the
// device's reader and the view both ask it, always off the audio thread).

#include "wavefile/file_bytes_cache.h"

#include <sys/stat.h>

#include <mutex>
#include <vector>

namespace quorbel {
namespace {

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
};

std::optional<Identity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return Identity{st.st_dev, st.st_ino, st.st_size,
                    std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

struct Entry {
    Identity identity;
    std::uint64_t offset = 0;
    std::size_t size = 0;
    std::weak_ptr<const std::uint8_t[]> bytes;
};

std::mutex g_mutex;
std::vector<Entry> g_entries;

// Drops entries whose bytes nobody holds any more. Called with the mutex held.
void Prune() {
    std::erase_if(g_entries, [](const Entry& e) { return e.bytes.expired(); });
}

}  // namespace

void RememberFileBytes(const std::string& path, std::uint64_t offset, const SharedBytes& bytes) {
    const std::optional<Identity> identity = IdentityOf(path);
    if (!identity || !bytes.data) return;
    std::lock_guard lock(g_mutex);
    Prune();
    std::erase_if(g_entries, [&](const Entry& e) {
        return e.identity.device == identity->device && e.identity.inode == identity->inode;
    });
    g_entries.push_back(Entry{*identity, offset, bytes.size, bytes.data});
}

std::optional<SharedBytes> CachedFileBytes(const std::string& path, std::uint64_t offset,
                                           std::uint64_t size) {
    const std::optional<Identity> identity = IdentityOf(path);
    if (!identity) return std::nullopt;
    std::lock_guard lock(g_mutex);
    Prune();
    for (const Entry& e : g_entries) {
        if (e.identity == *identity && e.offset == offset && e.size == size) {
            if (auto held = e.bytes.lock()) return SharedBytes{std::move(held), e.size};
        }
    }
    return std::nullopt;
}

}  // namespace quorbel
