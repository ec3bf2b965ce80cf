#include "wavefile/background_release.h"

#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace quorbel {

void ReleaseInBackground(SharedBytes bytes) {
    if (bytes.size < kBackgroundReleaseBytes || bytes.data.use_count() > 1) return;
    std::thread([owned = std::move(bytes)]() mutable { owned = SharedBytes{}; }).detach();
}

void ReleaseInBackground(PieceList pieces) {
    // Whether this drops the last owner of a large block is not known cheaply (blocks are
    // shared by the pieces of many lists): any large list goes on a thread of its own.
    if (pieces.size() < kBackgroundReleaseBytes) return;
    std::thread([owned = std::move(pieces)]() mutable { owned = PieceList{}; }).detach();
}

void RemoveInBackground(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 &&
        static_cast<std::uint64_t>(st.st_size) >= kBackgroundReleaseBytes) {
        std::thread([path] { ::unlink(path.c_str()); }).detach();
        return;
    }
    ::unlink(path.c_str());
}

}  // namespace quorbel
