#include "audio/block_copy.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "audio/sound_file_writer.h"

namespace quorbel {

BlockCopy::BlockCopy(std::shared_ptr<SoundBlock> block, std::string file,
                     std::vector<std::uint8_t> fmt)
    : m_block(std::move(block)), m_file(std::move(file)), m_fmt(std::move(fmt)) {
    // The thread reads only the block's bytes, which never change; its home stays the window
    // thread's to change.
    m_thread = std::thread([this, bytes = PieceList(m_block->bytes)] {
        // The lowest priority: the copy only fills time nothing else wants.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
        try {
            m_error =
                writeSoundFile(m_file, m_fmt, bytes, SaveDurability::Scratch, nullptr, &m_progress);
        } catch (const WorkCancelled&) {
            m_error = WaveFailure(WaveFault::FileUnwritable, m_file, ECANCELED);
        }
        m_done.store(true, std::memory_order_release);
    });
}

BlockCopy::~BlockCopy() {
    m_progress.Cancel();
    if (m_thread.joinable()) m_thread.join();
}

bool BlockCopy::Wait() {
    if (m_thread.joinable()) m_thread.join();
    return !m_error;
}

}  // namespace quorbel
