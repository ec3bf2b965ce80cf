#include "app/audio_backend_factory.h"

#include "audio/null_backend.h"
#if QUORBEL_HAVE_PORTAUDIO
#include "audio/portaudio/portaudio_backend.h"
#endif

namespace quorbel {

std::unique_ptr<AudioBackend> createAudioBackend(Clock& clock, std::string& error) {
#if QUORBEL_HAVE_PORTAUDIO
    if (!nullAudioRequested()) {
        if (auto backend = makePortAudioBackend()) return backend;
        error = "the sound system could not be started";
        return nullptr;
    }
#endif
    (void)error;
    return std::make_unique<NullAudioBackend>(clock);
}

}  // namespace quorbel
