#pragma once

// Texts for a stream PortAudio would not open: which device on which host API, what went
// wrong, and what the user can do about it.

#include <portaudio.h>

#include <string>
#include <vector>

#include "audio/portaudio/portaudio_devices.h"

namespace quorbel {

// A PortAudio failure with the host API's own error, which PortAudio keeps only until the
// next call.
struct PaFailure {
    PaError code = paNoError;
    long hostCode = 0;  // ALSA: a negative errno
    std::string hostText;
};

// `err` together with the host error it stands for, read at once.
PaFailure capturePaFailure(PaError err);

// What a user can do about a failure.
enum class FailureHint { Busy, Gone, Format, Server };
FailureHint hintFor(const PaFailure& failure);

// "cannot play on "NAME" (HOST API): WHAT. HINT"
std::string streamErrorText(AudioDirection direction, const AudioDeviceInfo& device,
                            const PaFailure& failure);

// The text when no device of `direction` is there at all, naming the host APIs looked at.
std::string noDeviceText(AudioDirection direction, const std::vector<std::string>& hostApis);

}  // namespace quorbel
