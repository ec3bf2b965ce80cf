#include "edit/fresh_bytes.h"

#include <algorithm>
#include <memory>

namespace quorbel {

SharedBytes SliceOf(const SharedBytes& bytes, std::size_t start, std::size_t end) {
    end = std::min(end, bytes.size);
    start = std::min(start, end);
    if (start == end) return {};
    return SharedBytes{std::shared_ptr<const std::uint8_t[]>(bytes.data, bytes.data.get() + start),
                       end - start};
}

}  // namespace quorbel
