#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "audio/playback_ring.h"
#include "audio/portaudio/portaudio_backend.h"

namespace quorbel {
namespace {

constexpr int kHasDevices = 3;  // the machine has a sound card: nothing to check

// Runs in a fresh process whose sound server cannot be reached, so PortAudio starts with
// whatever ALSA has without it: on a machine without a sound card, nothing.
void startBothWithoutServer() {
    PortAudioBackend backend;
    std::string playError, recordError;
    const std::byte frame[4]{};
    auto play = startPlaybackOfBytes(backend, {44100, 2, SampleType::S16}, frame, playError);
    auto record = backend.startCapture({44100, 2, SampleType::S16}, recordError);
    if (play || record) std::exit(kHasDevices);
    // Each says there is none and what to check.
    const bool told = playError.rfind("no audio output device: ", 0) == 0 &&
                      recordError.rfind("no audio input device: ", 0) == 0 &&
                      playError.find("sound server") != std::string::npos;
    std::exit(told ? 0 : 1);
}

TEST(PortAudioWithoutDevices, StartsNothingAndSaysWhy) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // re-executes, so the child reads the env
    const char* old = std::getenv("PULSE_SERVER");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("PULSE_SERVER", "unix:/nonexistent/quorbel-no-server", 1);
    int code = -1;
    EXPECT_EXIT(
        startBothWithoutServer(),
        [&code](int status) {
            code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return code == 0 || code == kHasDevices;
        },
        "");
    if (saved)
        setenv("PULSE_SERVER", saved->c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
    if (code == kHasDevices) GTEST_SKIP() << "this machine has audio devices without a server";
}

}  // namespace
}  // namespace quorbel
