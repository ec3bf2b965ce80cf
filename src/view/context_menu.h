#pragma once

#include "framework/geometry.h"

namespace quorbel {

// The context menu for a right click at `point`: the strip's menu over the slider strip,
// the vectorscope's over the vectorscope, the skins' anywhere else. Right and bottom edges
// lie outside their rectangles.
int ContextMenuFor(Point point, const Rect& sliderWave, const Rect& scope);

}  // namespace quorbel
