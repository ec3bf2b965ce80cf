#include "app/bitmap_cache.h"

#include <map>

#include "app/art/skin_art.h"

namespace quorbel {

const QImage& cachedBitmap(int resourceId) {
    // UI thread only, like every other painting call.
    static std::map<int, QImage> cache;
    auto it = cache.find(resourceId);
    if (it == cache.end()) it = cache.emplace(resourceId, quorbelBitmap(resourceId)).first;
    return it->second;
}

}  // namespace quorbel
