#pragma once

#include <cstddef>
#include <span>

#include "audio/wave_device.h"
#include "wavefile/byte_buffer.h"

namespace quorbel {

// Puts a finished recording into a sound's bytes at byte offset `at` (at most data.size()):
// Insert moves the rest back; Overwrite replaces from there and extends the sound past its end
// as far as the recording reaches.
void mergeRecording(ByteBuffer& data, std::size_t at, std::span<const std::uint8_t> recorded,
                    RecordMode mode);

}  // namespace quorbel
