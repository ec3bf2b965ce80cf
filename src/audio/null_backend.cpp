#include "audio/null_backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace quorbel {

bool nullAudioRequested() {
    const char* value = std::getenv(kAudioBackendVariable);
    return value != nullptr && std::strcmp(value, kNullAudioValue) == 0;
}

// State shared by the backend and the streams it started (a stream may outlive its backend).
struct NullBackendState {
    mutable std::mutex mutex;
    std::deque<std::byte> feed;
    bool outputAvailable = true;
    bool inputAvailable = true;
    std::optional<StreamFormat> lastPlayback;
    std::optional<StreamFormat> lastCapture;
    std::size_t playbacks = 0;
    std::size_t captures = 0;
    // Simulated losses so far; each stream reports what was added while it ran.
    struct Loss {
        std::uint64_t dropouts = 0;
        std::uint64_t frames = 0;
    };
    Loss playbackLoss;
    Loss captureLoss;
};

namespace {

// Whole frames produced by a stream of `rate` frames per second after `micros` microseconds.
std::uint64_t framesAfter(std::int64_t micros, std::uint32_t rate) {
    if (micros <= 0) return 0;
    return static_cast<std::uint64_t>(micros) * rate / 1'000'000u;
}

// The loss a stream reports: what was simulated since it started.
class LossSince {
  public:
    LossSince(std::shared_ptr<NullBackendState> shared,
              NullBackendState::Loss NullBackendState::*which)
        : shared_(std::move(shared)), which_(which) {
        std::lock_guard lock(shared_->mutex);
        start_ = (*shared_).*which_;
    }
    std::uint64_t dropouts() const {
        std::lock_guard lock(shared_->mutex);
        return ((*shared_).*which_).dropouts - start_.dropouts;
    }
    std::uint64_t frames() const {
        std::lock_guard lock(shared_->mutex);
        return ((*shared_).*which_).frames - start_.frames;
    }

  private:
    std::shared_ptr<NullBackendState> shared_;
    NullBackendState::Loss NullBackendState::*which_;
    NullBackendState::Loss start_;
};

class NullPlayback final : public PlaybackStream {
  public:
    NullPlayback(const Clock& clock, std::uint32_t rate, std::uint64_t total,
                 std::shared_ptr<NullBackendState> shared)
        : clock_(clock),
          start_(clock.nowMicros()),
          rate_(rate),
          total_(total),
          loss_(std::move(shared), &NullBackendState::playbackLoss) {}

    std::uint64_t framesPlayed() const override {
        std::lock_guard lock(mutex_);
        return playedLocked();
    }
    bool finished() const override {
        std::lock_guard lock(mutex_);
        return playedLocked() == total_;
    }
    std::uint64_t underruns() const override { return loss_.dropouts(); }
    std::uint64_t framesLost() const override { return loss_.frames(); }
    void stop() override {
        std::lock_guard lock(mutex_);
        if (!stopped_) {
            frozen_ = playedLocked();
            stopped_ = true;
        }
    }

  private:
    std::uint64_t playedLocked() const {
        if (stopped_) return frozen_;
        return std::min(total_, framesAfter(clock_.nowMicros() - start_, rate_));
    }

    mutable std::mutex mutex_;
    const Clock& clock_;
    const std::int64_t start_;
    const std::uint32_t rate_;
    const std::uint64_t total_;
    const LossSince loss_;
    bool stopped_ = false;
    std::uint64_t frozen_ = 0;
};

class NullCapture final : public CaptureStream {
  public:
    NullCapture(const Clock& clock, const StreamFormat& format,
                std::shared_ptr<NullBackendState> shared)
        : clock_(clock),
          start_(clock.nowMicros()),
          rate_(format.sampleRate),
          frameBytes_(format.bytesPerFrame()),
          silence_(format.type == SampleType::U8 ? std::byte{0x80} : std::byte{0}),
          shared_(shared),
          loss_(std::move(shared), &NullBackendState::captureLoss) {}

