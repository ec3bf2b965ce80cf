#include "view/context_menu.h"

#include "framework/command_ids.h"

namespace quorbel {

int ContextMenuFor(Point point, const Rect& sliderWave, const Rect& scope) {
    if (sliderWave.contains(point)) return IDR_CONTEXT_SLIDER;
    if (scope.contains(point)) return IDR_CONTEXT_SCOPE;
    return IDR_CONTEXT_SKINS;
}

}  // namespace quorbel
