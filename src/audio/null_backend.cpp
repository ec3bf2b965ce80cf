#include "audio/null_backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "audio/playback_ring.h"

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
    bool playbackRealTime = false;
    std::optional<SampleType> playbackType;  // the one type the output takes, when set
    // The bytes each playback played, one entry per playback started while kept.
    bool recordPlayed = false;
    std::vector<std::vector<std::byte>> played;
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

// Plays by its clock, with nothing to hear: when looked at, it takes from the ring the frames
// its clock says have been played since it started (elapsed time × rate), and keeps the bytes
// when the backend is asked to. It has no audio thread of its own, so whoever looks at it is
// its consumer; its mutex keeps them one at a time.
//
// A real output cannot wait: when the ring runs dry it plays silence. By default this one
// waits for the ring instead, since the device that feeds it refills the ring and lets it
// catch up in turn (WaveDevices::service, through catchUp()) until it has caught up with its
// clock; so a test may move its clock by any step and lose nothing. With `realTime`, it plays
// silence while the ring is dry and counts it lost, as a real output does.
class NullPlayback final : public PlaybackStream {
  public:
    NullPlayback(const Clock& clock, const StreamFormat& format, std::shared_ptr<PlaybackRing> ring,
                 std::uint64_t total, bool realTime, std::shared_ptr<NullBackendState> shared)
        : clock_(clock),
          start_(clock.nowMicros()),
          rate_(format.sampleRate),
          silence_(format.type == SampleType::U8 ? std::byte{0x80} : std::byte{0}),
          ring_(std::move(ring)),
          total_(total),
          realTime_(realTime),
          shared_(shared),
          loss_(std::move(shared), &NullBackendState::playbackLoss) {
        std::lock_guard lock(shared_->mutex);
        if (shared_->recordPlayed) {
            record_ = shared_->played.size();
            shared_->played.emplace_back();
        }
    }

    std::uint64_t framesPlayed() const override {
        std::lock_guard lock(mutex_);
        advanceLocked();
        return taken_;
    }
    bool finished() const override {
        std::lock_guard lock(mutex_);
        advanceLocked();
        return taken_ == total_;
    }
    std::uint64_t underruns() const override {
        std::lock_guard lock(mutex_);
        advanceLocked();
        return loss_.dropouts() + dryRuns_;
    }
    std::uint64_t framesLost() const override {
        std::lock_guard lock(mutex_);
        advanceLocked();
        return loss_.frames() + silent_;
    }
    bool catchUp() override {
        std::lock_guard lock(mutex_);
        return advanceLocked();
    }
    void stop() override {
        std::lock_guard lock(mutex_);
        advanceLocked();
        stopped_ = true;
    }

  private:
    // Takes what is due by the clock; true when the ring ran dry before this caught up.
    bool advanceLocked() const {
        if (stopped_ || taken_ == total_) return false;
        const std::uint64_t due = framesAfter(clock_.nowMicros() - start_, rate_);
        if (due <= output_) return false;
        const std::uint64_t wanted = std::min(due - output_, total_ - taken_);
        const std::size_t got =
            ring_->consume(static_cast<std::size_t>(std::min<std::uint64_t>(wanted, SIZE_MAX)),
                           [this](std::span<const std::byte> frames) { keep(frames); });
        taken_ += got;
        output_ += got;
        if (got == wanted) {
            dry_ = false;
            return false;
        }
        if (!realTime_) return true;
        // The output played on: silence for the rest of the time due, and the sound goes on
        // from where it stopped once the ring has frames again.
        const std::uint64_t missing = due - output_;
        output_ += missing;
        silent_ += missing;
        if (!dry_) ++dryRuns_;
        dry_ = true;
        keepSilence(missing);
        return false;
    }

    void keep(std::span<const std::byte> frames) const {
        if (!record_) return;
        std::lock_guard lock(shared_->mutex);
        auto& played = shared_->played[*record_];
        played.insert(played.end(), frames.begin(), frames.end());
    }
    void keepSilence(std::uint64_t frames) const {
        if (!record_) return;
        std::lock_guard lock(shared_->mutex);
        auto& played = shared_->played[*record_];
        played.insert(played.end(), static_cast<std::size_t>(frames) * ring_->frameBytes(),
                      silence_);
    }

    mutable std::mutex mutex_;
    const Clock& clock_;
    const std::int64_t start_;
    const std::uint32_t rate_;
    const std::byte silence_;
    const std::shared_ptr<PlaybackRing> ring_;
    const std::uint64_t total_;
    const bool realTime_;
    const std::shared_ptr<NullBackendState> shared_;
    const LossSince loss_;
    std::optional<std::size_t> record_;  // where the played bytes go, when kept
    bool stopped_ = false;
    // What the consumer has done so far; changed by whoever looks at the stream.
    mutable std::uint64_t taken_ = 0;    // frames taken from the ring
    mutable std::uint64_t output_ = 0;   // frames played: those taken and silence
    mutable std::uint64_t silent_ = 0;   // frames of silence played for a dry ring
    mutable std::uint64_t dryRuns_ = 0;  // times the ring ran dry
    mutable bool dry_ = false;           // the ring was dry when last looked at
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
                                                                std::shared_ptr<PlaybackRing> ring,
                                                                std::uint64_t totalFrames,
                                                                std::string& error) {
    bool realTime = false;
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->outputAvailable) {
            error = "no audio output device";
            return nullptr;
        }
        if (!ring || ring->frameBytes() != format.bytesPerFrame()) {
            error = "the playback ring does not hold frames of the sound's format";
            return nullptr;
        }
        shared_->lastPlayback = format;
        ++shared_->playbacks;
        realTime = shared_->playbackRealTime;
    }
    return std::make_unique<NullPlayback>(clock_, format, std::move(ring), totalFrames, realTime,
                                          shared_);
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

SampleType NullAudioBackend::playbackType(const StreamFormat& format) {
    std::lock_guard lock(shared_->mutex);
    return shared_->playbackType.value_or(format.type);
}

void NullAudioBackend::setPlaybackType(std::optional<SampleType> type) {
    std::lock_guard lock(shared_->mutex);
    shared_->playbackType = type;
}

void NullAudioBackend::setPlaybackRealTime(bool realTime) {
    std::lock_guard lock(shared_->mutex);
    shared_->playbackRealTime = realTime;
}

void NullAudioBackend::keepPlayedBytes(bool keep) {
    std::lock_guard lock(shared_->mutex);
    shared_->recordPlayed = keep;
}

std::vector<std::vector<std::byte>> NullAudioBackend::playedBytes() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->played;
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
