#include "wavefile/riff_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>

#include "wavefile/byte_order.h"
#include "wavefile/regular_file.h"

namespace quorbel {
namespace {

// Large enough that header reads and small writes rarely reach the kernel; bulk transfers
// bypass it (the C library reads straight into the caller's buffer).
constexpr std::size_t kBufferSize = 1 << 16;

// The C library's modes; "e" keeps the file from leaking into started programs, "x" refuses
// an existing name.
const char* ModeString(RiffOpenMode mode) {
    switch (mode) {
        case RiffOpenMode::Read:
            return "rbe";
        case RiffOpenMode::ReadWrite:
            return "r+be";
        case RiffOpenMode::CreateWrite:
            return "wbe";
        case RiffOpenMode::CreateNew:
            return "wbxe";
    }
    return "rbe";
}

bool IsChunkIdChar(std::uint8_t c) {
    return c >= 0x20 && c < 0x7F;
}

// Offsets are stored in 32-bit descriptor fields, as RIFF itself limits files to 4 GiB.
constexpr std::int64_t kMaxRiffOffset = 0xFFFFFFFFLL;

}  // namespace

std::unique_ptr<RiffFile> RiffFile::Open(const std::string& path, RiffOpenMode mode) {
    // Only regular files: a named pipe or device would block or never end.
    const int flags = mode == RiffOpenMode::Read        ? O_RDONLY
                      : mode == RiffOpenMode::ReadWrite ? O_RDWR
                                                        : O_WRONLY | O_CREAT | O_TRUNC;
    const RegularFile opened = OpenRegularFile(path, flags);
    if (opened.fd < 0) return nullptr;
    std::FILE* file = ::fdopen(opened.fd, ModeString(mode));
    if (file == nullptr) {
        ::close(opened.fd);
        return nullptr;
    }
    return std::unique_ptr<RiffFile>(new RiffFile(file, mode));
}

std::unique_ptr<RiffFile> RiffFile::WriteToDescriptor(int fd) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return nullptr;
    std::FILE* file = ::fdopen(copy, "wb");
    if (file == nullptr) {
        ::close(copy);
        return nullptr;
    }
    return std::unique_ptr<RiffFile>(new RiffFile(file, RiffOpenMode::CreateWrite));
}

std::unique_ptr<RiffFile> RiffFile::OpenMemory(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    // Opened for reading only, so the C library never writes through the pointer.
    std::FILE* file = ::fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "r");
    if (file == nullptr) return nullptr;
    return std::unique_ptr<RiffFile>(new RiffFile(file, RiffOpenMode::Read));
}

std::unique_ptr<RiffFile> RiffFile::WriteToMemory(std::span<std::uint8_t> bytes) {
    if (bytes.empty()) return nullptr;
    // "r+" neither clears the buffer nor appends.
    std::FILE* file = ::fmemopen(bytes.data(), bytes.size(), "r+");
    if (file == nullptr) return nullptr;
    return std::unique_ptr<RiffFile>(new RiffFile(file, RiffOpenMode::ReadWrite));
}

RiffFile::RiffFile(std::FILE* file, RiffOpenMode mode)
    : file_(file), mode_(mode), buffer_(new char[kBufferSize]) {
    std::setvbuf(file_, buffer_.get(), _IOFBF, kBufferSize);
}

RiffFile::~RiffFile() {
    Close();
}

int RiffFile::Close() {
    if (file_ == nullptr) return kRiffIoError;
    const int flushed = std::fflush(file_);
    const int closed = std::fclose(file_);
    file_ = nullptr;
    return (flushed == 0 && closed == 0) ? 0 : kRiffIoError;
}

int RiffFile::Flush() {
    if (file_ == nullptr) return kRiffIoError;
    return std::fflush(file_) == 0 ? 0 : kRiffIoError;
}

int RiffFile::Descriptor() const {
    return file_ == nullptr ? -1 : ::fileno(file_);
}

// The C library needs a positioning call between a write and a following read (and back).
bool RiffFile::PrepareFor(LastOp op) {
    if (file_ == nullptr) return false;
    if (lastOp_ != LastOp::None && lastOp_ != op) {
        if (std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0) return false;
    }
    lastOp_ = op;
    return true;
}

