#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "audio/wave_device.h"
#include "wavefile/byte_buffer.h"

namespace quorbel {

// A sound's bytes `before` with a finished recording of `recordedBytes` put in at byte offset
// `at` (at most before.size()), as one new buffer: Insert moves the rest back; Overwrite
// replaces from there and extends the sound past its end as far as the recording reaches.
// `fill` writes the recording into the place it is given, so it goes straight from where it
// was captured into the sound. Throws std::bad_alloc, before `fill` is called, when the new
// buffer cannot be had.
ByteBuffer mergeRecording(std::span<const std::uint8_t> before, std::size_t at,
                          std::size_t recordedBytes, RecordMode mode,
                          const std::function<void(std::span<std::uint8_t>)>& fill);

}  // namespace quorbel
