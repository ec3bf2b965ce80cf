#pragma once

// The edge where a fault of the wave-file layer becomes what the user sees.

#include <cstdint>
#include <string>

#include "framework/message.h"
#include "wavefile/wave_fault.h"

namespace quorbel {

// The text and box kind shown for `failure`: the parse's own texts, ReportMmioError's two
// boxes, the create steps' error boxes, the device's texts, the view's capture box.
UserMessage MessageFor(const WaveFailure& failure);

// What the user is told when another program changed, removed or renamed the working file
// `path`: nothing was lost, or how many bytes of the sound were.
UserMessage WorkingFileChangedMessage(const std::string& path, std::uint64_t lostBytes);

}  // namespace quorbel