namespace {

constexpr std::int64_t kHookStretch = std::int64_t{8} << 20;

// Moves `count` bytes in stretches through `some`, telling `hook` of each one: the total moved,
// or the error of a stretch that moved nothing.
template <class Some>
std::int64_t InStretches(std::int64_t count, const std::function<void(std::int64_t)>& hook,
                         Some some) {
    if (!hook) return some(0, count);
    std::int64_t moved = 0;
    while (moved < count) {
        const std::int64_t got = some(moved, std::min(kHookStretch, count - moved));
        if (got <= 0) return moved > 0 ? moved : got;
        moved += got;
        hook(got);
    }
    return moved;
}

}  // namespace

std::int64_t RiffFile::Read(void* buffer, std::int64_t count) {
    return InStretches(count, hook_, [&](std::int64_t from, std::int64_t n) {
        return ReadSome(static_cast<char*>(buffer) + from, n);
    });
}

std::int64_t RiffFile::Write(const void* buffer, std::int64_t count) {
    return InStretches(count, hook_, [&](std::int64_t from, std::int64_t n) {
        return WriteSome(static_cast<const char*>(buffer) + from, n);
    });
}

std::int64_t RiffFile::ReadSome(void* buffer, std::int64_t count) {
    if (count < 0 || mode_ == RiffOpenMode::CreateWrite || !PrepareFor(LastOp::Read)) {
        return kRiffIoError;
    }
    if (count == 0) return 0;
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(count), file_);
    position_ += static_cast<std::int64_t>(got);
    if (got == 0 && std::ferror(file_)) {
        std::clearerr(file_);
        return kRiffIoError;
    }
    std::clearerr(file_);  // an end-of-file mark must not stick to later reads after a seek
    return static_cast<std::int64_t>(got);
}

std::int64_t RiffFile::WriteSome(const void* buffer, std::int64_t count) {
    if (count < 0 || mode_ == RiffOpenMode::Read || !PrepareFor(LastOp::Write)) {
        return kRiffIoError;
    }
    if (count == 0) return 0;
    const std::size_t put = std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_);
    position_ += static_cast<std::int64_t>(put);
    if (put == 0) {
        std::clearerr(file_);
        return kRiffIoError;
    }
    return static_cast<std::int64_t>(put);
}

std::int64_t RiffFile::Seek(std::int64_t offset, int origin) {
    if (file_ == nullptr) return kRiffIoError;
    std::int64_t target = 0;
    switch (origin) {
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = position_ + offset;
            break;
        case SEEK_END: {
            const std::int64_t size = Size();
            if (size < 0) return kRiffIoError;
            target = size + offset;
            break;
        }
        default:
            return kRiffIoError;
    }
    if (target < 0 || target > LONG_MAX) return kRiffIoError;
    if (std::fseek(file_, static_cast<long>(target), SEEK_SET) != 0) return kRiffIoError;
    position_ = target;
    lastOp_ = LastOp::None;
    return position_;
}

std::int64_t RiffFile::Size() {
    if (file_ == nullptr) return kRiffIoError;
    if (std::fseek(file_, 0, SEEK_END) != 0) return kRiffIoError;
    const long end = std::ftell(file_);
    if (std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0) return kRiffIoError;
    lastOp_ = LastOp::None;
    return end < 0 ? kRiffIoError : end;
}

int RiffFile::ReadHeader(FourCC& id, std::uint32_t& size) {
    std::array<std::uint8_t, 8> header{};
    const std::int64_t got = Read(header.data(), 8);
    if (got < 0) return kRiffIoError;
    if (got != 8) return kRiffChunkNotFound;
    id = LoadLe32(header.data());
    size = LoadLe32(header.data() + 4);
    return 0;
}

bool RiffFile::PlausibleChunkAt(std::int64_t offset, std::int64_t end) {
    std::array<std::uint8_t, 4> id{};
    if (offset + 8 > end || Seek(offset, SEEK_SET) < 0 || Read(id.data(), 4) != 4) return false;
    for (std::uint8_t c : id) {
        if (!IsChunkIdChar(c)) return false;
    }
    return true;
}

std::int64_t RiffFile::NextChunk(std::int64_t start, std::uint32_t size, std::int64_t end,
                                 ChunkWalk walk) {
    const std::int64_t next = start + 8 + size;
    if ((size & 1) == 0) return next;
    if (walk == ChunkWalk::Tolerant && !PlausibleChunkAt(next + 1, end) &&
        PlausibleChunkAt(next, end)) {
        return next;
    }
    return next + 1;
}

