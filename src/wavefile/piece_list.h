#pragma once

// A sound's bytes as a sequence of pieces, each a stretch of an immutable block: the bytes
// read at open, a recording, a working file an edit wrote, or silence that stores no bytes.
// Blocks are shared by reference, so Cut, Copy, Paste, Undo and Redo make a new list of
// pieces without copying a sample: their cost grows with the number of pieces, never with the
// length of the sound. A list is itself shared: copying one copies a pointer.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "wavefile/peak_summary.h"
#include "wavefile/shared_bytes.h"

namespace quorbel {

// Where a block's bytes can be read again after a crash: the data chunk of a WAVE file, as
// that file was (its size and modification time) when it was known to hold them.
struct BlockHome {
    std::string file;  // "" while no file holds them
    bool own = false;  // one of the program's working files, else a file of the user's
    std::uint64_t fileSize = 0;
    std::int64_t fileModifiedNs = 0;

    friend bool operator==(const BlockHome&, const BlockHome&) = default;
};

struct SoundBlock {
    explicit SoundBlock(SharedBytes b) : bytes(std::move(b)) {}
    const SharedBytes bytes;
    // Read and changed on the window's thread only: the workers that read a sound's bytes
    // never look at it.
    BlockHome home;
    // Min/max summary of the bytes, made in the background (see peak_worker.h).
    BlockPeaks peaks;
    // How many of its float samples are NaN or infinite, when they were counted as the bytes
    // were read (set before the block is shared, read only after).
    std::optional<std::uint64_t> nonFiniteFloats;
};

struct Piece {
    std::shared_ptr<SoundBlock> block;  // null: silence
    std::uint64_t offset = 0;           // into the block
    std::uint64_t length = 0;
    std::uint8_t fill = 0;  // the byte of a silent piece (0, or 128 for 8-bit)
};

class PieceList {
  public:
    PieceList() = default;
    // One piece over all of `bytes`, a new block.
    explicit PieceList(SharedBytes bytes);
    // The same over a block that may already be a piece of other lists.
    static PieceList Whole(std::shared_ptr<SoundBlock> block);
    static PieceList Silence(std::uint64_t bytes, std::uint8_t fill);

    std::uint64_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::span<const Piece> pieces() const;
    // Whether `other` is the very same list (not merely equal bytes): one snapshot of a sound.
    bool SameAs(const PieceList& other) const {
        return m_pieces == other.m_pieces && m_size == other.m_size;
    }

    // The bytes [start, end), both limited to the list.
    PieceList Slice(std::uint64_t start, std::uint64_t end) const;
    // These bytes, then `next`'s.
    PieceList Then(const PieceList& next) const;

    // Copies the bytes from `offset` into `out` (as many as fit and there are).
    void Read(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // The byte at `index` (< size()).
    std::uint8_t At(std::uint64_t index) const;
    // All the bytes in one stretch of memory: the block's own bytes for a list of one piece,
    // else a copy. Throws std::bad_alloc when the copy does not fit.
    SharedBytes Contiguous() const;
    // Every distinct block the pieces use.
    std::vector<std::shared_ptr<SoundBlock>> Blocks() const;

  private:
    struct List {
        std::vector<Piece> pieces;
        std::vector<std::uint64_t> ends;  // the byte after each piece
    };
    static PieceList From(std::vector<Piece> pieces);
    std::size_t PieceAt(std::uint64_t offset) const;

    std::shared_ptr<const List> m_pieces;
    std::uint64_t m_size = 0;
};

// Calls `visit` with the bytes [start, end) of `list` in order, a stretch of memory at a time;
// a silent piece comes as stretches of its fill of at most 64 KiB.
void ForEachStretch(const PieceList& list, std::uint64_t start, std::uint64_t end,
                    const std::function<void(std::span<const std::uint8_t>)>& visit);

}  // namespace quorbel
