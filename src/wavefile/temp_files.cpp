#include "wavefile/temp_files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace quorbel {
namespace {

// Numbers come from a per-process random start stepped by an atomic counter: threads never
// try the same name, other processes rarely do, and exclusive creation settles the rest.
std::uint32_t NextUniqueNumber() {
    static std::atomic<std::uint32_t> counter{std::random_device{}()};
    return counter.fetch_add(1, std::memory_order_relaxed);
}

constexpr int kMaxAttempts = 10000;

}  // namespace

std::string TempDirectory() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env != nullptr && *env != '\0') ? env : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

Expected<std::string> NewTempFileName(const std::string& directory, std::string_view prefix) {
    const std::string stem(prefix.substr(0, 3));
    int lastError = EEXIST;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        char number[16];
        std::snprintf(number, sizeof number, "%08x", NextUniqueNumber());
        std::string path = directory + stem + number + ".tmp";
        errno = 0;
        // "x": fails when the name exists, so the file is ours alone.
        if (std::FILE* file = std::fopen(path.c_str(), "wbx")) {
            if (std::fclose(file) == 0) return path;
            lastError = errno;
            break;
        }
        lastError = errno;
        if (lastError != EEXIST) break;
    }
    WaveFailure failure;
    failure.code = WaveFault::TempFileNotCreated;
    failure.path = directory;
    failure.err = lastError != 0 ? lastError : EIO;
    return failure;
}

Expected<std::string> NewTempFileName(std::string_view prefix) {
    return NewTempFileName(TempDirectory(), prefix);
}

}  // namespace quorbel
