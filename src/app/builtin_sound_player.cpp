#include "app/builtin_sound_player.h"

#include <span>
#include <string>

#include "audio/playback_ring.h"
#include "audio/sound_file_reader.h"
#include "res/builtin_sound.h"

namespace quorbel {

bool parsePcmWave(const std::vector<std::uint8_t>& file, StreamFormat& format,
                  std::vector<std::byte>& frames) {
    std::unique_ptr<RiffFile> riff = RiffFile::OpenMemory(file);
    LoadedSound sound;
    if (!riff || readSound(*riff, "", sound)) return false;
    if (sound.format.type != SampleType::U8 && sound.format.type != SampleType::S16) return false;
    const SharedBytes whole = sound.data.Contiguous();
    const auto bytes = std::as_bytes(whole.span());
    format = sound.format;
    frames.assign(bytes.begin(), bytes.end());
    return true;
}

BuiltinSoundPlayer::BuiltinSoundPlayer(AudioBackend& backend) : backend_(backend) {}

BuiltinSoundPlayer::~BuiltinSoundPlayer() {
    stop();
}

bool BuiltinSoundPlayer::play() {
    stop();
    // The sound is made on its first play, not at start-up: most sessions never play it.
    if (!made_) {
        made_ = true;
        if (!parsePcmWave(builtinSoundWav(), format_, frames_)) frames_.clear();
    }
    if (frames_.empty()) return false;
    std::string error;
    stream_ = startPlaybackOfBytes(backend_, format_, frames_, error);
    if (stream_ == nullptr) return false;
    ++playsStarted_;
    return true;
}

void BuiltinSoundPlayer::stop() {
    if (stream_ != nullptr) {
        stream_->stop();
        stream_.reset();
    }
}

bool BuiltinSoundPlayer::isPlaying() const {
    return stream_ != nullptr && !stream_->finished();
}

}  // namespace quorbel
