// Keeps PortAudio initialised for the whole test run. Each Pa_Terminate unloads ALSA's plugin
// modules, and the blocks those modules keep for the life of the process then show up in the
// leak report as leaks of an unknown module, hiding real ones.
#include "audio/portaudio/portaudio_library.h"

namespace {
[[maybe_unused]] const auto* const keepLoaded = new quorbel::PortAudioLibrary;
}  // namespace
