#pragma once

// A copy of a block's bytes into a working file, made on a low-priority thread of its own so
// that the window never waits for it: once the copy is whole, a crash no longer depends on the
// user's file staying as it was opened.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/work_progress.h"
#include "wavefile/expected.h"
#include "wavefile/piece_list.h"

namespace quorbel {

class BlockCopy {
  public:
    // Starts writing `block`'s bytes, as the data of a WAVE file with the `fmt ` body `fmt`,
    // into `file` (an empty working file).
    BlockCopy(std::shared_ptr<SoundBlock> block, std::string file, std::vector<std::uint8_t> fmt);
    // Cancels a copy still running and waits for its thread.
    ~BlockCopy();
    BlockCopy(const BlockCopy&) = delete;
    BlockCopy& operator=(const BlockCopy&) = delete;

    const std::shared_ptr<SoundBlock>& Block() const { return m_block; }
    const std::string& File() const { return m_file; }
    bool Done() const { return m_done.load(std::memory_order_acquire); }
    // Waits until it is done: true when the file holds the whole block.
    bool Wait();
    // Why it is not whole, once done; ECANCELED for a copy that was cancelled.
    const WaveError& Error() const { return m_error; }

  private:
    std::shared_ptr<SoundBlock> m_block;
    std::string m_file;
    std::vector<std::uint8_t> m_fmt;
    WorkProgress m_progress;
    WaveError m_error;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

}  // namespace quorbel