int RiffFile::FindRiff(ChunkInfo& riff, FourCC formType, ChunkWalk walk) {
    if (file_ == nullptr) return kRiffIoError;
    for (;;) {
        const std::int64_t start = position_;
        FourCC id = 0;
        std::uint32_t size = 0;
        if (const int header = ReadHeader(id, size); header != 0) return header;
        if (id == kRiffId || id == kRf64Id || id == kBw64Id) {
            std::array<std::uint8_t, 4> form{};
            const std::int64_t got = Read(form.data(), 4);
            if (got < 0) return kRiffIoError;
            if (got != 4) return kRiffChunkNotFound;
            if (LoadLe32(form.data()) == formType) {
                riff.id = id;
                riff.size = size;
                riff.formType = formType;
                riff.dataOffset = static_cast<std::uint32_t>(start + 8);
                riff.flags = 0;
                return 0;
            }
        }
        if (walk == ChunkWalk::Tolerant) return kRiffChunkNotFound;
        const std::int64_t next = start + 8 + size + (size & 1);
        if (next > kMaxRiffOffset) return kRiffChunkNotFound;
        if (Seek(next, SEEK_SET) < 0) return kRiffIoError;
    }
}

int RiffFile::FindChunk(ChunkInfo& chunk, FourCC id, const ChunkInfo& parent, ChunkWalk walk) {
    if (file_ == nullptr) return kRiffIoError;
    const std::int64_t parentEnd = parent.End();
    for (;;) {
        const std::int64_t start = position_;
        if (start + 8 > parentEnd) return kRiffChunkNotFound;
        FourCC foundId = 0;
        std::uint32_t size = 0;
        if (const int header = ReadHeader(foundId, size); header != 0) return header;
        if (foundId == id) {
            chunk.id = id;
            chunk.size = size;
            chunk.formType = 0;
            chunk.dataOffset = static_cast<std::uint32_t>(start + 8);
            chunk.flags = 0;
            return 0;
        }
        const std::int64_t next = NextChunk(start, size, parentEnd, walk);
        if (next >= parentEnd) return kRiffChunkNotFound;
        if (Seek(next, SEEK_SET) < 0) return kRiffIoError;
    }
}

int RiffFile::Ascend(ChunkInfo& chunk) {
    if (file_ == nullptr) return kRiffIoError;
    if ((chunk.flags & kChunkCreated) != 0) {
        const std::int64_t written = position_ - chunk.dataOffset;
        if (written < 0 || written > kMaxRiffOffset) return kRiffIoError;
        if (static_cast<std::uint32_t>(written) != chunk.size) {
            std::array<std::uint8_t, 4> sizeField{};
            StoreLe32(sizeField.data(), static_cast<std::uint32_t>(written));
            if (Seek(std::int64_t{chunk.dataOffset} - 4, SEEK_SET) < 0) return kRiffIoError;
            if (Write(sizeField.data(), 4) != 4) return kRiffIoError;
            chunk.size = static_cast<std::uint32_t>(written);
        }
        if (Seek(chunk.End(), SEEK_SET) < 0) return kRiffIoError;
        if ((chunk.size & 1) != 0) {
            const std::uint8_t pad = 0;
            if (Write(&pad, 1) != 1) return kRiffIoError;
        }
        chunk.flags &= ~kChunkCreated;
        return 0;
    }
    return Seek(chunk.End() + (chunk.size & 1), SEEK_SET) < 0 ? kRiffIoError : 0;
}

int RiffFile::CreateChunk(ChunkInfo& chunk, bool riff) {
    if (file_ == nullptr) return kRiffIoError;
    std::array<std::uint8_t, 12> header{};
    const FourCC id = riff ? kRiffId : chunk.id;
    StoreLe32(header.data(), id);
    StoreLe32(header.data() + 4, chunk.size);
    StoreLe32(header.data() + 8, chunk.formType);
    const std::int64_t start = position_;
    if (start + 8 > kMaxRiffOffset) return kRiffIoError;
    const std::int64_t length = riff ? 12 : 8;
    if (Write(header.data(), length) != length) return kRiffIoError;
    chunk.id = id;
    chunk.dataOffset = static_cast<std::uint32_t>(start + 8);
    chunk.flags = kChunkCreated;
    return 0;
}

}  // namespace quorbel
