#pragma once

// The vectorscope's Peaks picture: for each of its 367 columns, the lowest and highest value
// of each channel over the frames the column covers, taken from the blocks' min/max summaries
// with exact samples only where a column or piece starts or ends inside a 256-frame bucket.

#include <cstdint>
#include <utility>
#include <vector>

#include "wavefile/peak_summary.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// Frames [first, last) of column x (kScopeFirstX <= x < kScopeFirstX + kScopeColumns) when
// `frames` frames are shown: floor((x - 10) N / 367) to floor((x - 9) N / 367), at least one.
std::pair<std::uint64_t, std::uint64_t> ScopeColumnFrames(int x, std::uint64_t frames);

struct ColumnPeaks {
    // False while part of the column's frames is not summarized yet.
    bool summarized = false;
    PeakPair channel[2];
};

// One entry per column, for `frames` frames of `data` from frame `firstFrame` (both within
// the sound's whole frames). Channels past the second are not drawn and not gathered.
std::vector<ColumnPeaks> ScopeColumnPeaks(const PieceList& data, const PeakFormat& format,
                                          std::uint64_t firstFrame, std::uint64_t frames);

// Asks for the summary of every block of `data`, so it is being made before it is drawn.
void StartPeakSummaries(const PieceList& data, const PeakFormat& format);

}  // namespace quorbel
