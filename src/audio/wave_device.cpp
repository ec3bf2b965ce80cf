#include "audio/wave_device.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "audio/audio_backend.h"
#include "audio/capture_blocks.h"
#include "audio/clock.h"
#include "audio/playback_feed.h"
#include "audio/playback_ring.h"
#include "audio/recording_merge.h"
#include "audio/recording_spool.h"
#include "audio/sound_file_reader.h"
#include "audio/sound_file_writer.h"
#include "audio/wave_format.h"
#include "res/wave_messages.h"
#include "wavefile/byte_buffer.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// New sounds record in CD quality.
constexpr StreamFormat kNewSoundFormat{44100, 2, SampleType::S16};
// How much captured audio one read moves out of the backend at most.
constexpr std::size_t kDrainStep = 64 * 1024;
// How often the worker refills a playing ring and drains a recording. A playback ring holds
// half a second and a capture ring seconds, so 20 ms leaves either far from running out, and
// wakes the machine a quarter as often as every 5 ms did.
constexpr auto kWorkerPeriod = std::chrono::milliseconds(20);

enum class Mode { Stopped, Playing, Recording };

using SpoolRef = std::shared_ptr<RecordingSpool>;

struct Device {
    DeviceId id = 0;
    std::string element;  // "" for a new sound, else the file's canonical path
    std::vector<std::uint8_t> fmt;
    StreamFormat format;
    PieceList data;  // whole frames, shared and never changed: a recording makes a new one
    std::uint64_t position = 0;  // frames
    Mode mode = Mode::Stopped;
    NotifySink* notify = nullptr;

    std::unique_ptr<PlaybackStream> playback;
    std::unique_ptr<PlaybackFeed> feed;  // fills the running play's ring
    std::uint64_t playStart = 0;

    std::unique_ptr<CaptureStream> capture;
    RecordMode recordMode = RecordMode::Insert;
    std::uint64_t recordStart = 0;
    CaptureBlocks recorded;   // captured so far; merged into `data` when the recording ends
    SpoolRef spool;           // the file the running recording also goes to, when asked for
    std::size_t spooled = 0;  // bytes of `recorded` handed to the spool so far

    LostSound lost;               // what the last play or recording that ended lost
    SpoolRef lostSpool;           // the spool of that recording: its failure belongs to `lost`
    bool stoppedAtLimit = false;  // the last recording filled what a sound holds

    std::size_t frameBytes() const { return format.bytesPerFrame(); }
    // The most frames a sound holds: a recording stops there (past 4 GiB it is saved as RF64).
    std::uint64_t maxFrames() const { return MaxSoundBytes(frameBytes()) / frameBytes(); }
    // The frames of the recording that fit within maxFrames().
    std::uint64_t keptRecordedFrames() const {
        const std::uint64_t before =
            recordMode == RecordMode::Insert ? frames() : std::min(recordStart, frames());
        const std::uint64_t room = maxFrames() > before ? maxFrames() - before : 0;
        return std::min(recordedFrames(), room);
    }
    std::uint64_t frames() const { return data.size() / frameBytes(); }
    std::uint64_t recordedFrames() const { return recorded.size() / frameBytes(); }
};

struct Notice {
    NotifySink* sink;
    unsigned code;
    DeviceId id;
};

// What ending plays and recordings leaves for after the device lock: notices to post and the
// spools of ended recordings, which finish writing meanwhile without holding up the devices.
struct Ended {
    std::vector<Notice> notices;
    std::vector<SpoolRef> spools;
};

void post(const std::vector<Notice>& notices) {
    for (const Notice& n : notices) {
        if (n.sink != nullptr) n.sink->postDeviceNotify(n.code, n.id);
    }
}

// Commands settle after the device lock is released: they return once the spools of the
// recordings they ended are complete, and post their notices then, so a sink may call back in.
// The worker posts under the lock and never waits for a spool (see service()).
void settle(const Ended& ended) {
    for (const SpoolRef& spool : ended.spools) spool->waitUntilWritten();
    post(ended.notices);
}

