#include "app/builtin_sound_player.h"

#include <cstring>
#include <string>

#include "res/builtin_sound.h"

namespace quorbel {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

bool parsePcmWave(const std::vector<std::uint8_t>& file, StreamFormat& format,
                  std::vector<std::byte>& frames) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos + 8 <= file.size()) {
        const std::uint8_t* chunk = file.data() + pos;
        const std::size_t size = le32(chunk + 4);
        const std::size_t body = pos + 8;
        const std::size_t available = std::min(size, file.size() - body);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && available >= 16) {
            const std::uint16_t tag = le16(chunk + 8);
            const std::uint16_t channels = le16(chunk + 10);
            const std::uint16_t bits = le16(chunk + 22);
            if (tag != 1 || channels == 0 || (bits != 8 && bits != 16)) return false;
            format.channels = channels;
            format.sampleRate = le32(chunk + 12);
            format.type = bits == 8 ? SampleType::U8 : SampleType::S16;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            const std::size_t whole = available - available % format.bytesPerFrame();
            const auto* begin = reinterpret_cast<const std::byte*>(file.data() + body);
            frames.assign(begin, begin + whole);
            return true;
        }
        pos = body + size + (size & 1);
    }
    return false;
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
    stream_ = backend_.startPlayback(format_, frames_, error);
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
