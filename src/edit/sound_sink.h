#pragma once

// Where an edit puts the bytes of its new sound, in order from the first: the edit's working
// file, written as it goes and then mapped back read-only, so a large sound is neither built
// in fresh memory nor written a second time. Progress counts the bytes
// put, so it reaches its end only once the whole sound is there, and a cancel is seen between
// two pieces of a few MiB.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "framework/work_progress.h"
#include "wavefile/shared_bytes.h"
#include "wavefile/wave_fault.h"

namespace quorbel {

// Thrown by a sink whose file cannot be written (a full disk, a file-size limit): the edit
// is refused with `failure`.
struct SinkWriteFailed {
    WaveFailure failure;
};

class SoundSink {
  public:
    // The most bytes Room hands out at once, and the piece a cancel is checked after.
    static constexpr std::size_t kPieceBytes = std::size_t{4} << 20;

    explicit SoundSink(WorkProgress& progress) : m_progress(progress) {}
    virtual ~SoundSink() = default;
    SoundSink(const SoundSink&) = delete;
    SoundSink& operator=(const SoundSink&) = delete;

    // The new sound has `bytes` bytes of data: called once, before anything is put.
    void Begin(std::uint64_t bytes);
    // Puts `bytes` next, in pieces.
    void Put(std::span<const std::uint8_t> bytes);
    // Room for the next `bytes` (at most kPieceBytes) to be filled, then put with Commit.
    virtual std::span<std::uint8_t> Room(std::size_t bytes) = 0;
    void Commit(std::size_t bytes);
    // Once all the bytes Begin announced are put: the new sound's bytes.
    SharedBytes Finish();

  protected:
    virtual void Start(std::uint64_t bytes) = 0;
    virtual void Append(std::span<const std::uint8_t> bytes) = 0;
    // Puts the first `bytes` of the room; returns how many bytes put so far are now in place
    // and were not yet counted (a sink may still be writing the latest piece).
    virtual std::size_t AppendRoom(std::size_t bytes) = 0;
    // Puts the rest in place.
    virtual SharedBytes End() = 0;

  private:
    WorkProgress& m_progress;
    std::uint64_t m_size = 0, m_put = 0, m_counted = 0;
};

// The new sound written into the working file `path` (an empty file the program made, which
// only it writes): the WAVE header with `fmt` first, then the data as it is put; Finish maps
// the complete file read-only and hands out its data. Throws SinkWriteFailed when the file
// cannot be opened or written, and std::bad_alloc when there is no room to map it; whoever
// made it removes it then.
std::unique_ptr<SoundSink> WorkingFileSink(const std::string& path,
                                           std::span<const std::uint8_t> fmt,
                                           WorkProgress& progress);

}  // namespace quorbel