const SteadyClock kSteadyClock;

std::uint32_t framesToMs(std::uint64_t frames, std::uint32_t rate) {
    const std::uint64_t ms = frames * 1000u / rate;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, UINT32_MAX));
}

// The first frame at or after `ms`, so that reading the position back gives `ms` again.
std::uint64_t msToFrames(std::uint32_t ms, std::uint32_t rate) {
    return (static_cast<std::uint64_t>(ms) * rate + 999u) / 1000u;
}

std::string elementKey(const std::string& element) {
    if (element.empty()) return element;
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(element, ec);
    return ec ? element : canonical.string();
}

// The device's result code for a fault of its file reader, format judgement or writer.
unsigned codeFor(WaveFault fault) {
    switch (fault) {
        case WaveFault::FileNotFound:
            return kDeviceErrFileNotFound;
        case WaveFault::NotRiffWave:
            return kDeviceErrNotWave;
        case WaveFault::FmtMissing:
            return kDeviceErrNoFmt;
        case WaveFault::FmtOversized:
        case WaveFault::FmtTooShort:
        case WaveFault::ExtensionIncomplete:
        case WaveFault::NoChannels:
        case WaveFault::ZeroSampleRate:
        case WaveFault::BlockAlignMismatch:
            return kDeviceErrBadFmt;
        case WaveFault::Ds64Damaged:
        case WaveFault::Ds64Mismatch:
        case WaveFault::DataPastEnd:
            return kDeviceErrNotWave;
        case WaveFault::DataMissing:
            return kDeviceErrNoData;
        case WaveFault::UnknownSubFormat:
        case WaveFault::CompressedFormat:
        case WaveFault::TooManyChannels:
        case WaveFault::BitsMismatch:
        case WaveFault::FloatDepthUnsupported:
        case WaveFault::PcmDepthUnsupported:
            return kDeviceErrUnsupported;
        case WaveFault::SoundOutOfMemory:
        case WaveFault::SoundPastMemory:
            return kDeviceErrOutOfMemory;
        case WaveFault::FileUnwritable:
        case WaveFault::NotReplaced:
        case WaveFault::DiskTooFull:
            return kDeviceErrCannotWrite;
        case WaveFault::SoundTooLarge:
            return kDeviceErrTooLarge;
        default:
            return kDeviceErrCannotRead;
    }
}

// The text of a code when no command has said more about it.
std::string genericText(unsigned code) {
    switch (code) {
        case kDeviceOk:
            return "The command completed successfully.";
        case kDeviceErrAlreadyOpen:
            return "That sound is already open.";
        case kDeviceErrInvalidId:
            return "The device is not open.";
        case kDeviceErrFileNotFound:
            return MessageFor({WaveFault::FileNotFound}).text;
        case kDeviceErrCannotRead:
            return "The file cannot be read.";
        case kDeviceErrNotWave:
            return MessageFor({WaveFault::NotRiffWave}).text;
        case kDeviceErrNoFmt:
            return MessageFor({WaveFault::FmtMissing}).text;
        case kDeviceErrBadFmt:
            return "The file's fmt chunk is damaged.";
        case kDeviceErrNoData:
            return MessageFor({WaveFault::DataMissing}).text;
        case kDeviceErrUnsupported:
            return "Unsupported format: the sound cannot be played.";
        case kDeviceErrOutOfMemory:
            return "Not enough memory for the sound.";
        case kDeviceErrCannotWrite:
            return "The file cannot be written.";
        case kDeviceErrTooLarge:
            return MessageFor({WaveFault::SoundTooLarge}).text;
        case kDeviceErrNoOutput:
            return "no audio output device";
        case kDeviceErrNoInput:
            return "no audio input device";
        default:
            return std::string();
    }
}

}  // namespace

