#include "audio/recording_merge.h"

#include <algorithm>

namespace quorbel {

void mergeRecording(ByteBuffer& data, std::size_t at, std::span<const std::uint8_t> recorded,
                    RecordMode mode) {
    at = std::min(at, data.size());
    if (mode == RecordMode::Insert) {
        data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), recorded.begin(),
                    recorded.end());
        return;
    }
    if (at + recorded.size() > data.size()) data.resize(at + recorded.size());
    std::copy(recorded.begin(), recorded.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace quorbel
