#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/sound_file_reader.h"
#include "audio/sound_file_writer.h"
#include "framework/message.h"
#include "framework/notify_sink.h"

namespace quorbel {

class AudioBackend;
class Clock;

using DeviceId = std::uint32_t;

// Result codes of device commands. 0 is success; every nonzero code has a printable text
// (WaveDevices::errorText). The values callers depend on are kept stable.
inline constexpr unsigned kDeviceOk = 0;
inline constexpr unsigned kDeviceErrAlreadyOpen = 265;   // that element is already open
inline constexpr unsigned kDeviceErrInvalidId = 300;     // no device with that id is open
inline constexpr unsigned kDeviceErrFileNotFound = 301;  // the file does not exist
inline constexpr unsigned kDeviceErrCannotRead = 302;    // the file cannot be read
inline constexpr unsigned kDeviceErrNotWave = 303;       // not a RIFF WAVE file
inline constexpr unsigned kDeviceErrNoFmt = 304;         // no fmt chunk
inline constexpr unsigned kDeviceErrBadFmt = 305;        // a damaged or inconsistent fmt chunk
inline constexpr unsigned kDeviceErrNoData = 306;        // no data chunk
inline constexpr unsigned kDeviceErrUnsupported = 307;   // a format the device cannot play
inline constexpr unsigned kDeviceErrOutOfMemory = 308;   // the sound does not fit in memory
inline constexpr unsigned kDeviceErrCannotWrite = 309;   // a save could not write its file
inline constexpr unsigned kDeviceErrTooLarge = 310;      // more than a WAVE file can hold
inline constexpr unsigned kDeviceErrNoOutput = 311;      // no audio output device
inline constexpr unsigned kDeviceErrNoInput = 312;       // no audio input device

enum class RecordMode { Insert, Overwrite };

// Sound lost by a play or recording: the dropouts the audio backend counted and the frames
// they cost (estimated where the backend cannot tell exactly).
struct LostSound {
    bool recording = false;  // lost from a recording, else from a play
    std::uint64_t dropouts = 0;
    std::uint64_t frames = 0;
    std::uint32_t sampleRate = 0;
    // A recording that filled what a WAVE file holds stopped there: the bytes it kept.
    std::uint64_t stoppedAtLimitBytes = 0;
    // Why the recording's spool file could not be created or written ("" when it was, or when
    // none was asked for); the recording itself is kept in memory all the same.
    std::string spoolError = {};

    explicit operator bool() const {
        return dropouts > 0 || frames > 0 || stoppedAtLimitBytes > 0 || !spoolError.empty();
    }
    // The duration lost, rounded up to whole milliseconds.
    std::uint64_t milliseconds() const {
        return sampleRate == 0 ? 0 : (frames * 1000 + sampleRate - 1) / sampleRate;
    }
};

// The text that refuses a save onto `path` because another window has that file open.
std::string openElsewhereText(const std::string& path);

// The wave-audio device: a table of open devices keyed by a 32-bit id, each holding one sound
// (format record + PCM bytes) in memory, a position and a mode. Commands mirror what the
// editor relies on; lengths and positions are milliseconds. Public methods are called on the
// UI thread; completion notices go through the NotifySink given to play/record.
class WaveDevices {
  public:
    explicit WaveDevices(AudioBackend& backend);
    // The same with the clock that times the spools' syncs (tests give a manual one).
    WaveDevices(AudioBackend& backend, const Clock& clock);
    ~WaveDevices();
    WaveDevices(const WaveDevices&) = delete;
    WaveDevices& operator=(const WaveDevices&) = delete;

