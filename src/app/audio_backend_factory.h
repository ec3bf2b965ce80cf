#pragma once

#include <memory>
#include <string>

#include "audio/audio_backend.h"

namespace quorbel {

class Clock;

// The sound output and input the program uses: the null backend on `clock` when
// QUORBEL_AUDIO=null (or when the program was built without PortAudio), PortAudio otherwise.
// Returns null and sets `error` when the chosen backend cannot start.
std::unique_ptr<AudioBackend> createAudioBackend(Clock& clock, std::string& error);

}  // namespace quorbel
