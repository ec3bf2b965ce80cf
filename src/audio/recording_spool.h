#pragma once

// A recording written to disk as it grows, so that a crash loses at most its last second or
// two: a WAVE file whose header only ever counts bytes that are already durable. The device
// hands it copies of what it drains from the capture; a thread of the spool's own writes and
// syncs them, so a slow disk never holds up the device lock or the device's worker.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "audio/clock.h"
#include "wavefile/byte_buffer.h"
#include "wavefile/expected.h"

namespace quorbel {

class RecordingSpool {
  public:
    // How often what was written is made durable at most.
    static constexpr std::int64_t kSyncPeriodMicros = 1'000'000;

    // Creates `path`, which must not exist yet (not even as a symbolic link), readable by its
    // owner only, holding a RIFF WAVE header with the `fmt ` chunk body `fmt` and an empty
    // `data` chunk, and starts the writer. `clock` times the syncs. When the file cannot be
    // created the spool has failed from the start: failure() says why, appends are ignored.
    RecordingSpool(std::string path, std::span<const std::uint8_t> fmt, const Clock& clock);
    // Finishes the file (see finish()) and waits for the writer.
    ~RecordingSpool();
    RecordingSpool(const RecordingSpool&) = delete;
    RecordingSpool& operator=(const RecordingSpool&) = delete;

    // Queues a copy of the next bytes of the recording; never waits for the disk. Bytes beyond
    // what a WAVE file holds are dropped. After a failure, or once finishing, does nothing.
    void append(std::span<const std::uint8_t> bytes);
    // Asks the writer to write what is queued, complete the header for all of it, sync and
    // close the file; returns at once. The file stays.
    void finish();
    // Waits until everything appended so far is written (and made durable where that was due
    // or the file finished).
    void waitUntilWritten();
    // The first write, sync or creation that failed, naming the file; nothing while all is well.
    WaveError failure() const;
    // Abandons a spool whose recording never began: finishes it and removes the file it made.
    void discard();

  private:
    void run();
    void writeBatch(const ByteBuffer& batch);
    void makeDurable(bool final);
    void fail(int err);
    bool failed() const;

    const std::string path_;
    const Clock& clock_;
    std::uint64_t fmtBytes_ = 0;
    std::uint64_t maxData_ = 0;  // the most `data` bytes a sound holds
    int fd_ = -1;

    bool created_ = false;  // this spool made the file

    mutable std::mutex mutex_;
    std::condition_variable wake_;      // the writer: new bytes, a wait or the finish
    std::condition_variable caughtUp_;  // waitUntilWritten(): the writer went round once more
    ByteBuffer pending_;                // appended, not yet taken by the writer
    std::uint64_t accepted_ = 0;        // bytes appended and kept, for the WAVE limit
    std::uint64_t requested_ = 0;       // waits asked for...
    std::uint64_t handled_ = 0;         // ...and those a full round of the writer answered
    bool finishing_ = false;
    bool done_ = false;  // the file is closed (or was never made)
    WaveError failure_;

    // The writer's own; the constructor's too, before the writer starts.
    std::uint64_t writtenData_ = 0;
    std::uint64_t durableData_ = 0;
    std::int64_t lastSyncMicros_ = 0;
    bool folderSynced_ = false;

    std::thread writer_;
};

}  // namespace quorbel
