#pragma once

// Making blocks' min/max summaries off the window's thread: one process-wide worker takes the
// blocks in turn, a stretch of each at a time, so a short block an edit made is summarized
// soon even while a long one is still being read. The worker holds a block only while it
// reads a stretch of it: a sound closed meanwhile is let go, and its summary dropped.

#include <memory>

#include "wavefile/peak_summary.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// The summary of `block` in `format`, as far as it is made; starts making it when there is
// none yet. Never waits for the worker.
std::shared_ptr<const PeakSummary> PeakSummaryOf(const std::shared_ptr<SoundBlock>& block,
                                                 const PeakFormat& format);

// Waits until every summary asked for so far is made (or dropped). For measurements and
// tests; never while a PeakSummaryHold lives.
void WaitForPeakSummaries();

// While one lives, summaries are asked for but not made: tests see a window drawn while the
// work is still to do.
class PeakSummaryHold {
  public:
    PeakSummaryHold();
    ~PeakSummaryHold();
    PeakSummaryHold(const PeakSummaryHold&) = delete;
    PeakSummaryHold& operator=(const PeakSummaryHold&) = delete;
};

}  // namespace quorbel
