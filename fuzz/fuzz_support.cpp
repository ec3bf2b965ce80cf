#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "wavefile/temp_files.h"

namespace quorbel::fuzz {

namespace {

std::set<std::string>& ScratchNames() {
    static std::set<std::string> names;
    return names;
}

}  // namespace

std::string ScratchPath(const char* name) {
    static const std::string prefix =
        TempDirectory() + "quorbel_fuzz_" + std::to_string(::getpid()) + "_";
    return *ScratchNames().insert(prefix + name).first;
}

void RemoveScratchFiles() {
    for (const std::string& name : ScratchNames()) std::remove(name.c_str());
}

bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace quorbel::fuzz