std::string openElsewhereText(const std::string& path) {
    return "Cannot save to " + path +
           ": that file is open in another window. Close it there first, or save under another "
           "name.";
}

struct WaveDevices::Impl {
    Impl(AudioBackend& b, const Clock& c) : backend(b), clock(c) {}

    AudioBackend& backend;
    const Clock& clock;  // times the spools' syncs
    mutable std::mutex mutex;
    std::map<DeviceId, std::unique_ptr<Device>> devices;
    DeviceId lastId = 0;
    std::map<unsigned, std::string> details;  // the latest detailed text of each code

    std::mutex workerMutex;
    std::condition_variable workerWake;
    bool workerQuit = false;
    bool workerKick = false;  // a play or recording started: the idle worker goes back to work

    // True while some device plays or records: only then has the worker anything to do.
    bool anyActive() {
        std::lock_guard lock(mutex);
        for (const auto& [id, d] : devices) {
            if (d->mode != Mode::Stopped) return true;
        }
        return false;
    }

    void kickWorker() {
        {
            std::lock_guard lock(workerMutex);
            workerKick = true;
        }
        workerWake.notify_all();
    }
    std::thread worker;

    unsigned fail(unsigned code, std::string text) {
        details[code] = std::move(text);
        return code;
    }
    // A file that cannot be loaded or saved: its code, with the fault's text as the detail.
    unsigned fail(const WaveFailure& failure) {
        return fail(codeFor(failure.code), MessageFor(failure).text);
    }

    Device* find(DeviceId id) {
        const auto it = devices.find(id);
        return it == devices.end() ? nullptr : it->second.get();
    }

    // Ids are never reused, so a late second close of an old id cannot hit a newer device.
    DeviceId newId() {
        do {
            ++lastId;
        } while (lastId == 0 || devices.count(lastId) != 0);
        return lastId;
    }

    // Moves everything captured so far into the device's recording buffer, and on to its
    // spool.
    static void drainCapture(Device& d) {
        d.recorded.drain([&d](std::span<std::byte> out) { return d.capture->read(out); },
                         kDrainStep);
        feedSpool(d);
    }

    // Hands the spool copies of what was drained since, as far as the sound keeps it (never
    // past what a WAVE file holds). The spool writes them on its own thread.
    static void feedSpool(Device& d) {
        if (!d.spool) return;
        const auto kept = static_cast<std::size_t>(d.keptRecordedFrames() * d.frameBytes());
        if (kept <= d.spooled) return;
        d.recorded.visit(d.spooled, kept - d.spooled,
                         [&d](std::span<const std::uint8_t> piece) { d.spool->append(piece); });
        d.spooled = kept;
    }

    // Refills the running play's ring, and lets a stream without an audio thread of its own
    // take what its clock says is due, in turns until it has caught up (see
    // PlaybackStream::catchUp); a real output's callback takes frames by itself.
    static void pumpPlayback(Device& d) {
        if (!d.playback || !d.feed) return;
        for (;;) {
            const bool wantsMore = d.playback->catchUp();
            const std::size_t added = d.feed->fill();
            if (!wantsMore || added == 0) return;
        }
    }

    // The spool of the last ended recording is let go (once the lock is released, as its
    // writer may still be busy).
    static void dropLostSpool(Device& d, Ended& ended) {
        if (d.lostSpool) ended.spools.push_back(std::move(d.lostSpool));
    }

