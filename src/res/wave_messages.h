#pragma once

// The edge where a fault of the wave-file layer becomes what the user sees.

#include "framework/message.h"
#include "wavefile/wave_fault.h"

namespace quorbel {

// The text and box kind shown for `failure`: the parse's own texts, ReportMmioError's two
// boxes, the create steps' error boxes, the device's texts, the view's capture box.
UserMessage MessageFor(const WaveFailure& failure);

}  // namespace quorbel
