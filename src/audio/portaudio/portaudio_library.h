#pragma once

#include <portaudio.h>

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

// PortAudio initialised for the rest of the process, for a program that uses it until it
// ends. It is never terminated: terminating unloads ALSA's plugin modules, and the blocks they
// keep for the life of the process would then read as leaks of an unknown module in a leak
// checker's report, hiding real ones. The system frees all of it at exit.
const PortAudioLibrary& processPortAudioLibrary();

// Asks for the stream's callback thread to run with real-time priority where the host API
// offers it (ALSA: FIFO scheduling, granted to root or with an rtprio limit, else ignored).
// On a loaded machine an ordinary thread was starved long enough to leave gaps in the sound.
// Call between opening and starting the stream.
void requestRealtimeCallbacks(PaStream* stream, PaDeviceIndex device);

}  // namespace quorbel
