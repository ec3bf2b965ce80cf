#include "audio/recording_spool.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "wavefile/byte_order.h"
#include "wavefile/wave_limits.h"

namespace quorbel {
namespace {

// Everything in the file before the sound: RIFF header, `fmt ` chunk, `data` chunk header.
std::uint64_t headerBytes(std::uint64_t fmtBytes) {
    return 8 + RiffSizeOf(fmtBytes, 0);
}

bool writeAll(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, p, n);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            if (done == 0) errno = EIO;
            return false;
        }
        p += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

bool writeField(int fd, std::uint32_t value, std::uint64_t offset) {
    std::uint8_t field[4];
    StoreLe32(field, value);
    for (;;) {
        const ssize_t done = ::pwrite(fd, field, sizeof field, static_cast<off_t>(offset));
        if (done == static_cast<ssize_t>(sizeof field)) return true;
        if (done < 0 && errno == EINTR) continue;
        if (done >= 0) errno = EIO;  // four bytes inside the file never go in part
        return false;
    }
}

WaveFailure unwritable(const std::string& path, int err) {
    return WaveFailure(WaveFault::FileUnwritable, path, err != 0 ? err : EIO);
}

// Makes the file's name itself durable, so that it is there to be found after a power cut.
// Some file systems cannot sync a folder; the file is then as safe as they make it anyway.
void syncFolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

RecordingSpool::RecordingSpool(std::string path, std::span<const std::uint8_t> fmt,
                               const Clock& clock)
    : path_(std::move(path)), clock_(clock), fmtBytes_(fmt.size()), maxData_(MaxSoundBytes()) {
    const auto refuse = [this](int err) {
        failure_ = unwritable(path_, err);
        done_ = true;
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    };
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        refuse(errno);
        return;
    }
    created_ = true;

    // Sizes for no sound yet: until the first sync the header claims nothing.
    ByteBuffer header(headerBytes(fmtBytes_), 0);
    std::uint8_t* p = header.data();
    std::memcpy(p, "RIFF", 4);
    StoreLe32(p + 4, static_cast<std::uint32_t>(RiffSizeOf(fmtBytes_, 0)));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    StoreLe32(p + 16, static_cast<std::uint32_t>(fmtBytes_));
    if (!fmt.empty()) std::memcpy(p + 20, fmt.data(), fmt.size());  // a pad byte stays 0
    std::memcpy(p + header.size() - 8, "data", 4);
    if (!writeAll(fd_, header.data(), header.size())) {
        refuse(errno);
        return;
    }

    lastSyncMicros_ = clock_.nowMicros();
    try {
        writer_ = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        refuse(e.code().value());
    }
}

RecordingSpool::~RecordingSpool() {
    finish();
    if (writer_.joinable()) writer_.join();
}

void RecordingSpool::append(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        if (finishing_ || done_ || failure_) return;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), maxData_ - accepted_));
        if (n == 0) return;
        try {
            pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + n);
        } catch (const std::bad_alloc&) {
            failure_ = unwritable(path_, ENOMEM);
            return;
        }
        accepted_ += n;
    }
    wake_.notify_one();
}

void RecordingSpool::finish() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    wake_.notify_one();
}

void RecordingSpool::waitUntilWritten() {
    std::unique_lock lock(mutex_);
    const std::uint64_t ticket = ++requested_;
    wake_.notify_one();
    caughtUp_.wait(lock, [&] { return done_ || handled_ >= ticket; });
}

WaveError RecordingSpool::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void RecordingSpool::discard() {
    finish();
    waitUntilWritten();
    if (created_) ::unlink(path_.c_str());
}

void RecordingSpool::fail(int err) {
    std::lock_guard lock(mutex_);
    if (!failure_) failure_ = unwritable(path_, err);
}

bool RecordingSpool::failed() const {
    std::lock_guard lock(mutex_);
    return failure_.has_value();
}

void RecordingSpool::run() {
    if (::fdatasync(fd_) != 0) fail(errno);
    syncFolderOf(path_);
    for (;;) {
        ByteBuffer batch;
        bool finishing = false;
        std::uint64_t serving = 0;
        {
            std::unique_lock lock(mutex_);
            const auto ready = [this] {
                return !pending_.empty() || finishing_ || requested_ > handled_;
            };
            if (writtenData_ > durableData_ && !failure_) {
                // Sleep no longer than until the next sync is due.
                const std::int64_t left = lastSyncMicros_ + kSyncPeriodMicros - clock_.nowMicros();
                if (left > 0) wake_.wait_for(lock, std::chrono::microseconds(left), ready);
            } else {
                wake_.wait(lock, ready);
            }
            batch.swap(pending_);
            finishing = finishing_;
            serving = requested_;
        }
        if (!batch.empty() && !failed()) writeBatch(batch);
        if (finishing) {
            if (!failed()) makeDurable(true);
            if (::close(fd_) != 0) fail(errno);
            fd_ = -1;
            {
                std::lock_guard lock(mutex_);
                done_ = true;
            }
            caughtUp_.notify_all();
            return;
        }
        if (writtenData_ > durableData_ && !failed() &&
            clock_.nowMicros() - lastSyncMicros_ >= kSyncPeriodMicros) {
            makeDurable(false);
        }
        {
            std::lock_guard lock(mutex_);
            handled_ = serving;
        }
        caughtUp_.notify_all();
    }
}

void RecordingSpool::writeBatch(const ByteBuffer& batch) {
    if (!writeAll(fd_, batch.data(), batch.size())) return fail(errno);
    writtenData_ += batch.size();
}

// Data first, then a header that counts exactly the data now durable, then the header: a file
// cut short at any moment reads as the recording up to its last sync. The RIFF size always
// covers exactly the file's durable bytes (the finished file's pad byte included).
void RecordingSpool::makeDurable(bool final) {
    const std::int64_t started = clock_.nowMicros();
    // The path must still name this file: a removed file or folder takes the recording with it.
    struct stat own {};
    struct stat named {};
    if (::fstat(fd_, &own) != 0) return fail(errno);
    if (::lstat(path_.c_str(), &named) != 0) return fail(errno);
    if (own.st_dev != named.st_dev || own.st_ino != named.st_ino) return fail(ENOENT);

    const bool pad = final && (writtenData_ & 1u) != 0;
    if (pad) {
        const std::uint8_t zero = 0;
        if (!writeAll(fd_, &zero, 1)) return fail(errno);
    }
    if (::fdatasync(fd_) != 0) return fail(errno);
    const std::uint64_t riffSize = RiffSizeOf(fmtBytes_, 0) + writtenData_ + (pad ? 1 : 0);
    // Past 4 GiB the sizes read 0xFFFFFFFF, which a reader takes as every whole frame there.
    const auto field = [](std::uint64_t size) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, 0xFFFFFFFFu));
    };
    if (!writeField(fd_, field(riffSize), 4) ||
        !writeField(fd_, field(writtenData_), headerBytes(fmtBytes_) - 4)) {
        return fail(errno);
    }
    if (::fdatasync(fd_) != 0) return fail(errno);
    durableData_ = writtenData_;
    lastSyncMicros_ = started;
}

}  // namespace quorbel
