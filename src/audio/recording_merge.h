#pragma once

#include <cstdint>

#include "audio/wave_device.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// A sound's bytes `before` with a finished recording `recorded` put in at byte offset `at`
// (limited to before's size): Insert moves the rest back; Overwrite replaces from there and
// extends the sound past its end as far as the recording reaches. Only pieces are made: no
// sample of the sound is copied.
PieceList mergeRecording(const PieceList& before, std::uint64_t at, const PieceList& recorded,
                         RecordMode mode);

}  // namespace quorbel
