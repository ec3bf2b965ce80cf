#include "view/scope_peaks.h"

#include <algorithm>
#include <memory>

#include "view/view_layout.h"
#include "wavefile/peak_worker.h"

namespace quorbel {

namespace {

constexpr std::size_t kMaxChannels = 2;

// Enough room for any summary's channels, of which only the first two are kept.
struct Gather {
    std::vector<PeakPair> all;
    explicit Gather(int channels) : all(static_cast<std::size_t>(std::max(channels, 1))) {}
    void reset() { std::fill(all.begin(), all.end(), PeakPair{}); }
    void into(ColumnPeaks& out) const {
        for (std::size_t c = 0; c < kMaxChannels && c < all.size(); ++c) out.channel[c].add(all[c]);
    }
};

// Whether every piece starts and ends on a frame of the block and of the sound, so that the
// blocks' summaries line up with the sound's frames. The program's edits keep them so; a list
// that is not is read sample by sample.
bool FrameAligned(const PieceList& data, std::uint64_t frameBytes) {
    const std::span<const Piece> pieces = data.pieces();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        if (pieces[i].offset % frameBytes != 0) return false;
        if (!last && pieces[i].length % frameBytes != 0) return false;
    }
    return true;
}

// Exact lows and highs of frames [first, last) of the sound, read through the list.
void ExactPeaks(const PieceList& data, const PeakFormat& format, std::uint64_t first,
                std::uint64_t last, Gather& out) {
    const std::uint64_t frameBytes = format.frameBytes();
    std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(last - first, 4096) * frameBytes);
    for (std::uint64_t f = first; f < last;) {
        const std::uint64_t n = std::min<std::uint64_t>(last - f, buffer.size() / frameBytes);
        const std::span<std::uint8_t> bytes(buffer.data(), n * frameBytes);
        data.Read(f * frameBytes, bytes);
        AccumulatePeaks(bytes, format, out.all);
        f += n;
    }
}

// Lows and highs of frames [first, last) of one block: exact samples up to the first bucket
// edge and from the last, the summary between. False while the summary has not reached
// `last`: the stretches it has not reached show the Wave picture as a whole, not a few
// columns short enough to read exactly among them.
bool BlockPeaksOf(const SoundBlock& block, const PeakSummary& summary, std::uint64_t first,
                  std::uint64_t last, Gather& out) {
    if (summary.summarizedFrames() < last) return false;
    const PeakFormat& format = summary.format();
    const std::uint64_t frameBytes = format.frameBytes();
    const auto exact = [&](std::uint64_t from, std::uint64_t to) {
        if (from >= to) return;
        AccumulatePeaks(block.bytes.span().subspan(from * frameBytes, (to - from) * frameBytes),
                        format, out.all);
    };
    const std::uint64_t a =
        std::min(last, (first + kPeakFineFrames - 1) / kPeakFineFrames * kPeakFineFrames);
    const std::uint64_t b =
        last == summary.frames() ? last : std::max(a, last / kPeakFineFrames * kPeakFineFrames);
    if (a < b && !summary.Combine(a, b, out.all)) return false;
    exact(first, a);
    exact(b, last);
    return true;
}

// Walks the pieces under the columns, which come in order of their first frame.
class PieceCursor {
  public:
    PieceCursor(const PieceList& data, const PeakFormat& format)
        : m_pieces(data.pieces()), m_format(format), m_frameBytes(format.frameBytes()) {}

    // Folds frames [first, last) of the sound into `out`; false when a summary lacks them.
    bool Peaks(std::uint64_t first, std::uint64_t last, Gather& out) {
        while (m_index < m_pieces.size() && pieceEnd() <= first) next();
        bool summarized = true;
        std::uint64_t start = m_start;
        for (std::size_t i = m_index; i < m_pieces.size() && start < last; ++i) {
            const Piece& piece = m_pieces[i];
            const std::uint64_t end = start + piece.length / m_frameBytes;
            const std::uint64_t from = std::max(first, start), to = std::min(last, end);
            if (from < to && !piece.block) {
                // Silence: every sample is the fill byte repeated.
                const std::vector<std::uint8_t> fill(m_frameBytes, piece.fill);
                AccumulatePeaks(fill, m_format, out.all);
            } else if (from < to) {
                const std::uint64_t inBlock = piece.offset / m_frameBytes + (from - start);
                const std::shared_ptr<const PeakSummary> summary = summaryOf(i);
                if (!summary ||
                    !BlockPeaksOf(*piece.block, *summary, inBlock, inBlock + (to - from), out))
                    summarized = false;
            }
            start = end;
        }
        return summarized;
    }

  private:
    std::uint64_t pieceEnd() const { return m_start + m_pieces[m_index].length / m_frameBytes; }
    void next() {
        m_start = pieceEnd();
        ++m_index;
    }
    // The summary of piece i's block, looked up once per block in a row.
    std::shared_ptr<const PeakSummary> summaryOf(std::size_t i) {
        if (m_pieces[i].block != m_lastBlock) {
            m_lastBlock = m_pieces[i].block;
            m_lastSummary = PeakSummaryOf(m_lastBlock, m_format);
        }
        return m_lastSummary;
    }

    std::span<const Piece> m_pieces;
    PeakFormat m_format;
    std::uint64_t m_frameBytes;
    std::size_t m_index = 0;
    std::uint64_t m_start = 0;  // the sound's frame where piece m_index starts
    std::shared_ptr<SoundBlock> m_lastBlock;
    std::shared_ptr<const PeakSummary> m_lastSummary;
};

}  // namespace

std::pair<std::uint64_t, std::uint64_t> ScopeColumnFrames(int x, std::uint64_t frames) {
    const auto column = static_cast<std::uint64_t>(x - kScopeFirstX);
    const std::uint64_t first = column * frames / kScopeColumns;
    const std::uint64_t last = (column + 1) * frames / kScopeColumns;
    return {first, std::max(last, first + 1)};
}

std::vector<ColumnPeaks> ScopeColumnPeaks(const PieceList& data, const PeakFormat& format,
                                          std::uint64_t firstFrame, std::uint64_t frames) {
    const std::uint64_t frameBytes = format.frameBytes();
    if (frames == 0 || frameBytes == 0) return {};
    const bool aligned = FrameAligned(data, frameBytes);
    PieceCursor cursor(data, format);
    Gather gather(format.channels);
    std::vector<ColumnPeaks> columns(kScopeColumns);
    for (int x = kScopeFirstX; x < kScopeFirstX + kScopeColumns; ++x) {
        const auto [first, last] = ScopeColumnFrames(x, frames);
        ColumnPeaks& column = columns[static_cast<std::size_t>(x - kScopeFirstX)];
        gather.reset();
        if (aligned) {
            column.summarized = cursor.Peaks(firstFrame + first, firstFrame + last, gather);
        } else {
            ExactPeaks(data, format, firstFrame + first, firstFrame + last, gather);
            column.summarized = true;
        }
        gather.into(column);
    }
    return columns;
}

void StartPeakSummaries(const PieceList& data, const PeakFormat& format) {
    for (const std::shared_ptr<SoundBlock>& block : data.Blocks()) PeakSummaryOf(block, format);
}

}  // namespace quorbel
