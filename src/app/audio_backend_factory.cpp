#include "app/audio_backend_factory.h"

#include "audio/null_backend.h"
#if QUORBEL_HAVE_PORTAUDIO
#include "audio/portaudio/portaudio_backend.h"
#endif

namespace quorbel {

std::unique_ptr<AudioBackend> createAudioBackend(Clock& clock, std::string& error) {
#if QUORBEL_HAVE_PORTAUDIO
    if (!nullAudioRequested()) return createPortAudioBackend(error);
#else
    (void)error;
#endif
    return std::make_unique<NullAudioBackend>(clock);
}

}  // namespace quorbel
