#include "edit/sound_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <future>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "wavefile/guarded_mapping.h"
#include "wavefile/regular_file.h"
#include "wavefile/wave_limits.h"
#include "wavefile/wave_ops.h"

namespace quorbel {

void SoundSink::Begin(std::uint64_t bytes) {
    m_size = bytes;
    m_put = m_counted = 0;
    m_progress.Begin(bytes);
    Start(bytes);
}

void SoundSink::Put(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kPieceBytes);
        if (n > m_size - m_put) throw std::logic_error("more bytes put than the sound holds");
        Append(bytes.first(n));
        m_put += n;
        m_counted += n;
        m_progress.Advance(n);
        bytes = bytes.subspan(n);
    }
}

void SoundSink::Commit(std::size_t bytes) {
    if (bytes > m_size - m_put) throw std::logic_error("more bytes put than the sound holds");
    m_put += bytes;
    const std::size_t done = AppendRoom(bytes);
    m_counted += done;
    m_progress.Advance(done);
}

SharedBytes SoundSink::Finish() {
    if (m_put != m_size) throw std::logic_error("a sound finished before all its bytes");
    SharedBytes bytes = End();
    // Only now is the whole sound in place.
    m_progress.Advance(m_size - m_counted);
    m_counted = m_size;
    return bytes;
}

namespace {

class FileBytes final : public SoundSink {
  public:
    FileBytes(const std::string& path, std::span<const std::uint8_t> fmt, WorkProgress& progress)
        : SoundSink(progress), m_path(path), m_fmt(fmt.begin(), fmt.end()) {
        // Read as well: the finished file is mapped through this descriptor.
        m_fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (m_fd < 0) Failed(errno);
        if (!EmptyFile(m_fd)) {
            const int err = errno;
            ::close(std::exchange(m_fd, -1));
            Failed(err);
        }
    }
    ~FileBytes() override {
        // A piece still being written (after a cancel or a failure) ends before its buffer.
        if (m_writing.valid()) m_writing.wait();
        if (m_fd >= 0) ::close(m_fd);
    }

    std::span<std::uint8_t> Room(std::size_t bytes) override {
        // Two staging buffers for the whole sound: one is filled while the other is written.
        std::vector<std::uint8_t>& staging = m_staging[m_filling];
        if (staging.empty()) staging.resize(kPieceBytes);
        return std::span<std::uint8_t>(staging).first(std::min(bytes, staging.size()));
    }

  protected:
    void Start(std::uint64_t bytes) override {
        if (WaveError refused = CheckSoundFits(m_path, m_fmt, bytes))
            throw SinkWriteFailed{*refused};
        const std::vector<std::uint8_t> header = WaveHeader(m_fmt, bytes);
        if (WaveError refused = CheckDiskRoom(m_fd, m_path, header.size() + bytes))
            throw SinkWriteFailed{*refused};
        m_dataOffset = header.size();
        WriteAll(header);
    }
    void Append(std::span<const std::uint8_t> bytes) override {
        FinishWriting();
        WriteAll(bytes);
    }
    std::size_t AppendRoom(std::size_t bytes) override {
        // The piece before is written first, then this one is written on a thread of its own
        // while the next is made.
        const std::size_t done = FinishWriting();
        const std::span<const std::uint8_t> piece =
            std::span<const std::uint8_t>(m_staging[m_filling]).first(bytes);
        m_filling ^= 1;
        try {
            m_writing = std::async(std::launch::async, [this, piece] { WriteAll(piece); });
        } catch (const std::system_error&) {
            WriteAll(piece);  // no thread to spare: written here, and done
            return done + bytes;
        }
        m_inFlight = bytes;
        return done;
    }
    SharedBytes End() override {
        FinishWriting();
        const std::size_t dataBytes = m_written - m_dataOffset;
        // An odd data chunk ends with its pad byte.
        if (dataBytes % 2 == 1) {
            const std::uint8_t pad = 0;
            WriteAll(std::span<const std::uint8_t>(&pad, 1));
        }
        if (dataBytes == 0) return {};
        // Mapped through a descriptor of its own once this one is closed: the guard's lease
        // can only be had on a file nobody has open for writing.
        if (::close(std::exchange(m_fd, -1)) != 0) Failed(errno);
        const std::shared_ptr<const std::uint8_t[]> whole = MapWorkingFile(m_path, m_written);
        if (!whole) {
            // No room to map the new sound: the same as no memory to hold it.
            if (errno == ENOMEM) throw std::bad_alloc();
            Failed(errno);
        }
        return SharedBytes{std::shared_ptr<const std::uint8_t[]>(whole, whole.get() + m_dataOffset),
                           dataBytes};
    }

  private:
    // Waits for the piece being written, if any; rethrows its failure. Returns its size.
    std::size_t FinishWriting() {
        if (!m_writing.valid()) return 0;
        m_writing.get();
        return std::exchange(m_inFlight, 0);
    }
    [[noreturn]] void Failed(int err) {
        throw SinkWriteFailed{WaveFailure(WaveFault::FileUnwritable, m_path, err != 0 ? err : EIO)};
    }
    void WriteAll(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            // A write that makes no progress is a full disk.
            if (n <= 0) Failed(n < 0 ? errno : ENOSPC);
            m_written += static_cast<std::size_t>(n);
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        }
    }

    std::string m_path;
    std::vector<std::uint8_t> m_fmt;
    int m_fd = -1;
    std::size_t m_written = 0, m_dataOffset = 0;
    std::vector<std::uint8_t> m_staging[2];
    int m_filling = 0;
    std::future<void> m_writing;  // the piece being written
    std::size_t m_inFlight = 0;
};

}  // namespace

std::unique_ptr<SoundSink> WorkingFileSink(const std::string& path,
                                           std::span<const std::uint8_t> fmt,
                                           WorkProgress& progress) {
    return std::make_unique<FileBytes>(path, fmt, progress);
}

}  // namespace quorbel