    // Ends a recording and puts what was captured into the sound; false when memory ran out
    // (the recording is then lost, the sound stays as it was). Its spool gets everything
    // drained whatever becomes of the merge, and is told to finish; `ended` waits for it.
    static bool finishRecording(Device& d, Ended& ended) {
        bool ok = true;
        d.capture->stop();
        d.lost = {true, d.capture->overruns(), d.capture->framesLost(), d.format.sampleRate};
        try {
            drainCapture(d);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
        dropLostSpool(d, ended);
        if (d.spool) {
            feedSpool(d);
            d.spool->finish();
            ended.spools.push_back(d.spool);
            d.lostSpool = std::move(d.spool);
        }
        d.spooled = 0;
        try {
            // The sound is shared and never changed: the recording goes into a new one.
            const std::uint64_t kept = d.keptRecordedFrames();
            const std::uint64_t start = std::min(d.recordStart, d.frames());
            // Only the take is copied, out of its capture blocks into a block of its own;
            // the sound around it is shared by reference.
            ByteBuffer take;
            take.resize(static_cast<std::size_t>(kept * d.frameBytes()));
            d.recorded.moveOut(take);
            d.data = mergeRecording(d.data, start * d.frameBytes(),
                                    PieceList(ShareBytes(std::move(take))), d.recordMode);
            d.position = start + kept;
            if (d.stoppedAtLimit) d.lost.stoppedAtLimitBytes = d.data.size();
        } catch (const std::bad_alloc&) {
            ok = false;
        }
        d.capture.reset();
        d.recorded.clear();
        d.stoppedAtLimit = false;
        return ok;
    }

    // Ends a running play or recording; its notice carries `code` (a play that had already
    // reached its end counts as successful).
    static void endActivity(Device& d, unsigned code, Ended& ended) {
        if (d.mode == Mode::Playing) {
            pumpPlayback(d);
            if (d.playback->finished()) code = kNotifySuccessful;
            // Stop where the listener is, not where the output buffer is: on a real device the
            // two differ by the output latency (a quarter second through a sound server).
            const std::uint64_t played = d.playback->framesHeard();
            d.playback->stop();
            d.lost = lostByPlay(d);
            dropLostSpool(d, ended);
            d.position = std::min(d.playStart + played, d.frames());
            d.playback.reset();
            d.feed.reset();
        } else if (d.mode == Mode::Recording) {
            if (!finishRecording(d, ended)) code = kNotifyFailure;
        } else {
            return;
        }
        ended.notices.push_back({d.notify, code, d.id});
        d.mode = Mode::Stopped;
        d.notify = nullptr;
    }

    static LostSound lostByPlay(const Device& d) {
        return {false, d.playback->underruns(), d.playback->framesLost(), d.format.sampleRate};
    }

    static std::uint64_t currentPosition(Device& d) {
        switch (d.mode) {
            case Mode::Playing:
                pumpPlayback(d);
                return std::min(d.playStart + d.playback->framesHeard(), d.frames());
            case Mode::Recording:
                drainCapture(d);
                return d.recordStart + d.recordedFrames();
            default:
                return d.position;
        }
    }

    static std::uint64_t currentLength(Device& d) {
        if (d.mode != Mode::Recording) return d.frames();
        drainCapture(d);
        if (d.recordMode == RecordMode::Insert) return d.frames() + d.recordedFrames();
        return std::max(d.frames(), d.recordStart + d.recordedFrames());
    }

    // Reads a frame count of device `id` (`framesOf` may drain a running recording, which can
    // run out of memory) as milliseconds.
    unsigned millisecondsOf(DeviceId id, std::uint64_t (*framesOf)(Device&), std::uint32_t& ms) {
        std::lock_guard lock(mutex);
        Device* d = find(id);
        if (d == nullptr) return kDeviceErrInvalidId;
        try {
            ms = framesToMs(framesOf(*d), d->format.sampleRate);
        } catch (const std::bad_alloc&) {
            return kDeviceErrOutOfMemory;
        }
        return kDeviceOk;
    }

    // The device other than `except` that has `key` open, or null.
    Device* holderOf(const std::string& key, DeviceId except) {
        for (const auto& [other, d] : devices) {
            if (other != except && d->element == key) return d.get();
        }
        return nullptr;
    }

    // Opens `element` under a new id; when `replaced` is not 0, that device is closed in the
    // same step, once the new sound is loaded (and stays open when it cannot be).
    unsigned openReplacing(const std::string& element, DeviceId replaced, DeviceId& id,
                           WorkProgress* progress = nullptr) {
        const std::string key = elementKey(element);
        LoadedSound sound;
        if (element.empty()) {
            sound.format = kNewSoundFormat;
            sound.fmt = makePcmFormatRecord(kNewSoundFormat);
        } else {
            {
                // Refuse early, before reading a large file for nothing.
                std::lock_guard lock(mutex);
                if (holderOf(key, replaced) != nullptr) {
                    return fail(kDeviceErrAlreadyOpen, "The file " + element + " is already open.");
                }
            }
            // The file is read without holding the lock, so running plays and recordings of
            // other devices keep being serviced meanwhile.
            if (const WaveError failure =
                    readSoundFile(element, sound, SoundReading::Playable, progress)) {
                std::lock_guard lock(mutex);
                return fail(*failure);
            }
        }
        return install(element, std::move(sound), replaced, id);
    }

    // Puts `sound` in a new device for `element`, closing `replaced` (when not 0) in the same
    // step.
    unsigned install(const std::string& element, LoadedSound sound, DeviceId replaced,
                     DeviceId& id) {
        const std::string key = elementKey(element);
        auto device = std::make_unique<Device>();
        device->element = key;
        device->fmt = std::move(sound.fmt);
        device->format = sound.format;
        device->data = std::move(sound.data);
        Ended ended;
        {
            std::lock_guard lock(mutex);
            if (holderOf(key, replaced) != nullptr) {
                return fail(kDeviceErrAlreadyOpen,
                            element.empty() ? "A new sound is already open: save or close it first."
                                            : "The file " + element + " is already open.");
            }
            if (replaced != 0) {
                const auto it = devices.find(replaced);
                if (it == devices.end()) return kDeviceErrInvalidId;
                endActivity(*it->second, kNotifyAborted, ended);
                device->lost = it->second->lost;
                device->lostSpool = std::move(it->second->lostSpool);
                devices.erase(it);
            }
            device->id = newId();
            id = device->id;
            devices.emplace(id, std::move(device));
        }
        settle(ended);
        return kDeviceOk;
    }

    // The spool of the last ended recording of `id` is complete before another play or
    // recording can replace it (so no device lock is ever held while a spool is busy).
    void waitForLostSpool(DeviceId id) {
        SpoolRef spool;
        {
            std::lock_guard lock(mutex);
            if (Device* d = find(id)) spool = d->lostSpool;
        }
        if (spool) spool->waitUntilWritten();
    }

    // A running recording's spool still gets what was captured and is completed; the spools
    // are waited for (by their destructors) once the lock is released.
    void stopAll() {
        std::vector<SpoolRef> spools;
        std::lock_guard lock(mutex);
        for (auto& [id, d] : devices) {
            if (d->playback) d->playback->stop();
            if (d->capture) d->capture->stop();
            if (d->spool) {
                try {
                    drainCapture(*d);
                } catch (const std::bad_alloc&) {
                }
                feedSpool(*d);
                d->spool->finish();
                spools.push_back(std::move(d->spool));
            }
            if (d->lostSpool) spools.push_back(std::move(d->lostSpool));
        }
        devices.clear();
    }
};

WaveDevices::WaveDevices(AudioBackend& backend) : WaveDevices(backend, kSteadyClock) {}

WaveDevices::WaveDevices(AudioBackend& backend, const Clock& clock)
    : impl_(std::make_unique<Impl>(backend, clock)) {}

WaveDevices::~WaveDevices() {
    stopWorker();
    impl_->stopAll();
}

unsigned WaveDevices::open(const std::string& element, DeviceId& id, WorkProgress* progress) {
    return impl_->openReplacing(element, 0, id, progress);
}

unsigned WaveDevices::reopen(DeviceId id, const std::string& element, DeviceId& newId) {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->find(id) == nullptr) return kDeviceErrInvalidId;
    }
    return impl_->openReplacing(element, id, newId);
}

