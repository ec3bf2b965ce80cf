#include "wavefile/piece_list.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <vector>

namespace quorbel {

PieceList::PieceList(SharedBytes bytes) {
    if (bytes.empty()) return;
    *this = Whole(std::make_shared<SoundBlock>(std::move(bytes)));
}

PieceList PieceList::Whole(std::shared_ptr<SoundBlock> block) {
    if (!block || block->bytes.empty()) return {};
    const std::uint64_t size = block->bytes.size;
    return From({Piece{std::move(block), 0, size, 0}});
}

PieceList PieceList::Silence(std::uint64_t bytes, std::uint8_t fill) {
    if (bytes == 0) return {};
    return From({Piece{nullptr, 0, bytes, fill}});
}

PieceList PieceList::From(std::vector<Piece> pieces) {
    PieceList list;
    auto shared = std::make_shared<List>();
    std::uint64_t end = 0;
    for (Piece& piece : pieces) {
        if (piece.length == 0) continue;
        // Two stretches that follow each other in one block are one piece: a Cut undone by a
        // Paste at the same place leaves the list as short as before.
        if (!shared->pieces.empty()) {
            Piece& last = shared->pieces.back();
            const bool joins =
                last.block == piece.block &&
                (piece.block ? last.offset + last.length == piece.offset : last.fill == piece.fill);
            if (joins) {
                last.length += piece.length;
                end += piece.length;
                shared->ends.back() = end;
                continue;
            }
        }
        end += piece.length;
        shared->pieces.push_back(std::move(piece));
        shared->ends.push_back(end);
    }
    if (end == 0) return list;
    list.m_pieces = std::move(shared);
    list.m_size = end;
    return list;
}

std::span<const Piece> PieceList::pieces() const {
    return m_pieces ? std::span<const Piece>(m_pieces->pieces) : std::span<const Piece>();
}

std::size_t PieceList::PieceAt(std::uint64_t offset) const {
    const auto& ends = m_pieces->ends;
    return static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), offset) -
                                    ends.begin());
}

PieceList PieceList::Slice(std::uint64_t start, std::uint64_t end) const {
    end = std::min(end, m_size);
    start = std::min(start, end);
    if (start == end) return {};
    if (start == 0 && end == m_size) return *this;
    std::vector<Piece> out;
    for (std::size_t i = PieceAt(start); i < m_pieces->pieces.size(); ++i) {
        const std::uint64_t pieceEnd = m_pieces->ends[i];
        const std::uint64_t pieceStart = pieceEnd - m_pieces->pieces[i].length;
        if (pieceStart >= end) break;
        Piece piece = m_pieces->pieces[i];
        const std::uint64_t from = std::max(start, pieceStart), to = std::min(end, pieceEnd);
        if (piece.block) piece.offset += from - pieceStart;
        piece.length = to - from;
        out.push_back(std::move(piece));
    }
    return From(std::move(out));
}

PieceList PieceList::Then(const PieceList& next) const {
    if (next.empty()) return *this;
    if (empty()) return next;
    std::vector<Piece> all(pieces().begin(), pieces().end());
    all.insert(all.end(), next.pieces().begin(), next.pieces().end());
    return From(std::move(all));
}

void ForEachStretch(const PieceList& list, std::uint64_t start, std::uint64_t end,
                    const std::function<void(std::span<const std::uint8_t>)>& visit) {
    static constexpr std::size_t kSilence = 64 * 1024;
    end = std::min(end, list.size());
    std::uint64_t pieceStart = 0;
    for (const Piece& piece : list.pieces()) {
        const std::uint64_t pieceEnd = pieceStart + piece.length;
        if (pieceEnd > start && pieceStart < end) {
            const std::uint64_t from = std::max(start, pieceStart) - pieceStart;
            const std::uint64_t to = std::min(end, pieceEnd) - pieceStart;
            if (piece.block) {
                visit(
                    piece.block->bytes.span().subspan(static_cast<std::size_t>(piece.offset + from),
                                                      static_cast<std::size_t>(to - from)));
            } else {
                std::array<std::uint8_t, kSilence> fill;
                fill.fill(piece.fill);
                for (std::uint64_t at = from; at < to; at += kSilence) {
                    const auto n =
                        static_cast<std::size_t>(std::min<std::uint64_t>(kSilence, to - at));
                    visit(std::span<const std::uint8_t>(fill.data(), n));
                }
            }
        }
        if (pieceEnd >= end) break;
        pieceStart = pieceEnd;
    }
}

void PieceList::Read(std::uint64_t offset, std::span<std::uint8_t> out) const {
    if (offset >= m_size || out.empty()) return;
    const std::uint64_t end = offset + std::min<std::uint64_t>(out.size(), m_size - offset);
    std::size_t at = 0;
    std::size_t i = PieceAt(offset);
    std::uint64_t pos = offset;
    while (pos < end) {
        const Piece& piece = m_pieces->pieces[i];
        const std::uint64_t pieceStart = m_pieces->ends[i] - piece.length;
        const auto n = static_cast<std::size_t>(std::min(end, m_pieces->ends[i]) - pos);
        const std::uint64_t from = pos - pieceStart;
        if (piece.block) {
            std::memcpy(out.data() + at, piece.block->bytes.data.get() + piece.offset + from, n);
        } else {
            std::memset(out.data() + at, piece.fill, n);
        }
        at += n;
        pos += n;
        ++i;
    }
}

std::uint8_t PieceList::At(std::uint64_t index) const {
    const std::size_t i = PieceAt(index);
    const Piece& piece = m_pieces->pieces[i];
    if (!piece.block) return piece.fill;
    const std::uint64_t pieceStart = m_pieces->ends[i] - piece.length;
    return piece.block->bytes.data.get()[piece.offset + index - pieceStart];
}

SharedBytes PieceList::Contiguous() const {
    if (empty()) return {};
    const Piece& first = m_pieces->pieces.front();
    if (m_pieces->pieces.size() == 1 && first.block) {
        const SharedBytes& all = first.block->bytes;
        if (first.offset == 0 && first.length == all.size) return all;
        return SharedBytes{
            std::shared_ptr<const std::uint8_t[]>(all.data, all.data.get() + first.offset),
            static_cast<std::size_t>(first.length)};
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(m_size));
    Read(0, bytes);
    return ShareBytes(std::move(bytes));
}

std::vector<std::shared_ptr<SoundBlock>> PieceList::Blocks() const {
    std::vector<std::shared_ptr<SoundBlock>> blocks;
    std::set<const SoundBlock*> seen;
    for (const Piece& piece : pieces()) {
        if (piece.block && seen.insert(piece.block.get()).second) blocks.push_back(piece.block);
    }
    return blocks;
}

}  // namespace quorbel
