#pragma once

// The one RIFF chunk walker and writer: every reader and writer of WAVE files steps through
// chunks with it, exactly (as a device-saved file is laid out) or tolerantly (as files out in
// the world are).

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "wavefile/byte_order.h"

namespace quorbel {

// Result of a chunk search that reached the end of its parent (or of the file) without a match.
inline constexpr int kRiffChunkNotFound = 265;
// Result of any step that failed on an I/O error.
inline constexpr int kRiffIoError = -1;

// Four-character code as stored in a file: the first character is the lowest byte.
using FourCC = std::uint32_t;

constexpr FourCC MakeFourCC(const char (&code)[5]) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(code[0]), static_cast<std::uint8_t>(code[1]),
        static_cast<std::uint8_t>(code[2]), static_cast<std::uint8_t>(code[3])};
    return LoadLe32(bytes);
}

inline constexpr FourCC kRiffId = MakeFourCC("RIFF");
inline constexpr FourCC kWaveId = MakeFourCC("WAVE");
inline constexpr FourCC kFmtId = MakeFourCC("fmt ");
inline constexpr FourCC kDataId = MakeFourCC("data");
// RF64 and BW64 forms are RIFF forms whose sizes past 4 GiB are kept in a `ds64` chunk.
inline constexpr FourCC kRf64Id = MakeFourCC("RF64");
inline constexpr FourCC kBw64Id = MakeFourCC("BW64");
inline constexpr FourCC kDs64Id = MakeFourCC("ds64");

// Set on a descriptor by CreateChunk: the chunk was written by us, so Ascend fixes its size.
inline constexpr std::uint32_t kChunkCreated = 0x10;

// Describes one chunk. A successful find fills it; a create reads id, size and form type.
struct ChunkInfo {
    FourCC id = 0;
    std::uint32_t size = 0;        // declared size of the content (the form type counts for RIFF)
    FourCC formType = 0;           // RIFF chunks only
    std::uint32_t dataOffset = 0;  // file offset of the content (just after the size field)
    std::uint32_t flags = 0;

    // File offset just past the declared content (before any pad byte).
    std::int64_t End() const { return std::int64_t{dataOffset} + size; }
};

enum class RiffOpenMode {
    Read,         // existing file, read only
    ReadWrite,    // existing file, bytes replaced in place, writes past the end extend it
    CreateWrite,  // created or truncated, write only
    CreateNew,    // created, write only; fails when the name exists
};

// How a search steps from chunk to chunk.
enum class ChunkWalk {
    // Every odd-sized chunk is followed by its pad byte; a RIFF form is searched forward.
    Exact,
    // A pad byte some writer left out is recognised (the byte after the chunk does not start
    // a plausible chunk id but the chunk's end does); a RIFF form must be where the search
    // starts.
    Tolerant,
};

// A buffered RIFF chunk reader/writer over one file. Counts and positions are bytes; every
// operation returns -1 on an I/O error. Closing (or destroying) flushes.
class RiffFile {
  public:
    // Null, with errno set, when the file cannot be opened in that mode.
    static std::unique_ptr<RiffFile> Open(const std::string& path, RiffOpenMode mode);
    // Reads `bytes` (which must outlive the object) as a file. Null when they are empty.
    static std::unique_ptr<RiffFile> OpenMemory(std::span<const std::uint8_t> bytes);
    // Writes through a copy of the open descriptor `fd` (the caller keeps its own); null with
    // errno when it cannot.
    static std::unique_ptr<RiffFile> WriteToDescriptor(int fd);
    // Writes into `bytes` (which must outlive the object) as into a file of that fixed size.
    static std::unique_ptr<RiffFile> WriteToMemory(std::span<std::uint8_t> bytes);

    ~RiffFile();
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;

    // Searches forward from the current position for a RIFF chunk of the given form type (an
    // RF64 or BW64 form too, whose id `riff` then holds). 0 on success with the position at the
    // first subchunk; kRiffChunkNotFound; or -1.
    int FindRiff(ChunkInfo& riff, FourCC formType, ChunkWalk walk = ChunkWalk::Exact);

    // Searches forward from the current position for the chunk `id`, never past the end of
    // `parent`. 0 on success with the position at the chunk's content; kRiffChunkNotFound; or
    // -1.
    int FindChunk(ChunkInfo& chunk, FourCC id, const ChunkInfo& parent,
                  ChunkWalk walk = ChunkWalk::Exact);

    // Moves past the chunk and its pad byte. For a created chunk whose written length differs
    // from its declared size, the size field is corrected first. 0 or -1.
    int Ascend(ChunkInfo& chunk);

    // Writes the chunk header at the current position: 8 bytes, or 12 with the form type when
    // `riff` is set (id "RIFF"). Fills dataOffset and marks the chunk created. 0 or -1.
    int CreateChunk(ChunkInfo& chunk, bool riff);

    // Called after each stretch of a few MiB that Read or Write moved, with its size, so a long
    // transfer can show its progress. It may throw to abandon the transfer; the file is then
    // left as far as it got, for its owner to discard.
    void SetTransferHook(std::function<void(std::int64_t bytes)> hook) { hook_ = std::move(hook); }

    // Bytes read (fewer at the end of the file, 0 there), or -1.
    std::int64_t Read(void* buffer, std::int64_t count);
    // Bytes written, or -1.
    std::int64_t Write(const void* buffer, std::int64_t count);
    // `origin` is SEEK_SET, SEEK_CUR or SEEK_END. The new position, or -1.
    std::int64_t Seek(std::int64_t offset, int origin);

    std::int64_t Position() const { return position_; }
    // Current length of the file in bytes (pending writes included), or -1.
    std::int64_t Size();

    // Pushes buffered writes to the file. 0 or -1.
    int Flush();

    // The system's descriptor of the open file (for fstat, fsync, fchmod), or -1.
    int Descriptor() const;

    // Flushes and closes. 0, or -1 when the flush failed. Later calls fail with -1.
    int Close();

  private:
    enum class LastOp { None, Read, Write };

    RiffFile(std::FILE* file, RiffOpenMode mode);
    bool PrepareFor(LastOp op);
    std::int64_t ReadSome(void* buffer, std::int64_t count);
    std::int64_t WriteSome(const void* buffer, std::int64_t count);
    // 0 with the header read; kRiffChunkNotFound when the file ends first; or -1.
    int ReadHeader(FourCC& id, std::uint32_t& size);
    // Whether a chunk header that fits before `end` starts at `offset` with a printable id.
    bool PlausibleChunkAt(std::int64_t offset, std::int64_t end);
    // Where the chunk at `start` of declared `size` is followed by the next one.
    std::int64_t NextChunk(std::int64_t start, std::uint32_t size, std::int64_t end,
                           ChunkWalk walk);

    std::FILE* file_;
    RiffOpenMode mode_;
    std::int64_t position_ = 0;
    LastOp lastOp_ = LastOp::None;
    std::unique_ptr<char[]> buffer_;
    std::function<void(std::int64_t)> hook_;
};

}  // namespace quorbel