unsigned WaveDevices::close(DeviceId id) {
    Ended ended;
    {
        std::lock_guard lock(impl_->mutex);
        const auto it = impl_->devices.find(id);
        if (it == impl_->devices.end()) return kDeviceErrInvalidId;
        Impl::endActivity(*it->second, kNotifyAborted, ended);
        Impl::dropLostSpool(*it->second, ended);
        impl_->devices.erase(it);
    }
    settle(ended);
    return kDeviceOk;
}

unsigned WaveDevices::setTimeFormatMilliseconds(DeviceId id) {
    std::lock_guard lock(impl_->mutex);
    return impl_->find(id) ? kDeviceOk : kDeviceErrInvalidId;
}

unsigned WaveDevices::length(DeviceId id, std::uint32_t& ms) {
    return impl_->millisecondsOf(id, &Impl::currentLength, ms);
}

unsigned WaveDevices::sound(DeviceId id, LoadedSound& out) {
    Ended ended;
    unsigned result = kDeviceOk;
    {
        std::lock_guard lock(impl_->mutex);
        Device* d = impl_->find(id);
        if (d == nullptr) return kDeviceErrInvalidId;
        if (d->mode == Mode::Recording) {
            Impl::endActivity(*d, kNotifyAborted, ended);
            if (!ended.notices.empty() && ended.notices.back().code == kNotifyFailure) {
                result = impl_->fail(kDeviceErrOutOfMemory, genericText(kDeviceErrOutOfMemory));
            }
        }
        out.fmt = d->fmt;
        out.format = d->format;
        out.data = d->data;
    }
    settle(ended);
    return result;
}

