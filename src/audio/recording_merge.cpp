#include "audio/recording_merge.h"

#include <algorithm>
#include <cstring>

namespace quorbel {

ByteBuffer mergeRecording(std::span<const std::uint8_t> before, std::size_t at,
                          std::size_t recordedBytes, RecordMode mode,
                          const std::function<void(std::span<std::uint8_t>)>& fill) {
    at = std::min(at, before.size());
    const std::size_t recordedEnd = at + recordedBytes;
    // What of the old sound follows the recording, and where it came from.
    const std::size_t restFrom =
        mode == RecordMode::Insert ? at : std::min(recordedEnd, before.size());
    const std::size_t restBytes = before.size() - restFrom;
    ByteBuffer merged;
    // Uninitialised: each page is first touched when written, so a recording moved in block
    // by block (its blocks freed as it goes) never takes its size twice.
    merged.resize(recordedEnd + restBytes);
    if (at > 0) std::memcpy(merged.data(), before.data(), at);
    fill(std::span<std::uint8_t>(merged.data() + at, recordedBytes));
    if (restBytes > 0)
        std::memcpy(merged.data() + recordedEnd, before.data() + restFrom, restBytes);
    return merged;
}

}  // namespace quorbel
