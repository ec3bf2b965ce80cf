#pragma once

// Chooses and starts the audio backend, and lists the devices it can use.

#include <cstdio>
#include <memory>
#include <string>

#include "audio/audio_backend.h"

namespace quorbel {

class Clock;

// The environment variables that name the devices, like --output-device and --input-device.
inline constexpr const char* kOutputDeviceVariable = "QUORBEL_OUTPUT_DEVICE";
inline constexpr const char* kInputDeviceVariable = "QUORBEL_INPUT_DEVICE";

// The devices to play on and record from, by name; empty for the default.
struct AudioDeviceChoice {
    std::string output;
    std::string input;
};

// The choice of the command line, a device it leaves empty taken from the environment.
AudioDeviceChoice audioDeviceChoice(const std::string& outputOption,
                                    const std::string& inputOption);

// The sound output and input the program uses: the null backend on `clock` when
// QUORBEL_AUDIO=null (or when the program was built without PortAudio), PortAudio on the
// chosen devices otherwise. Returns null and sets `error` when the chosen backend cannot
// start. A named device that is not there now is reported on standard error; playing or
// recording on it then fails with a box that says why.
std::unique_ptr<AudioBackend> createAudioBackend(Clock& clock, const AudioDeviceChoice& devices,
                                                 std::string& error);

// Prints the devices the backend would choose from (`quorbel --list-devices`) to `out`.
// Returns the program's exit status: 0, or 1 when the sound system could not be started.
int listAudioDevices(std::FILE* out);

}  // namespace quorbel