unsigned WaveDevices::openSound(const std::string& element, LoadedSound sound, DeviceId& id) {
    return impl_->install(element, std::move(sound), 0, id);
}

unsigned WaveDevices::reopenSound(DeviceId id, const std::string& element, LoadedSound sound,
                                  DeviceId& newId) {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->find(id) == nullptr) return kDeviceErrInvalidId;
    }
    return impl_->install(element, std::move(sound), id, newId);
}

unsigned WaveDevices::position(DeviceId id, std::uint32_t& ms) {
    return impl_->millisecondsOf(id, &Impl::currentPosition, ms);
}

unsigned WaveDevices::play(DeviceId id, NotifySink* notify) {
    impl_->waitForLostSpool(id);
    Ended ended;
    unsigned result = kDeviceOk;
    {
        std::lock_guard lock(impl_->mutex);
        Device* d = impl_->find(id);
        if (d == nullptr) return kDeviceErrInvalidId;
        Impl::endActivity(*d, kNotifySuperseded, ended);
        if (d->position >= d->frames()) {
            // Nothing left to play: the play is over at once.
            d->position = d->frames();
            ended.notices.push_back({notify, kNotifySuccessful, id});
        } else {
            // The ring is filled before the stream starts, so the sound starts at once. It
            // holds frames in the type the output plays, converted here on the producer side.
            StreamFormat played = d->format;
            played.type = impl_->backend.playbackType(d->format);
            auto feed = std::make_unique<PlaybackFeed>(
                d->data, d->position,
                std::make_shared<PlaybackRing>(
                    played.bytesPerFrame(),
                    playbackRingFrames(d->format, d->frames() - d->position)),
                d->format.type, played.type);
            feed->fill();
            std::string error;
            auto stream =
                impl_->backend.startPlayback(played, feed->ring(), feed->totalFrames(), error);
            if (!stream) {
                result = impl_->fail(kDeviceErrNoOutput,
                                     error.empty() ? genericText(kDeviceErrNoOutput) : error);
            } else {
                d->playback = std::move(stream);
                d->feed = std::move(feed);
                d->playStart = d->position;
                d->mode = Mode::Playing;
                d->notify = notify;
            }
        }
    }
    settle(ended);
    if (result == kDeviceOk) impl_->kickWorker();
    return result;
}