    // Opens `element` (a file path, or "" for a new empty sound). 0 and a new id at position
    // 0, or an error code; kDeviceErrAlreadyOpen when that element is already open.
    // With `progress`, the reading is counted there and may be cancelled (WorkCancelled);
    // safe on another thread while the caller's thread goes on answering.
    unsigned open(const std::string& element, DeviceId& id, WorkProgress* progress = nullptr);
    // Closes `id`; a running play or recording is aborted (notice 4). Harmless when closed.
    unsigned close(DeviceId id);
    unsigned setTimeFormatMilliseconds(DeviceId id);
    unsigned length(DeviceId id, std::uint32_t& ms);
    unsigned position(DeviceId id, std::uint32_t& ms);
    // The sound `id` holds, as a snapshot that later commands never change. A recording in
    // progress is ended and included first (kDeviceErrOutOfMemory when it could not be kept;
    // `out` is then the sound without it).
    unsigned sound(DeviceId id, LoadedSound& out);
    // Opens a device on a sound already in memory. `element` names the file that holds the
    // same sound (it is not read); "" for a sound without one.
    unsigned openSound(const std::string& element, LoadedSound sound, DeviceId& id);
    // The same, closing `id` in the same step (a running play or recording is aborted).
    unsigned reopenSound(DeviceId id, const std::string& element, LoadedSound sound,
                         DeviceId& newId);
    // Plays from the current position to the end; returns at once. The end posts notice 1 to
    // `notify`; a stop, seek or close posts 4; a new play or record posts 2 for the old one.
    unsigned play(DeviceId id, NotifySink* notify);
    unsigned stop(DeviceId id);
    unsigned seekToStart(DeviceId id);
    unsigned seekToEnd(DeviceId id);
    unsigned seekTo(DeviceId id, std::uint32_t ms);
    // Records from the default input at the current position until stopped; returns at once.
    // With a `spoolPath`, the recorded part also goes to that file as it is captured: a new
    // WAVE file (it must not exist; readable by its owner only) whose header counts only what
    // is durable, synced at least once a second, so a crash loses little of the recording.
    // When the recording ends, by whatever command or limit, the file is completed and left
    // where it is; a command that ended it returns once it is complete. A spool that cannot be
    // created or written changes nothing else: takeLostSound() then says why.
    unsigned record(DeviceId id, RecordMode mode, NotifySink* notify,
                    const std::string& spoolPath = {});
    // The frame where the running recording of `id`, or the last one, started (0 before any).
    unsigned recordStartFrame(DeviceId id, std::uint64_t& frame);
    // Writes `sound`, a snapshot of `id`'s sound the caller took (see sound()), as a PCM RIFF
    // WAVE file (fmt then data): nothing of the device is read but whether another device
    // holds `path`, which is refused (kDeviceErrAlreadyOpen) before anything is written. A
    // scratch save writes a working file in place without flushing. `warning`, when given,
    // gets what a save that worked could not keep of the file it replaced (see
    // writeSoundFile). Safe on another thread while the caller's thread goes on answering (it
    // takes the lock only briefly); `progress` counts the bytes written and may cancel before
    // the file takes the target's place.
    unsigned saveSound(DeviceId id, const std::string& path, const LoadedSound& sound,
                       SaveDurability durability, WaveError* warning, WorkProgress* progress);
    // Close and open in one: reads `element` and, only once that worked, closes `id` (a running
    // play or recording is aborted) and opens the element under a new id. On an error `id`
    // stays open as it was, so its sound is never lost to a file that cannot be read back.
    unsigned reopen(DeviceId id, const std::string& element, DeviceId& newId);
    // What the last play or recording of `id` that has ended lost, once: the record is
    // cleared when taken. A reopen by reopen() carries it over to the new id. Waits for that
    // recording's spool to be complete, for its failure.
    unsigned takeLostSound(DeviceId id, LostSound& out);
    // A printable text for any nonzero code. For a code the device has just returned, the text
    // says what exactly went wrong (which file, which format, which system error).
    std::string errorText(unsigned code) const;
    // The same text as the box a failed device command shows: caption "Error", error icon.
    UserMessage errorMessage(unsigned code) const { return {errorText(code), MessageStyle::Error}; }
    // How many devices are open.
    std::size_t openCount() const;

    // Moves running plays and recordings on: refills the rings plays take their frames from,
    // detects the end of a play, drains captured audio into the sound, and posts notices. The
    // worker thread calls it; tests with a manual clock call it directly. It posts while holding
    // the device lock, so a sink's postDeviceNotify must only queue the notice and never call back
    // into the device.
    void service();
    // Waits until the spool of every running recording has written what it was given so far,
    // and made it durable where that was due. Tests with a manual clock call it after service()
    // to read a spool at a known point.
    void waitForSpools();
    // Starts or stops the worker thread that calls service() every few milliseconds.
    void startWorker();
    void stopWorker();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quorbel
