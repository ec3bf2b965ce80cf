#pragma once

#include <memory>
#include <string>

namespace quorbel {

// Holds PortAudio initialised for as long as any owner lives: the backend and every stream it
// opened share one instance, so the library is terminated only after the last stream closed.
class PortAudioLibrary {
  public:
    PortAudioLibrary();
    ~PortAudioLibrary();
    PortAudioLibrary(const PortAudioLibrary&) = delete;
    PortAudioLibrary& operator=(const PortAudioLibrary&) = delete;

    bool ok() const { return ok_; }
    // Why initialisation failed; empty when ok().
    const std::string& error() const { return error_; }

  private:
    bool ok_ = false;
    std::string error_;
};

}  // namespace quorbel