unsigned WaveDevices::stop(DeviceId id) {
    Ended ended;
    {
        std::lock_guard lock(impl_->mutex);
        Device* d = impl_->find(id);
        if (d == nullptr) return kDeviceErrInvalidId;
        Impl::endActivity(*d, kNotifyAborted, ended);
    }
    settle(ended);
    return kDeviceOk;
}

unsigned WaveDevices::seekToStart(DeviceId id) {
    return seekTo(id, 0);
}

unsigned WaveDevices::seekToEnd(DeviceId id) {
    return seekTo(id, UINT32_MAX);
}

unsigned WaveDevices::seekTo(DeviceId id, std::uint32_t ms) {
    Ended ended;
    {
        std::lock_guard lock(impl_->mutex);
        Device* d = impl_->find(id);
        if (d == nullptr) return kDeviceErrInvalidId;
        Impl::endActivity(*d, kNotifyAborted, ended);
        d->position = std::min(msToFrames(ms, d->format.sampleRate), d->frames());
    }
    settle(ended);
    return kDeviceOk;
}

unsigned WaveDevices::record(DeviceId id, RecordMode mode, NotifySink* notify,
                             const std::string& spoolPath) {
    impl_->waitForLostSpool(id);
    // The spool's file is made without the device lock: creating a file can take a while.
    SpoolRef spool;
    if (!spoolPath.empty()) {
        std::vector<std::uint8_t> fmt;
        {
            std::lock_guard lock(impl_->mutex);
            Device* d = impl_->find(id);
            if (d == nullptr) return kDeviceErrInvalidId;
            fmt = d->fmt;
        }
        spool = std::make_shared<RecordingSpool>(spoolPath, fmt, impl_->clock);
    }
    Ended ended;
    unsigned result = kDeviceOk;
    {
        std::lock_guard lock(impl_->mutex);
        Device* d = impl_->find(id);
        if (d == nullptr) {
            result = kDeviceErrInvalidId;
        } else {
            Impl::endActivity(*d, kNotifySuperseded, ended);
            std::string error;
            auto stream = impl_->backend.startCapture(d->format, error);
            if (!stream) {
                result = impl_->fail(kDeviceErrNoInput,
                                     error.empty() ? genericText(kDeviceErrNoInput) : error);
            } else {
                d->capture = std::move(stream);
                d->recordMode = mode;
                d->recordStart = std::min(d->position, d->frames());
                d->recorded.clear();
                d->spool = std::move(spool);
                d->spooled = 0;
                d->mode = Mode::Recording;
                d->notify = notify;
            }
        }
    }
    settle(ended);
    // A recording that never began leaves no file behind.
    if (spool) spool->discard();
    if (result == kDeviceOk) impl_->kickWorker();
    return result;
}

unsigned WaveDevices::recordStartFrame(DeviceId id, std::uint64_t& frame) {
    std::lock_guard lock(impl_->mutex);
    const Device* d = impl_->find(id);
    if (d == nullptr) return kDeviceErrInvalidId;
    frame = d->recordStart;
    return kDeviceOk;
}

unsigned WaveDevices::saveSound(DeviceId id, const std::string& path, const LoadedSound& sound,
                                SaveDurability durability, WaveError* warning,
                                WorkProgress* progress) {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->find(id) == nullptr) return kDeviceErrInvalidId;
        if (impl_->holderOf(elementKey(path), id) != nullptr) {
            return impl_->fail(kDeviceErrAlreadyOpen, openElsewhereText(path));
        }
    }
    const WaveError failure =
        writeSoundFile(path, sound.fmt, sound.data, durability, warning, progress);
    std::lock_guard lock(impl_->mutex);
    return failure ? impl_->fail(*failure) : kDeviceOk;
}

