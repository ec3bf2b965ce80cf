#include "app/audio_backend_factory.h"

#include <cstdlib>

#include "audio/null_backend.h"
#if QUORBEL_HAVE_PORTAUDIO
#include "audio/portaudio/portaudio_backend.h"
#include "audio/portaudio/portaudio_devices.h"
#include "audio/portaudio/portaudio_library.h"
#endif

namespace quorbel {

namespace {

std::string fromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

#if QUORBEL_HAVE_PORTAUDIO
// Says on standard error when a named device is not there, so that a mistyped name shows at
// once rather than at the first Play.
void reportMissingDevice(AudioDirection direction, const std::string& name) {
    if (name.empty()) return;
    std::string error;
    if (findAudioDevice(portAudioDevices(), direction, name, error) == nullptr)
        std::fprintf(stderr, "quorbel: %s\n", error.c_str());
}
#endif

}  // namespace

AudioDeviceChoice audioDeviceChoice(const std::string& outputOption,
                                    const std::string& inputOption) {
    return {outputOption.empty() ? fromEnvironment(kOutputDeviceVariable) : outputOption,
            inputOption.empty() ? fromEnvironment(kInputDeviceVariable) : inputOption};
}

std::unique_ptr<AudioBackend> createAudioBackend(Clock& clock, const AudioDeviceChoice& devices,
                                                 std::string& error) {
#if QUORBEL_HAVE_PORTAUDIO
    if (!nullAudioRequested()) {
        const PortAudioLibrary& library = processPortAudioLibrary();
        if (!library.ok()) {
            error = library.error();
            return nullptr;
        }
        reportMissingDevice(AudioDirection::Output, devices.output);
        reportMissingDevice(AudioDirection::Input, devices.input);
        PortAudioOptions options;
        options.outputDevice = devices.output;
        options.inputDevice = devices.input;
        return makePortAudioBackend(std::move(options));
    }
#endif
    (void)devices;
    (void)error;
    return std::make_unique<NullAudioBackend>(clock);
}

int listAudioDevices(std::FILE* out) {
    if (nullAudioRequested()) {
        std::fprintf(out,
                     "%s=%s chooses the null audio backend: it has no devices; playing and "
                     "recording are silent.\n",
                     kAudioBackendVariable, kNullAudioValue);
        return 0;
    }
#if QUORBEL_HAVE_PORTAUDIO
    const PortAudioLibrary& library = processPortAudioLibrary();
    if (!library.ok()) {
        std::fprintf(stderr, "quorbel: %s\n", library.error().c_str());
        return 1;
    }
    std::fputs(deviceListText(portAudioDevices(), portAudioHostApis()).c_str(), out);
    std::fflush(out);
#else
    std::fputs(
        "This Quorbel was built without PortAudio: it has no audio devices; playing and "
        "recording are silent.\n",
        out);
#endif
    return 0;
}

}  // namespace quorbel
