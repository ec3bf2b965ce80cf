#pragma once

#include <QImage>

namespace quorbel {

// The program's bitmap resources, generated once on first use and kept for the process's
// life. A null image for an id that has no bitmap.
const QImage& cachedBitmap(int resourceId);

}  // namespace quorbel