unsigned WaveDevices::takeLostSound(DeviceId id, LostSound& out) {
    SpoolRef spool;
    {
        std::lock_guard lock(impl_->mutex);
        Device* d = impl_->find(id);
        if (d == nullptr) return kDeviceErrInvalidId;
        out = d->lost;
        d->lost = {};
        spool = std::move(d->lostSpool);
    }
    if (spool) {
        spool->waitUntilWritten();
        if (const WaveError failure = spool->failure()) out.spoolError = MessageFor(*failure).text;
    }
    return kDeviceOk;
}

std::string WaveDevices::errorText(unsigned code) const {
    std::lock_guard lock(impl_->mutex);
    const auto it = impl_->details.find(code);
    if (it != impl_->details.end()) return it->second;
    if (std::string text = genericText(code); !text.empty()) return text;
    return "Unknown device error (code " + std::to_string(code) + ").";
}

std::size_t WaveDevices::openCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->devices.size();
}

void WaveDevices::service() {
    // Declared before the lock: a spool let go here is destroyed only once it is released.
    Ended ended;
    // The worker posts while it still holds the lock: once close() (or a new play or record)
    // has returned on the UI thread, no late notice can reach a sink its owner has destroyed.
    std::lock_guard lock(impl_->mutex);
    for (auto& [id, d] : impl_->devices) {
        if (d->mode == Mode::Playing) Impl::pumpPlayback(*d);
        if (d->mode == Mode::Playing && d->playback->finished()) {
            d->lost = Impl::lostByPlay(*d);
            Impl::dropLostSpool(*d, ended);
            d->playback.reset();
            d->feed.reset();
            d->position = d->frames();
            d->mode = Mode::Stopped;
            ended.notices.push_back({d->notify, kNotifySuccessful, id});
            d->notify = nullptr;
        } else if (d->mode == Mode::Recording) {
            try {
                Impl::drainCapture(*d);
                // A WAVE file cannot hold more: the recording ends there, keeping what fits.
                if (d->keptRecordedFrames() < d->recordedFrames()) {
                    d->stoppedAtLimit = true;
                    Impl::endActivity(*d, kNotifySuccessful, ended);
                }
            } catch (const std::bad_alloc&) {
                Impl::endActivity(*d, kNotifyFailure, ended);
            }
        }
    }
    post(ended.notices);
}

void WaveDevices::waitForSpools() {
    std::vector<SpoolRef> spools;
    {
        std::lock_guard lock(impl_->mutex);
        for (const auto& [id, d] : impl_->devices) {
            if (d->spool) spools.push_back(d->spool);
        }
    }
    for (const SpoolRef& spool : spools) spool->waitUntilWritten();
}

void WaveDevices::startWorker() {
    std::lock_guard lock(impl_->workerMutex);
    if (impl_->worker.joinable()) return;
    impl_->workerQuit = false;
    impl_->worker = std::thread([this] {
        std::unique_lock lock(impl_->workerMutex);
        while (!impl_->workerQuit) {
            lock.unlock();
            service();
            const bool idle = !impl_->anyActive();
            lock.lock();
            const auto wake = [this] { return impl_->workerQuit || impl_->workerKick; };
            // Nothing plays or records: sleep until something starts instead of every period.
            if (idle) {
                impl_->workerWake.wait(lock, wake);
            } else {
                impl_->workerWake.wait_for(lock, kWorkerPeriod, wake);
            }
            impl_->workerKick = false;
        }
    });
}

void WaveDevices::stopWorker() {
    std::thread worker;
    {
        std::lock_guard lock(impl_->workerMutex);
        impl_->workerQuit = true;
        worker = std::move(impl_->worker);
    }
    impl_->workerWake.notify_all();
    if (worker.joinable()) worker.join();
}

}  // namespace quorbel
