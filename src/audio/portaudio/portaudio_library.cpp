#include "audio/portaudio/portaudio_library.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <pa_linux_alsa.h>
#include <portaudio.h>

namespace quorbel {

namespace {

// ALSA reports every device it probes and fails to open on stderr; with no sound card that is
// a page of noise on each start. The errors PortAudio acts on come back through its results.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Likewise the JACK client library, which PortAudio loads, reports that no JACK server runs.
// Its message hooks are looked up at run time so that nothing links JACK directly.
void ignoreJackMessage(const char*) {}

void silenceJack() {
    using SetMessageHook = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* symbol = dlsym(RTLD_DEFAULT, name))
            reinterpret_cast<SetMessageHook>(symbol)(&ignoreJackMessage);
    }
}

}  // namespace

PortAudioLibrary::PortAudioLibrary() {
    snd_lib_error_set_handler(&ignoreAlsaError);
    silenceJack();
    const PaError err = Pa_Initialize();
    ok_ = err == paNoError;
    if (!ok_) error_ = std::string("the audio system did not start: ") + Pa_GetErrorText(err);
}

PortAudioLibrary::~PortAudioLibrary() {
    if (ok_) Pa_Terminate();
}

const PortAudioLibrary& processPortAudioLibrary() {
    static const auto* const library = new PortAudioLibrary;
    return *library;
}

void requestRealtimeCallbacks(PaStream* stream, PaDeviceIndex device) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    const PaHostApiInfo* api = info ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
    if (api && api->type == paALSA) PaAlsa_EnableRealtimeScheduling(stream, 1);
}

}  // namespace quorbel
