#pragma once

// Points TMPDIR at a given folder for one test and puts back what was there, so that working
// files land where the test can see (and remove) them.

#include <cstdlib>
#include <optional>
#include <string>

namespace quorbel::testing {

class ScopedTmpDir {
  public:
    explicit ScopedTmpDir(const std::string& dir) {
        if (const char* old = std::getenv("TMPDIR")) saved_ = old;
        setenv("TMPDIR", dir.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (saved_) {
            setenv("TMPDIR", saved_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }
    ScopedTmpDir(const ScopedTmpDir&) = delete;
    ScopedTmpDir& operator=(const ScopedTmpDir&) = delete;

  private:
    std::optional<std::string> saved_;
};

}  // namespace quorbel::testing
