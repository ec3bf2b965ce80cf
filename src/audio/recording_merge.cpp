#include "audio/recording_merge.h"

#include <algorithm>

namespace quorbel {

PieceList mergeRecording(const PieceList& before, std::uint64_t at, const PieceList& recorded,
                         RecordMode mode) {
    at = std::min(at, before.size());
    const std::uint64_t restFrom =
        mode == RecordMode::Insert ? at : std::min(at + recorded.size(), before.size());
    return before.Slice(0, at).Then(recorded).Then(before.Slice(restFrom, before.size()));
}

}  // namespace quorbel