    std::size_t read(std::span<std::byte> out) override {
        std::lock_guard lock(mutex_);
        const std::uint64_t produced =
            stopped_ ? frozen_ : framesAfter(clock_.nowMicros() - start_, rate_);
        const std::uint64_t frames =
            std::min<std::uint64_t>(produced - framesRead_, out.size() / frameBytes_);
        const std::size_t bytes = static_cast<std::size_t>(frames) * frameBytes_;
        {
            std::lock_guard feedLock(shared_->mutex);
            auto& feed = shared_->feed;
            const std::size_t fromFeed = std::min(bytes, feed.size());
            std::copy_n(feed.begin(), fromFeed, out.begin());
            feed.erase(feed.begin(), feed.begin() + static_cast<std::ptrdiff_t>(fromFeed));
            std::fill(out.begin() + static_cast<std::ptrdiff_t>(fromFeed),
                      out.begin() + static_cast<std::ptrdiff_t>(bytes), silence_);
        }
        framesRead_ += frames;
        return bytes;
    }
    std::uint64_t overruns() const override { return loss_.dropouts(); }
    std::uint64_t framesLost() const override { return loss_.frames(); }
    void stop() override {
        std::lock_guard lock(mutex_);
        if (!stopped_) {
            frozen_ = framesAfter(clock_.nowMicros() - start_, rate_);
            stopped_ = true;
        }
    }

  private:
    std::mutex mutex_;
    const Clock& clock_;
    const std::int64_t start_;
    const std::uint32_t rate_;
    const std::size_t frameBytes_;
    const std::byte silence_;
    std::shared_ptr<NullBackendState> shared_;
    const LossSince loss_;
    bool stopped_ = false;
    std::uint64_t frozen_ = 0;
    std::uint64_t framesRead_ = 0;
};

}  // namespace

NullAudioBackend::NullAudioBackend(const Clock& clock)
    : clock_(clock), shared_(std::make_shared<NullBackendState>()) {}

NullAudioBackend::~NullAudioBackend() = default;

std::unique_ptr<PlaybackStream> NullAudioBackend::startPlayback(const StreamFormat& format,
                                                                std::span<const std::byte> frames,
                                                                std::string& error) {
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->outputAvailable) {
            error = "no audio output device";
            return nullptr;
        }
        shared_->lastPlayback = format;
        ++shared_->playbacks;
    }
    return std::make_unique<NullPlayback>(clock_, format.sampleRate,
                                          frames.size() / format.bytesPerFrame(), shared_);
}

std::unique_ptr<CaptureStream> NullAudioBackend::startCapture(const StreamFormat& format,
                                                              std::string& error) {
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->inputAvailable) {
            error = "no audio input device";
            return nullptr;
        }
        shared_->lastCapture = format;
        ++shared_->captures;
    }
    return std::make_unique<NullCapture>(clock_, format, shared_);
}

void NullAudioBackend::feedCapture(std::span<const std::byte> bytes) {
    std::lock_guard lock(shared_->mutex);
    shared_->feed.insert(shared_->feed.end(), bytes.begin(), bytes.end());
}

std::size_t NullAudioBackend::pendingCaptureBytes() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->feed.size();
}

void NullAudioBackend::simulatePlaybackLoss(std::uint64_t dropouts, std::uint64_t frames) {
    std::lock_guard lock(shared_->mutex);
    shared_->playbackLoss.dropouts += dropouts;
    shared_->playbackLoss.frames += frames;
}

void NullAudioBackend::simulateCaptureLoss(std::uint64_t dropouts, std::uint64_t frames) {
    std::lock_guard lock(shared_->mutex);
    shared_->captureLoss.dropouts += dropouts;
    shared_->captureLoss.frames += frames;
}

void NullAudioBackend::setOutputAvailable(bool available) {
    std::lock_guard lock(shared_->mutex);
    shared_->outputAvailable = available;
}

void NullAudioBackend::setInputAvailable(bool available) {
    std::lock_guard lock(shared_->mutex);
    shared_->inputAvailable = available;
}

std::optional<StreamFormat> NullAudioBackend::lastPlaybackFormat() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->lastPlayback;
}

std::optional<StreamFormat> NullAudioBackend::lastCaptureFormat() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->lastCapture;
}

std::size_t NullAudioBackend::playbacksStarted() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->playbacks;
}

std::size_t NullAudioBackend::capturesStarted() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->captures;
}

}  // namespace quorbel
