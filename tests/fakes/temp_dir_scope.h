#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quorbel::testing {

// Points TMPDIR (where working files go) at a folder of the test's own while it lives.
class TempDirScope {
  public:
    explicit TempDirScope(const std::filesystem::path& dir) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old;
        setenv("TMPDIR", dir.c_str(), 1);
    }
    ~TempDirScope() {
        if (old_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", old_.c_str(), 1);
    }
    TempDirScope(const TempDirScope&) = delete;
    TempDirScope& operator=(const TempDirScope&) = delete;

  private:
    std::string old_;
};

}  // namespace quorbel::testing
